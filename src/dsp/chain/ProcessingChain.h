// The processing chain: the whole conversion as a stream, set up from one const value
// (ChainSetup.h) and then fed blocks of any length, from one frame to as many as the caller
// likes. The file runner and the plug-ins drive the same chain.
//
// Stages, in order:
//   source      A-format: the 4x4 filter matrix over the capsule signals (in the setup's
//               capsule order); B-format: the four channels out of their convention. Both
//               give the program's own Furse-Malham W, X, Y, Z, times the source gain.
//   high-pass   the rumble filter (bformat/HighPassFilter), when a corner is set.
//   rotation    the sound field turned (bformat/RotationRamp): a new rotation is reached
//               over a ramp, every frame interpolated, so a head turn makes no zipper noise.
//   sync        keep sync: the first syncFrames frames of the B-format dropped; and for a
//               file, silence past its end (the decoder's flush).
//   direction   a tap for the direction map.
//   decoder     a BFormatDecoder (5.1, stereo, UHJ, headphones), as the engines use, with
//               its latency; none for a B-format output.
//   gain        the output gain, ramped when it changes.
//   meters      a tap for meters.
//   output      a B-format output in the setup's output convention (OutputLayout's table).
//
// Plans (common/PartitionPlan.h). Every FIR filter of the chain (the source's matrix, a
// headphone decode's HRIRs, the UHJ phase shift) runs on the setup's plan.
// - Throughput (files): every stage takes the caller's frames in pieces of pieceFrames;
//   the source computes the blocks of a piece on a worker pool, while the rest of the
//   chain works on the piece before (the pool's lock is taken; not for live use).
// - Live: the chain gathers the caller's frames into quanta of P frames (at most 64 at
//   48 kHz, scaled with the rate) and runs every stage on whole quanta, so that the
//   partitioned filters add nothing beyond that one quantum.
// Both give the same samples, to the rounding of the sums.
//
// Latency (LatencyFrames): the frames a runner drops at the start and flushes (with
// silence) at the end, so that output frame n lines up with frame n of the B-format (with
// keep sync, of the input): P on the live plan (0 on the throughput plan) + syncFrames +
// the decoder's own latency. Keep sync thus adds the filters' modelling delay to what a
// plug-in reports, and a runner drops it as the converter always has.
//
// Live use: Process, SetGain and SetRotation allocate nothing, take no lock, touch no file
// and plan no transform, on the live plan; denormals are flushed to zero while Process
// runs. Configure (and Reset, which prepares the decoder again) may do all of that: a
// plug-in builds a new chain on its worker thread (a new filter set) and swaps it in
// between two blocks. Calls on one chain come one at a time.
#pragma once

#include "bformat/HighPassFilter.h"
#include "bformat/RotationRamp.h"
#include "chain/ChainSetup.h"
#include "chain/ChainSource.h"
#include "chain/GainRamp.h"
#include "common/FailureDetail.h"
#include "common/FftwArray.h"
#include "common/WorkerPool.h"

#include <cstdint>
#include <memory>

namespace vq {

class BFormatDecoder;

class ProcessingChain final : private WorkerTask {
public:
    static constexpr int kMaxOutputs = 8;

    ProcessingChain();
    ~ProcessingChain();
    ProcessingChain(const ProcessingChain&) = delete;
    ProcessingChain& operator=(const ProcessingChain&) = delete;

    // Builds every stage for `setup`: transforms planned, buffers allocated, the decoder
    // made and prepared. 0, or kBadParameter, kOutOfMemory, kFftSetupFailed or a decoder's
    // code, with `failure` saying why. A chain that failed processes silence.
    int Configure(const ChainSetup& setup, FailureDetail* failure = nullptr);

    int InputChannels() const { return m_setup.inputChannels; }
    int OutputChannels() const { return m_outputs; }
    // Frames by which the output lags (see above), exact.
    std::int64_t LatencyFrames() const { return m_latency; }

    // The start of a new stream: every filter's memory cleared, ramps ended at their
    // targets; the decoder is prepared again.
    void Reset();

    // Processes the next `frames` frames (any number): in[c][0 .. frames-1] for every input
    // channel c, out[c][0 .. frames-1] for every output channel. Input and output arrays
    // must not overlap.
    void Process(const double* const in[], double* const out[], std::int64_t frames);

    // The output gain (linear), reached over `rampFrames` frames from the next one processed.
    void SetGain(double gain, std::int64_t rampFrames);
    // The rotation of the field, reached over `rampFrames` frames from the next one
    // processed: a plug-in gives its block's length, a head track its row's distance.
    void SetRotation(const FieldRotation& rotation, std::int64_t rampFrames);

private:
    void ProcessLive(const double* const source[4], double* const out[], std::int64_t frames);
    void ProcessPieces(const double* const source[4], double* const out[], std::int64_t frames);
    // Everything after the source on `frames` frames of wxyz (changed in place) into
    // out[c][0 .. frames-1].
    void Downstream(double* const wxyz[4], double* const out[], std::int64_t frames);
    void RunItem(std::int64_t item, int slot) override;
    void ClearStreams();

    ChainSetup m_setup;
    bool m_ready = false;
    int m_outputs = 4;
    std::int64_t m_latency = 0;
    std::int64_t m_piece = 0;  // frames a stage takes at a time: the quantum, or pieceFrames

    ChainSource m_source;
    std::unique_ptr<WorkerPool> m_pool;
    HighPassFilter m_highpass;
    bool m_highpassOn = false;
    RotationRamp m_rotation;
    std::unique_ptr<BFormatDecoder> m_decoder;
    GainRamp m_gain;
    // The output stage: output c is signal m_route[c] times m_weight[c].
    int m_route[kMaxOutputs] = {};
    double m_weight[kMaxOutputs] = {};

    // The B-format of two pieces (one made while the other goes on), and the decoded signals.
    FftwArray<double> m_bformat[2][4];
    FftwArray<double> m_decoded[kMaxOutputs];

    // Live plan: the quantum being gathered and the outputs of the last one.
    FftwArray<double> m_quantumIn[4];
    FftwArray<double> m_quantumOut[kMaxOutputs];
    std::int64_t m_filled = 0;

    std::int64_t m_syncLeft = 0;    // B-format frames still to drop
    std::int64_t m_kept = 0;        // B-format frames past the drop so far
    std::int64_t m_startSkip = 0;   // live plan: zeros the first quantum starts with
    // The piece the pool's job hands on (item 0) while the source's steps make the next.
    double* m_handBFormat[4] = {};
    double* m_handOut[kMaxOutputs] = {};
    std::int64_t m_handFrames = 0;
};

}  // namespace vq
