// What the 5.1 decoders share: every loudspeaker channel is a fixed weighted sum of W, X
// and Y (a DecodeMatrix), and the LFE channel is either silent or W through the 120 Hz
// low-pass at a tenth of the level. The decoders differ only in the matrix they hand in.
// Outputs L, R, C, LFE, Ls, Rs (SurroundChannel order) at unity gain; Z is not used.
#pragma once

#include "surround/BFormatDecoder.h"
#include "surround/DecodeMatrix.h"
#include "surround/LfeFilter.h"

namespace vq {

class MatrixFiveOneDecoder : public BFormatDecoder {
public:
    // The LFE channel carries the low band of W at -20 dB.
    static constexpr double kLfeLevel = 0.1;

    int OutputChannels() const override { return kSurroundChannels; }
    // kBadParameter when the rate is not positive, maxFrames negative or CheckParameters refuses.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;

    // The weights of the loudspeaker channels (the LFE row is zero).
    const DecodeMatrix& Matrix() const { return m_matrix; }

protected:
    MatrixFiveOneDecoder(const DecodeMatrix& matrix, bool lowFreqsInLfe);
    // 0, or kBadParameter when the derived decoder's own parameters are out of range.
    virtual int CheckParameters() const { return 0; }

private:
    DecodeMatrix m_matrix;
    bool m_lowFreqsInLfe;
    LfeFilter m_lfe{48000};
    LfeState m_lfeState;
};

}  // namespace vq
