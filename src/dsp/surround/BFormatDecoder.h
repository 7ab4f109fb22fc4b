// A decoder turns blocks of first-order B-format into the signals of its outputs
// (loudspeakers, headphones, a stereo pair). It only says how many outputs it has and
// computes them; reading the B-format, progress and cancel, gain, autorange, saturation
// and writing the files are done around it, the same for every decoder.
//
// B-format here is the program's own: W, X, Y, Z in Furse-Malham weighting (a plane wave
// of amplitude s from azimuth az, elevation el gives W = s/sqrt(2), X = s cos az cos el,
// Y = s sin az cos el, Z = s sin el), X to the front, Y to the left, Z up.
#pragma once

#include "common/PartitionPlan.h"

#include <cstdint>

namespace vq {

class BFormatDecoder {
public:
    virtual ~BFormatDecoder() = default;

    // Number of output channels (in the order the decoder's output files carry them).
    virtual int OutputChannels() const = 0;

    // Computes the coefficients for `sampleRate` (Hz) and sizes every buffer for blocks of
    // up to `maxFrames` frames; clears the filter memory. Called before the first block of
    // every pass. Returns 0 or a status code (common/EngineStatus.h); nothing in Decode
    // may allocate.
    virtual int Prepare(int sampleRate, std::int64_t maxFrames) = 0;

    // Decodes the next `frames` frames (at most maxFrames): in[0..3] are W, X, Y, Z, one
    // array per channel; out[c] receives output channel c. Filter memory carries from one
    // call to the next, so the result does not depend on how a file is cut into blocks.
    virtual void Decode(const double* const in[4], double* const out[], std::int64_t frames) = 0;

    // Frames by which the outputs lag the B-format (a linear-phase filter's delay). The
    // caller feeds that many frames of silence after the last block and drops as many
    // from the start, so that the decoded file lines up with the B-format.
    virtual std::int64_t LatencyFrames() const { return 0; }

    // The partition plan (common/PartitionPlan.h) the decoder's FIR filters run on from the
    // next Prepare; the throughput plan until told otherwise. Under a live plan every Decode
    // brings a whole number of the plan's quanta, and the filters add no latency. Decoders
    // without FIR filters have nothing to change.
    virtual void UsePartitionPlan(const PartitionPlan& plan) { (void)plan; }
};

}  // namespace vq
