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
// Applied by the streaming FFT filter (StreamingFirMatrix) with the history kept across calls,
// so the result does not depend on how the signal is cut into blocks.
#pragma once

#include "common/StreamingFirMatrix.h"

#include <cstdint>
#include <vector>

namespace vq {

class WidebandPhaseShifter {
public:
    // Frames by which the output lags the input at `sampleRate` (Hz), at least 1.
    static std::int64_t HalfLength(int sampleRate);
    // The filter for `sampleRate`: tap i weighs the input i frames back.
    static std::vector<double> DesignTaps(int sampleRate);

    // Designs the filter, sizes the transforms for `plan` and clears the history. 0,
    // kBadParameter, kOutOfMemory or kFftSetupFailed.
    int Prepare(int sampleRate, const PartitionPlan& plan = PartitionPlan::Throughput());
    // Shifts the next `frames` input frames; `out` must not overlap `in`.
    void Process(const double* in, double* out, std::int64_t frames);

    std::int64_t LatencyFrames() const { return m_halfLength; }

private:
    std::int64_t m_halfLength = 0;
    StreamingFirMatrix m_filter;
};

}  // namespace vq
