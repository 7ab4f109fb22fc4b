#include "common/BlockConvolver.h"

#include "common/EngineStatus.h"
#include "common/FftwPlan.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

namespace vq {

namespace {

// Measuring finds the fastest of FFTW's algorithms for this machine (a third faster than
// estimating at 16384 points); the time limit bounds the first planning of the longest
// transforms, and kept wisdom (FftWisdom.h) spares the later ones. The live plan's short
// transforms run as fast estimated (measured at 128 to 2048 points), and measuring all of
// them would take a third of a second.
constexpr int kMeasuredFrom = 4096;

unsigned PlanFlags(int fftLength)
{
    return fftLength >= kMeasuredFrom ? FFTW_MEASURE : FFTW_ESTIMATE;
}

// Complex values per cache line of 64 bytes: the most any of FFTW's SIMD paths aligns to.
constexpr int kAlignedComplex = 4;

// y (+)= sum over four inputs of x[k] * f[k], bin by bin; f holds the four filters of a bin
// next to each other.
template <bool kAdd>
void MultiplyAccumulateFour(const fftw_complex* const spectra[kMatrixSize], const fftw_complex* filters, int bins,
                            fftw_complex* out)
{
    const double* x0 = spectra[0][0];
    const double* x1 = spectra[1][0];
    const double* x2 = spectra[2][0];
    const double* x3 = spectra[3][0];
    const double* f = filters[0];
    double* y = out[0];
    for (int i = 0; i < bins; ++i, f += 2 * kMatrixSize) {
        const int r = 2 * i;
        const int c = r + 1;
        const double re = x0[r] * f[0] - x0[c] * f[1] + x1[r] * f[2] - x1[c] * f[3] + x2[r] * f[4] - x2[c] * f[5] +
                          x3[r] * f[6] - x3[c] * f[7];
        const double im = x0[r] * f[1] + x0[c] * f[0] + x1[r] * f[3] + x1[c] * f[2] + x2[r] * f[5] + x2[c] * f[4] +
                          x3[r] * f[7] + x3[c] * f[6];
        if (kAdd) {
            y[r] += re;
            y[c] += im;
        } else {
            y[r] = re;
            y[c] = im;
        }
    }
}

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
                              int inputs, int outputs, int partitions)
{
    m_forwardPlan = FftwPlan();
    m_inversePlan = FftwPlan();
    if (filterLength < 1 || fftLength < filterLength || slots < 1 || inputs < 1 || inputs > kMatrixSize ||
        outputs < 1 || outputs > kMatrixSize || partitions < 1)
        return kBadParameter;
    m_inputs = inputs;
    m_outputs = outputs;
    m_partitions = partitions;
    m_filterLength = filterLength;
    m_fftLength = fftLength;
    m_spectrumLength = fftLength / 2 + 1;
    m_spectrumStride = (m_spectrumLength + kAlignedComplex - 1) / kAlignedComplex * kAlignedComplex;
    const std::size_t n = static_cast<std::size_t>(fftLength);
    const std::size_t m = static_cast<std::size_t>(m_spectrumLength);
    const std::size_t history = static_cast<std::size_t>(m_spectrumStride) * static_cast<std::size_t>(partitions);

    try {
        m_scratch.clear();
        m_scratch.resize(static_cast<std::size_t>(slots));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (!m_filterSpectra.Allocate(m * static_cast<std::size_t>(inputs * outputs * partitions)))
        return kOutOfMemory;
    for (Scratch& s : m_scratch) {
        bool ok = s.frame.Allocate(n) && s.outputSpectrum.Allocate(m);
        for (int k = 0; k < inputs; ++k)
            ok = ok && s.inputSpectra[k].Allocate(history);
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
        FftwPlan::RealToComplex(fftLength, s.frame.data(), s.inputSpectra[0].data(), PlanFlags(fftLength),
                                kPlanTimeLimitSeconds);
    if (!m_forwardPlan)
        return kFftSetupFailed;
    if (carryOn && !carryOn())
        return kStatusCancelled;
    m_inversePlan = FftwPlan::ComplexToReal(fftLength, s.outputSpectrum.data(), s.results[0].data(),
                                            PlanFlags(fftLength), kPlanTimeLimitSeconds);
    if (!m_inversePlan)
        return kFftSetupFailed;
    // Measuring overwrote the arrays the plans were made on.
    std::memset(static_cast<void*>(m_filterSpectra.data()), 0, m_filterSpectra.size() * sizeof(fftw_complex));
    ClearHistory();
    return kStatusOk;
}

void BlockConvolver::SetFilter(int input, int output, const double* taps, int stride, double gain)
{
    SetPartition(0, input, output, taps, m_filterLength, stride, gain);
}

void BlockConvolver::SetPartition(int partition, int input, int output, const double* taps, int count, int stride,
                                  double gain)
{
    Scratch& s = m_scratch.front();
    double* frame = s.frame.data();
    for (int i = 0; i < count; ++i)
        frame[i] = taps[static_cast<std::size_t>(i) * static_cast<std::size_t>(stride)];
    std::memset(frame + count, 0, sizeof(double) * static_cast<std::size_t>(m_fftLength - count));
    fftw_complex* spectrum = s.outputSpectrum.data();
    fftw_execute_dft_r2c(m_forwardPlan.Get(), frame, spectrum);

    const double scale = gain / m_fftLength;
    fftw_complex* f = m_filterSpectra.data() + FilterOffset(partition, output);
    for (int i = 0; i < m_spectrumLength; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * m_inputs + input;
        f[at][0] = spectrum[i][0] * scale;
        f[at][1] = spectrum[i][1] * scale;
    }
}

std::size_t BlockConvolver::FilterOffset(int partition, int output) const
{
    const std::size_t block = static_cast<std::size_t>(m_spectrumLength) * m_inputs;
    return (static_cast<std::size_t>(partition) * m_outputs + output) * block;
}

void BlockConvolver::MultiplyAccumulate(const fftw_complex* const spectra[kMatrixSize], const fftw_complex* filters,
                                        bool add, fftw_complex* out) const
{
    if (add)
        MultiplyAccumulateFour<true>(spectra, filters, m_spectrumLength, out);
    else
        MultiplyAccumulateFour<false>(spectra, filters, m_spectrumLength, out);
}

void BlockConvolver::MultiplyAccumulateAny(const fftw_complex* const spectra[kMatrixSize], const fftw_complex* filters,
                                           bool add, fftw_complex* out) const
{
    const fftw_complex* f = filters;
    for (int i = 0; i < m_spectrumLength; ++i, f += m_inputs) {
        double re = 0.0;
        double im = 0.0;
        for (int k = 0; k < m_inputs; ++k) {
            const fftw_complex& x = spectra[k][i];
            re += x[0] * f[k][0] - x[1] * f[k][1];
            im += x[0] * f[k][1] + x[1] * f[k][0];
        }
        out[i][0] = add ? out[i][0] + re : re;
        out[i][1] = add ? out[i][1] + im : im;
    }
}

void BlockConvolver::Convolve(const double* const frames[kMatrixSize], int slot, int valid)
{
    Scratch& s = m_scratch[static_cast<std::size_t>(slot)];
    const std::size_t copied = static_cast<std::size_t>(valid < 0 ? m_fftLength : std::min(valid, m_fftLength));
    s.newest = s.newest + 1 < m_partitions ? s.newest + 1 : 0;
    const std::size_t newest = static_cast<std::size_t>(s.newest) * static_cast<std::size_t>(m_spectrumStride);
    for (int k = 0; k < m_inputs; ++k) {
        // The frames start anywhere in the callers' buffers; the plan wants aligned input.
        std::memcpy(s.frame.data(), frames[k], copied * sizeof(double));
        std::memset(s.frame.data() + copied, 0, (static_cast<std::size_t>(m_fftLength) - copied) * sizeof(double));
        fftw_execute_dft_r2c(m_forwardPlan.Get(), s.frame.data(), s.inputSpectra[k].data() + newest);
    }
    for (int j = 0; j < m_outputs; ++j) {
        // Partition p meets the frame handed p blocks ago.
        for (int p = 0; p < m_partitions; ++p) {
            const int age = s.newest - p >= 0 ? s.newest - p : s.newest - p + m_partitions;
            const std::size_t at = static_cast<std::size_t>(age) * static_cast<std::size_t>(m_spectrumStride);
            const fftw_complex* spectra[kMatrixSize] = {};
            for (int k = 0; k < m_inputs; ++k)
                spectra[k] = s.inputSpectra[k].data() + at;
            const fftw_complex* filters = m_filterSpectra.data() + FilterOffset(p, j);
            if (m_inputs == kMatrixSize)
                MultiplyAccumulate(spectra, filters, p > 0, s.outputSpectrum.data());
            else
                MultiplyAccumulateAny(spectra, filters, p > 0, s.outputSpectrum.data());
        }
        fftw_execute_dft_c2r(m_inversePlan.Get(), s.outputSpectrum.data(), s.results[j].data());
    }
}

void BlockConvolver::ClearHistory()
{
    for (Scratch& s : m_scratch) {
        for (int k = 0; k < m_inputs; ++k)
            std::memset(static_cast<void*>(s.inputSpectra[k].data()), 0, s.inputSpectra[k].size() * sizeof(fftw_complex));
        s.newest = 0;
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
