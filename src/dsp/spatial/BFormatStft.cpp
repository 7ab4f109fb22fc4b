#include "spatial/BFormatStft.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr unsigned kPlanFlags = FFTW_MEASURE;
// 1024 frames at 48 kHz.
constexpr double kFrameSeconds = 1024.0 / 48000.0;

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

}  // namespace

int BFormatStft::FrameLengthFor(int sampleRate)
{
    const double wanted = kFrameSeconds * std::max(sampleRate, 1);
    int n = kMinFrameLength;
    while (n < wanted && n < (1 << 24))
        n *= 2;
    return n;
}

int BFormatStft::Configure(int frameLength, int outputs)
{
    if (!IsPowerOfTwo(frameLength) || frameLength < kMinFrameLength || frameLength > (1 << 24) || outputs < 0 ||
        outputs > kMaxOutputs)
        return kBadParameter;
    m_forward = FftwPlan();
    m_inverse = FftwPlan();
    m_frameLength = frameLength;
    m_outputs = outputs;
    const std::size_t n = static_cast<std::size_t>(frameLength);
    const std::size_t length = static_cast<std::size_t>(TransformLength());
    const std::size_t bins = static_cast<std::size_t>(Bins());

    bool ok = m_window.Allocate(n) && m_frame.Allocate(length) && m_result.Allocate(outputs > 0 ? length : 0);
    for (int k = 0; k < kInputs; ++k)
        ok = ok && m_history[k].Allocate(n) && m_spectra[k].Allocate(bins);
    for (int j = 0; j < kMaxOutputs; ++j) {
        const std::size_t count = j < outputs ? 1 : 0;  // only the outputs in use
        ok = ok && m_outputSpectra[j].Allocate(count * bins) && m_sums[j].Allocate(count * length) &&
             m_ready[j].Allocate(count * n / 2);
    }
    if (!ok)
        return kOutOfMemory;

    // Measuring overwrites the arrays given; Reset clears them.
    m_forward = FftwPlan::RealToComplex(TransformLength(), m_frame.data(), m_spectra[0].data(), kPlanFlags,
                                        kPlanTimeLimitSeconds);
    if (outputs > 0)
        m_inverse = FftwPlan::ComplexToReal(TransformLength(), m_outputSpectra[0].data(), m_result.data(),
                                            kPlanFlags, kPlanTimeLimitSeconds);
    if (!m_forward || (outputs > 0 && !m_inverse))
        return kFftSetupFailed;

    // The periodic Hann window: shifted by half its length, copies add up to exactly 1.
    for (int i = 0; i < frameLength; ++i)
        m_window[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / frameLength);
    Reset();
    return kStatusOk;
}

void BFormatStft::Reset()
{
    m_filled = 0;
    m_sumsStart = 0;
    const auto clear = [](auto& array) {
        std::memset(static_cast<void*>(array.data()), 0, array.size() * sizeof(array[0]));
    };
    clear(m_frame);
    for (int k = 0; k < kInputs; ++k)
        clear(m_history[k]);
    for (int j = 0; j < m_outputs; ++j) {
        clear(m_sums[j]);
        clear(m_ready[j]);
    }
}

void BFormatStft::Process(const double* const in[kInputs], double* const out[], std::int64_t frames,
                          StftFrameProcessor& processor)
{
    const int hop = Hop();
    for (std::int64_t done = 0; done < frames;) {
        const int count = static_cast<int>(std::min<std::int64_t>(hop - m_filled, frames - done));
        // New samples go after the N - hop kept from before.
        for (int k = 0; k < kInputs; ++k)
            std::copy(in[k] + done, in[k] + done + count, m_history[k].data() + (m_frameLength - hop) + m_filled);
        for (int j = 0; j < m_outputs; ++j)
            std::copy(m_ready[j].data() + m_filled, m_ready[j].data() + m_filled + count, out[j] + done);
        m_filled += count;
        done += count;
        if (m_filled == hop) {
            RunFrame(processor);
            m_filled = 0;
        }
    }
}

void BFormatStft::RunFrame(StftFrameProcessor& processor)
{
    const int n = m_frameLength;
    const int hop = Hop();
    double* frame = m_frame.data();
    const fftw_complex* spectra[kInputs];
    for (int k = 0; k < kInputs; ++k) {
        // The room after the frame stays zero: the transform leaves its input as it is.
        const double* history = m_history[k].data();
        for (int i = 0; i < n; ++i)
            frame[i] = history[i] * m_window[i];
        fftw_execute_dft_r2c(m_forward.Get(), frame, m_spectra[k].data());
        spectra[k] = m_spectra[k].data();
        std::memmove(m_history[k].data(), history + hop, sizeof(double) * static_cast<std::size_t>(n - hop));
    }
    fftw_complex* outputs[kMaxOutputs];
    for (int j = 0; j < m_outputs; ++j)
        outputs[j] = m_outputSpectra[j].data();
    processor.ProcessFrame(spectra, outputs);
    if (m_outputs == 0)
        return;

    // The inverse transform is unnormalised: 1 / length restores the scale. The frame is added to
    // the rings from where it starts; their first hop is then complete (the next frame starts
    // a hop later), is handed out next and makes room for the end of the next frame.
    const int length = TransformLength();
    const double scale = 1.0 / length;
    const int wrap = length - m_sumsStart;
    for (int j = 0; j < m_outputs; ++j) {
        double* result = m_result.data();
        fftw_execute_dft_c2r(m_inverse.Get(), outputs[j], result);
        double* sums = m_sums[j].data();
        for (int i = 0; i < wrap; ++i)
            sums[m_sumsStart + i] += scale * result[i];
        for (int i = wrap; i < length; ++i)
            sums[i - wrap] += scale * result[i];
        double* done = sums + m_sumsStart;
        std::copy(done, done + hop, m_ready[j].data());
        std::fill(done, done + hop, 0.0);
    }
    m_sumsStart = (m_sumsStart + hop) % length;
}

void BFormatStft::Transform(const double* taps, int count, fftw_complex* spectrum)
{
    double* frame = m_frame.data();
    const int length = TransformLength();
    count = std::min(count, length);
    std::copy(taps, taps + count, frame);
    std::fill(frame + count, frame + length, 0.0);
    fftw_execute_dft_r2c(m_forward.Get(), frame, spectrum);
    std::fill(frame, frame + length, 0.0);
}

}  // namespace vq
