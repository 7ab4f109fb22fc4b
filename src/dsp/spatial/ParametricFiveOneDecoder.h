// Parametric 5.1 decoding for the ITU layout (ParametricDecoder.h): the direct part of every
// band panned by VBAP over L, R, C, Ls, Rs at +-30, 0, +-110 degrees (ItuPanner.h), so a
// source at a loudspeaker plays from that loudspeaker alone and one between two from those
// two; the diffuse part goes to all five alike, decorrelated between them. Near silence it
// falls back to the energy-preserving decode (EnergyFiveOneDecoder.h). The LFE channel is
// what the other 5.1 decoders give (MatrixFiveOneDecoder.h): silent, or W through the 120 Hz
// low-pass at a tenth of the level, delayed with the rest.
//
// Outputs L, R, C, LFE, Ls, Rs (SurroundChannel order) at unity gain: a plane wave of
// amplitude s gives a total energy of s^2 over the loudspeakers. Z only steers the
// direction (ItuPanner.h says where overhead sound goes).
#pragma once

#include "spatial/ParametricDecoder.h"
#include "surround/DecodeMatrix.h"
#include "surround/LfeFilter.h"

namespace vq {

class ParametricFiveOneDecoder : public ParametricDecoder {
public:
    // lowFreqsInLfe fills the LFE channel, else it stays silent.
    explicit ParametricFiveOneDecoder(bool lowFreqsInLfe);

    int OutputChannels() const override { return kSurroundChannels; }
    // kBadParameter (a rate that is not positive, negative maxFrames), kOutOfMemory,
    // kFftSetupFailed.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;

private:
    int DesignLinear(int sampleRate, LinearDecode& linear) override;
    int PrepareDirect(int sampleRate, const AnalysisBands& bands, BFormatStft& stft) override;
    void DirectRendering(const std::array<double, 3>& direction, int band, double gains[],
                         double delays[]) const override;
    void DiffuseGains(int band, double gains[]) const override;

    bool m_lowFreqsInLfe;
    LfeFilter m_lfe{48000};
    LfeState m_lfeState;
    std::vector<double> m_lfeDelay;  // the last LatencyFrames() LFE samples, a ring
    std::size_t m_lfeAt = 0;
};

}  // namespace vq
