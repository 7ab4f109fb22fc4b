#include "common/StreamingFirMatrix.h"

#include "common/EngineStatus.h"
#include "common/FftwPlan.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace vq {

namespace {

constexpr unsigned kPlanFlags = FFTW_MEASURE;

// At least four times the filter: each step then yields three quarters of a frame.
int ChooseLength(int filterLength)
{
    int n = 1024;
    while (n < 4 * filterLength)
        n *= 2;
    return n;
}

}  // namespace

StreamingFirMatrix::~StreamingFirMatrix() = default;

int StreamingFirMatrix::Configure(int filterLength, int inputs, int outputs)
{
    m_forwardPlan = FftwPlan();
    m_inversePlan = FftwPlan();
    if (filterLength < 1 || inputs < 1 || inputs > kMaxInputs || outputs < 1 || outputs > kMaxOutputs)
        return kBadParameter;
    m_filterLength = filterLength;
    m_inputs = inputs;
    m_outputs = outputs;
    m_fftLength = ChooseLength(filterLength);
    m_spectrumLength = m_fftLength / 2 + 1;
    const std::size_t n = static_cast<std::size_t>(m_fftLength);
    const std::size_t m = static_cast<std::size_t>(m_spectrumLength);

    bool ok = m_outputSpectrum.Allocate(m) && m_result.Allocate(n) &&
              m_filterSpectra.Allocate(m * static_cast<std::size_t>(inputs) * static_cast<std::size_t>(outputs));
    for (int k = 0; k < inputs; ++k)
        ok = ok && m_frames[k].Allocate(n) && m_inputSpectra[k].Allocate(m);
    if (!ok)
        return kOutOfMemory;

    {
        // Measuring overwrites the arrays; they are cleared below.
        m_forwardPlan = FftwPlan::RealToComplex(m_fftLength, m_frames[0].data(), m_inputSpectra[0].data(), kPlanFlags,
                                                kPlanTimeLimitSeconds);
        m_inversePlan = FftwPlan::ComplexToReal(m_fftLength, m_outputSpectrum.data(), m_result.data(), kPlanFlags,
                                                kPlanTimeLimitSeconds);
        if (!m_forwardPlan || !m_inversePlan)
            return kFftSetupFailed;
    }
    std::memset(static_cast<void*>(m_filterSpectra.data()), 0, m_filterSpectra.size() * sizeof(fftw_complex));
    Reset();
    return kStatusOk;
}

void StreamingFirMatrix::SetFilter(int input, int output, const double* taps)
{
    // The step arrays serve as scratch (each step rewrites them), so that the transform runs
    // on arrays aligned as the plan's.
    double* frame = m_result.data();
    std::fill(frame, frame + m_fftLength, 0.0);
    std::copy(taps, taps + m_filterLength, frame);
    fftw_execute_dft_r2c(m_forwardPlan.Get(), frame, m_outputSpectrum.data());
    const fftw_complex* spectrum = m_outputSpectrum.data();
    fftw_complex* filter =
        m_filterSpectra.data() + (static_cast<std::size_t>(output) * m_inputs + input) * m_spectrumLength;
    const double scale = 1.0 / m_fftLength;
    for (int i = 0; i < m_spectrumLength; ++i) {
        filter[i][0] = spectrum[i][0] * scale;
        filter[i][1] = spectrum[i][1] * scale;
    }
}

void StreamingFirMatrix::Reset()
{
    for (FftwArray<double>& frame : m_frames)
        std::fill(frame.data(), frame.data() + frame.size(), 0.0);
}

void StreamingFirMatrix::Process(const double* const in[], double* const out[], std::int64_t frames)
{
    const int hop = m_fftLength - m_filterLength + 1;
    const double* input[kMaxInputs];
    double* output[kMaxOutputs];
    for (std::int64_t done = 0; done < frames;) {
        const int count = static_cast<int>(std::min<std::int64_t>(hop, frames - done));
        for (int k = 0; k < m_inputs; ++k)
            input[k] = in[k] + done;
        for (int j = 0; j < m_outputs; ++j)
            output[j] = out[j] + done;
        Step(input, output, count);
        done += count;
    }
}

void StreamingFirMatrix::Step(const double* const in[], double* const out[], int count)
{
    const int memory = m_filterLength - 1;
    for (int k = 0; k < m_inputs; ++k) {
        double* frame = m_frames[k].data();
        std::copy(in[k], in[k] + count, frame + memory);
        std::fill(frame + memory + count, frame + m_fftLength, 0.0);
        fftw_execute_dft_r2c(m_forwardPlan.Get(), frame, m_inputSpectra[k].data());
        // The newest L-1 samples are the memory of the next step.
        std::memmove(frame, frame + count, sizeof(double) * static_cast<std::size_t>(memory));
    }
    for (int j = 0; j < m_outputs; ++j) {
        fftw_complex* y = m_outputSpectrum.data();
        const fftw_complex* f = m_filterSpectra.data() + static_cast<std::size_t>(j) * m_inputs * m_spectrumLength;
        for (int i = 0; i < m_spectrumLength; ++i) {
            double re = 0.0;
            double im = 0.0;
            for (int k = 0; k < m_inputs; ++k) {
                const fftw_complex& x = m_inputSpectra[k][i];
                const fftw_complex& h = f[static_cast<std::size_t>(k) * m_spectrumLength + i];
                re += x[0] * h[0] - x[1] * h[1];
                im += x[0] * h[1] + x[1] * h[0];
            }
            y[i][0] = re;
            y[i][1] = im;
        }
        fftw_execute_dft_c2r(m_inversePlan.Get(), y, m_result.data());
        std::copy(m_result.data() + memory, m_result.data() + memory + count, out[j]);
    }
}

}  // namespace vq
