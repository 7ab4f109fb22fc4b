// A wide-band +90 degree phase shift (j cos wt = -sin wt, the negative of the Hilbert
// transform), as matrix encoders such as UHJ need it. It is a linear-phase FIR: the ideal
// response +j sgn(f) made finite by a Kaiser window, so its phase is exactly 90 degrees at
// every frequency and only its magnitude deviates, at the ends of the band. The output lags
// the input by HalfLength frames; the paths it is mixed with must be delayed as much.
//
// Taps: 2 * HalfLength + 1, HalfLength = a tenth of a second. Kaiser beta 8. Measured:
// the magnitude stays within 1.2e-4 (-78 dB) of unity from 20 Hz to the rate's half minus
// 20 Hz, within 1.5e-4 from 15 Hz; it falls to 0 at 0 Hz and at half the rate.
//
// Applied by FFT block convolution (overlap-save) with the history kept across calls, so the
// result does not depend on how the signal is cut into blocks.
#pragma once

#include "common/FftwArray.h"
#include "common/FftwPlan.h"

#include <fftw3.h>

#include <cstdint>
#include <vector>

namespace vq {

class WidebandPhaseShifter {
public:
    // Frames by which the output lags the input at `sampleRate` (Hz), at least 1.
    static std::int64_t HalfLength(int sampleRate);
    // The filter for `sampleRate`: tap i weighs the input i frames back.
    static std::vector<double> DesignTaps(int sampleRate);

    WidebandPhaseShifter() = default;
    ~WidebandPhaseShifter();
    WidebandPhaseShifter(const WidebandPhaseShifter&) = delete;
    WidebandPhaseShifter& operator=(const WidebandPhaseShifter&) = delete;

    // Designs the filter, sizes the transforms for calls of up to `maxFrames` frames and
    // clears the history. 0, kBadParameter, kOutOfMemory or kFftSetupFailed.
    int Prepare(int sampleRate, std::int64_t maxFrames);
    // Shifts the next `frames` input frames; `out` must not overlap `in`.
    void Process(const double* in, double* out, std::int64_t frames);

    std::int64_t LatencyFrames() const { return m_halfLength; }

private:

    std::int64_t m_halfLength = 0;
    std::int64_t m_fftLength = 0;
    std::int64_t m_hop = 0;                    // new frames per transform
    FftwArray<double> m_frame;                 // 2 * halfLength past inputs, then the new ones
    FftwArray<double> m_result;                // the circular convolution of the frame
    FftwArray<fftw_complex> m_spectrum;        // the frame's spectrum, then the product
    FftwArray<fftw_complex> m_filterSpectrum;  // scaled by 1/N: the transforms are unnormalised
    FftwPlan m_forward;
    FftwPlan m_inverse;
};

}  // namespace vq
