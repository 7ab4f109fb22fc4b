// Two-channel UHJ: stereo that plays as stereo and that a UHJ decoder turns back into a
// horizontal surround. Gerzon's encoding equations, with W, X, Y in the program's
// Furse-Malham weighting (W = s / sqrt(2)):
//
//   S = 0.9396926 W + 0.1855740 X
//   D = j(-0.3420201 W + 0.5098604 X) + 0.6554516 Y
//   L = (S + D) / 2,  R = (S - D) / 2
//
// where j is a wide-band +90 degree phase shift: j cos wt = -sin wt (the phase leads by a
// quarter period; it is minus the Hilbert transform). Z is not used.
//
// The shift is a linear-phase FIR (WidebandPhaseShifter), exact in phase and within 1.2e-4
// in magnitude from 20 Hz to the rate's half minus 20 Hz; S and the Y term are delayed by
// the filter's latency to stay aligned with it. Outputs L, R at unity gain.
#pragma once

#include "common/FftwArray.h"
#include "surround/BFormatDecoder.h"
#include "surround/WidebandPhaseShifter.h"

namespace vq {

class UhjEncoder : public BFormatDecoder {
public:
    static constexpr int kMaxSampleRate = 768000;  // Hz; above it Prepare refuses
    enum Channel : int { kLeft, kRight, kChannels };

    int OutputChannels() const override { return kChannels; }
    // 0, kBadParameter (rate not positive, maxFrames negative), kOutOfMemory or kFftSetupFailed.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;
    // A tenth of a second: the phase shifter's delay.
    std::int64_t LatencyFrames() const override { return m_shifter.LatencyFrames(); }
    void UsePartitionPlan(const PartitionPlan& plan) override { m_plan = plan; }

private:
    PartitionPlan m_plan;
    WidebandPhaseShifter m_shifter;
    std::int64_t m_pieceFrames = 0;
    FftwArray<double> m_toShift;  // -0.3420201 W + 0.5098604 X of one piece
    FftwArray<double> m_shifted;  // the same after j
    // The unshifted parts of L and R, (S + 0.6554516 Y) / 2 and (S - 0.6554516 Y) / 2,
    // delayed as much as the shifter delays: a ring of `latency` frames each.
    FftwArray<double> m_delayLeft;
    FftwArray<double> m_delayRight;
    std::int64_t m_delayPosition = 0;
};

}  // namespace vq
