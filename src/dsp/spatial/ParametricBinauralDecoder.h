// Parametric headphone decoding (ParametricDecoder.h): the direct part of every band heard
// through the HRTFs of the direction it comes from, with that direction's interaural delay
// and head shadow; the diffuse part decorrelated between the ears. Near silence it falls back
// to the linear headphone decode (BinauralDecoder.h) of the same HRIR set.
//
// The HRTFs come from the chosen HRIR set (the built-in SphericalHeadHrirs or a SofaHrirs)
// through an HrtfGrid: magnitudes per band and delays per ear, interpolated between the
// grid's directions (for a SOFA file, between the measurements nearest to the grid's
// directions). The grid is computed in Prepare and kept while the sample rate stays.
//
// Output: left and right ear, lined up with BinauralDecoder's output for the same set once
// LatencyFrames() are dropped, and as long.
#pragma once

#include "binaural/HrirSet.h"
#include "spatial/HrtfGrid.h"
#include "spatial/ParametricDecoder.h"

#include <memory>
#include <string>

namespace vq {

class ParametricBinauralDecoder : public ParametricDecoder {
public:
    enum Ear : int { kLeftEar, kRightEar, kEars };

    // `hrirs` is kept for Prepare.
    explicit ParametricBinauralDecoder(std::shared_ptr<const HrirSet> hrirs);

    int OutputChannels() const override { return kEars; }
    // kHrtfRateUnusable (a rate the HRIR set or the decoder cannot serve), kOutOfMemory,
    // kFftSetupFailed, kBadParameter; Reason() says why.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;

    // Why the last Prepare failed, in words a user understands; empty after a success.
    const std::string& Reason() const { return m_reason; }

private:
    int DesignLinear(int sampleRate, LinearDecode& linear) override;
    int PrepareDirect(int sampleRate, const AnalysisBands& bands, BFormatStft& stft) override;
    void DirectRendering(const std::array<double, 3>& direction, int band, double gains[],
                         double delays[]) const override;
    void DiffuseGains(int band, double gains[]) const override;

    std::shared_ptr<const HrirSet> m_hrirs;
    HrtfGrid m_grid;
    int m_gridRate = 0;        // the rate m_grid was computed for (0: none)
    int m_gridFrameLength = 0;  // and the frame length
    std::string m_reason;
};

}  // namespace vq
