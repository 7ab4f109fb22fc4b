// Headphone (binaural) decoding of first-order B-format: outputs left and right ear.
//
// The B-format is decoded to virtual loudspeakers (DecodeLayouts.h: six on the axes below
// kCrossoverHz with the velocity decode, eight at the corners of a cube above it with
// max-rE weights), each heard through the HRIR pair of its direction from the chosen HRIR
// set. Prepare folds all of that into one FIR filter from each of W, X, Y, Z to each ear:
// both bands' sums of weighted HRIRs, split by a Linkwitz-Riley crossover, added. Decode
// applies the 4 x 2 matrix by FFT with filter memory across blocks.
//
// Every output frame follows from the input up to that frame. No latency is compensated:
// the outputs keep the HRIRs' own onset delay (1.1 ms for the head model at 48 kHz; a SOFA
// file's as measured, plus SofaHrirs::ResamplingLatency). The output has as many frames as
// the input; the filters' tail after the last input frame is dropped.
#pragma once

#include "binaural/BinauralFilters.h"
#include "binaural/HrirSet.h"
#include "common/StreamingFirMatrix.h"
#include "surround/BFormatDecoder.h"

#include <memory>
#include <string>
#include <vector>

namespace vq {

class BinauralDecoder : public BFormatDecoder {
public:
    enum Ear : int { kLeftEar, kRightEar, kEars };

    static constexpr double kCrossoverHz = BinauralFilters::kCrossoverHz;
    static constexpr double kCrossoverTailSeconds = BinauralFilters::kCrossoverTailSeconds;
    static constexpr int kMinSampleRate = 8000;
    static constexpr int kMaxSampleRate = 768000;

    // `hrirs` (the built-in SphericalHeadHrirs or a loaded SofaHrirs) is kept for Prepare.
    explicit BinauralDecoder(std::shared_ptr<const HrirSet> hrirs);

    int OutputChannels() const override { return kEars; }
    // Status codes beyond the HRIR set's own: kOutOfMemory, kFftSetupFailed.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;
    void UsePartitionPlan(const PartitionPlan& plan) override { m_plan = plan; }

    // Why the last Prepare failed, in words a user understands; empty after a success.
    const std::string& Reason() const { return m_reason; }

    // The prepared filter from input `input` (0..3: W, X, Y, Z) to `ear`, and its length.
    const std::vector<double>& Filter(int input, int ear) const;
    int FilterLength() const { return m_filters.length; }

private:
    std::shared_ptr<const HrirSet> m_hrirs;
    PartitionPlan m_plan;
    StreamingFirMatrix m_matrix;
    BinauralFilters m_filters;
    bool m_prepared = false;
    std::string m_reason;
};

}  // namespace vq
