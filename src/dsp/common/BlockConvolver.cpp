#include "common/BlockConvolver.h"

#include "common/EngineStatus.h"
#include "common/FftwPlan.h"

#include <cstring>
#include <mutex>
#include <new>

namespace vq {

namespace {

// Measuring finds the fastest of FFTW's algorithms for this machine (a third faster than
// estimating at 16384 points); the time limit bounds the first planning of the longest
// transforms, and kept wisdom (FftWisdom.h) spares the later ones.
constexpr unsigned kPlanFlags = FFTW_MEASURE;

}  // namespace

int ChooseFftLength(int filterLength)
{
    // Longer transforms give more output frames per block, but the sixteen filter spectra
    // and the block's own arrays must stay in the processor's caches. Measured with FFTW
    // on x86-64, about four times the filter length (and no less than 4096 points) is
    // fastest: 17.7 ns a frame at L = 512 and 29 ns at L = 4096, where twice the filter
    // length takes 28 and 38 ns and sixteen times 35 and 66 ns.
    int n = 4096;
    while (n < 4 * filterLength)
        n *= 2;
    return n;
}

BlockConvolver::~BlockConvolver() = default;

int BlockConvolver::Configure(int filterLength, int fftLength, int slots, const std::function<bool()>& carryOn,
                              int inputs, int outputs)
{
    m_forwardPlan = FftwPlan();
    m_inversePlan = FftwPlan();
    if (filterLength < 1 || fftLength < filterLength || slots < 1 || inputs < 1 || inputs > kMatrixSize ||
        outputs < 1 || outputs > kMatrixSize)
        return kBadParameter;
    m_inputs = inputs;
    m_outputs = outputs;
    m_filterLength = filterLength;
    m_fftLength = fftLength;
    m_spectrumLength = fftLength / 2 + 1;
    const std::size_t n = static_cast<std::size_t>(fftLength);
    const std::size_t m = static_cast<std::size_t>(m_spectrumLength);

    try {
        m_scratch.clear();
        m_scratch.resize(static_cast<std::size_t>(slots));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (!m_filterSpectra.Allocate(m * static_cast<std::size_t>(inputs * outputs)))
        return kOutOfMemory;
    for (Scratch& s : m_scratch) {
        bool ok = s.frame.Allocate(n) && s.outputSpectrum.Allocate(m);
        for (int k = 0; k < inputs; ++k)
            ok = ok && s.inputSpectra[k].Allocate(m);
        for (int j = 0; j < outputs; ++j)
            ok = ok && s.results[j].Allocate(n);
        if (!ok)
            return kOutOfMemory;
    }

    // One plan of each direction serves every slot through the new-array execute calls:
    // all arrays come from fftw_malloc and share its alignment.
    Scratch& s = m_scratch.front();
    if (carryOn && !carryOn())
        return kStatusCancelled;
    m_forwardPlan =
        FftwPlan::RealToComplex(fftLength, s.frame.data(), s.inputSpectra[0].data(), kPlanFlags, kPlanTimeLimitSeconds);
    if (!m_forwardPlan)
        return kFftSetupFailed;
    if (carryOn && !carryOn())
        return kStatusCancelled;
    m_inversePlan = FftwPlan::ComplexToReal(fftLength, s.outputSpectrum.data(), s.results[0].data(), kPlanFlags,
                                            kPlanTimeLimitSeconds);
    if (!m_inversePlan)
        return kFftSetupFailed;
    // Measuring overwrote the arrays the plans were made on.
    std::memset(static_cast<void*>(m_filterSpectra.data()), 0, m_filterSpectra.size() * sizeof(fftw_complex));
    return kStatusOk;
}

void BlockConvolver::SetFilter(int input, int output, const double* taps, int stride, double gain)
{
    Scratch& s = m_scratch.front();
    double* frame = s.frame.data();
    for (int i = 0; i < m_filterLength; ++i)
        frame[i] = taps[static_cast<std::size_t>(i) * static_cast<std::size_t>(stride)];
    std::memset(frame + m_filterLength, 0, sizeof(double) * static_cast<std::size_t>(m_fftLength - m_filterLength));
    fftw_complex* spectrum = s.inputSpectra[0].data();
    fftw_execute_dft_r2c(m_forwardPlan.Get(), frame, spectrum);

    const double scale = gain / m_fftLength;
    fftw_complex* f = m_filterSpectra.data();
    for (int i = 0; i < m_spectrumLength; ++i) {
        const std::size_t at = (static_cast<std::size_t>(output) * m_spectrumLength + i) * m_inputs + input;
        f[at][0] = spectrum[i][0] * scale;
        f[at][1] = spectrum[i][1] * scale;
    }
}

void BlockConvolver::MultiplyAccumulate(const Scratch& s, int output, fftw_complex* out) const
{
    const double* x0 = s.inputSpectra[0].data()[0];
    const double* x1 = s.inputSpectra[1].data()[0];
    const double* x2 = s.inputSpectra[2].data()[0];
    const double* x3 = s.inputSpectra[3].data()[0];
    const double* f = m_filterSpectra.data()[static_cast<std::size_t>(output) * m_spectrumLength * kMatrixSize];
    double* y = out[0];
    for (int i = 0; i < m_spectrumLength; ++i, f += 2 * kMatrixSize) {
        const int r = 2 * i;
        const int c = r + 1;
        y[r] = x0[r] * f[0] - x0[c] * f[1] + x1[r] * f[2] - x1[c] * f[3] + x2[r] * f[4] - x2[c] * f[5] + x3[r] * f[6] -
               x3[c] * f[7];
        y[c] = x0[r] * f[1] + x0[c] * f[0] + x1[r] * f[3] + x1[c] * f[2] + x2[r] * f[5] + x2[c] * f[4] + x3[r] * f[7] +
               x3[c] * f[6];
    }
}

void BlockConvolver::MultiplyAccumulateAny(const Scratch& s, int output, fftw_complex* out) const
{
    const fftw_complex* f = m_filterSpectra.data() + static_cast<std::size_t>(output) * m_spectrumLength * m_inputs;
    for (int i = 0; i < m_spectrumLength; ++i, f += m_inputs) {
        double re = 0.0;
        double im = 0.0;
        for (int k = 0; k < m_inputs; ++k) {
            const fftw_complex& x = s.inputSpectra[k][i];
            re += x[0] * f[k][0] - x[1] * f[k][1];
            im += x[0] * f[k][1] + x[1] * f[k][0];
        }
        out[i][0] = re;
        out[i][1] = im;
    }
}

void BlockConvolver::Convolve(const double* const frames[kMatrixSize], int slot)
{
    Scratch& s = m_scratch[static_cast<std::size_t>(slot)];
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(m_fftLength);
    for (int k = 0; k < m_inputs; ++k) {
        // The frames start anywhere in the callers' buffers; the plan wants aligned input.
        std::memcpy(s.frame.data(), frames[k], bytes);
        fftw_execute_dft_r2c(m_forwardPlan.Get(), s.frame.data(), s.inputSpectra[k].data());
    }
    for (int j = 0; j < m_outputs; ++j) {
        if (m_inputs == kMatrixSize)
            MultiplyAccumulate(s, j, s.outputSpectrum.data());
        else
            MultiplyAccumulateAny(s, j, s.outputSpectrum.data());
        fftw_execute_dft_c2r(m_inversePlan.Get(), s.outputSpectrum.data(), s.results[j].data());
    }
}

const double* BlockConvolver::Result(int slot, int output) const
{
    return ResultFrame(slot, output) + m_filterLength;
}

const double* BlockConvolver::ResultFrame(int slot, int output) const
{
    return m_scratch[static_cast<std::size_t>(slot)].results[output].data();
}

}  // namespace vq
