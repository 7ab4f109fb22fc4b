// FIR filters from a few inputs to a few outputs, applied by FFT to a stream that arrives
// in blocks, by either partition plan (PartitionPlan.h). Output frame n is exactly
// sum_k (h_kj * x_k)[n], whatever the blocks: the filters add no latency. The processing
// chain's A-format matrix, the headphone decode (four inputs to two ears) and the UHJ phase
// shift (one to one) run on it; the transforms are BlockConvolver's.
//
// Throughput plan: blocks of any length. Each step hands the block filter a frame of N
// points per input (N = ChooseFftLength): the last L-1 input samples (the filter memory),
// then up to N-L+1 new ones, then zeros. Its circular convolution with a filter of L taps
// is the linear one at indices L-1 onwards, one output for each new sample; a short block
// only makes a step give fewer. The steps of one block are independent of each other:
// BeginSteps, RunStep and EndSteps let a caller run them on several threads.
//
// Live plan: blocks of a whole number of quanta (PartitionedFir.h); a block of another
// length is refused.
#pragma once

#include "common/BlockConvolver.h"
#include "common/FftwArray.h"
#include "common/PartitionPlan.h"
#include "common/PartitionedFir.h"

#include <cstdint>

namespace vq {

class StreamingFirMatrix {
public:
    static constexpr int kMaxInputs = kMatrixSize;
    static constexpr int kMaxOutputs = kMatrixSize;

    // Sizes everything for filters of `filterLength` taps (>= 1) from `inputs` inputs
    // (1 .. kMaxInputs) to `outputs` outputs (1 .. kMaxOutputs) on `plan`, with scratch for
    // `slots` threads running steps at once (throughput plan), plans the transforms; all
    // filters zero, no memory. Status code.
    int Configure(int filterLength, int inputs, int outputs, const PartitionPlan& plan = PartitionPlan::Throughput(),
                  int slots = 1);

    // Sets the filter from `input` to `output` to gain * taps[0 .. filterLength-1].
    void SetFilter(int input, int output, const double* taps, double gain = 1.0);

    // Forgets the past input (the start of a new stream).
    void Reset();

    // Filters the next `frames` frames of in[0 .. inputs-1] into out[0 .. outputs-1][0 .. frames-1].
    // 0, or on the live plan kBadParameter for a block that is not a whole number of quanta
    // (the outputs are then zero and the stream goes on as if the block had not come).
    int Process(const double* const in[], double* const out[], std::int64_t frames);

    // The throughput plan's work on one block, step by step: BeginSteps, then RunStep for
    // every step from 0 to Steps(frames)-1, in any order, on any threads, each with a slot of
    // its own (0 .. slots-1), then EndSteps. The arrays must stay as they are until then.
    int Steps(std::int64_t frames) const;
    void BeginSteps(const double* const in[], double* const out[], std::int64_t frames);
    void RunStep(int step, int slot);
    void EndSteps();

    const PartitionPlan& Plan() const { return m_plan; }
    int FilterLength() const { return m_filterLength; }
    // Throughput plan: the transform length; live plan: the longest level's.
    int FftLength() const;

private:
    int Hop() const { return m_blocks.FftLength() - m_filterLength + 1; }

    PartitionPlan m_plan;
    int m_filterLength = 0;
    int m_inputs = 0;
    int m_outputs = 0;

    // Throughput plan.
    BlockConvolver m_blocks;
    // Per input: the first step's frame, its first L-1 samples the filter memory.
    FftwArray<double> m_frames[kMaxInputs];
    const double* m_in[kMaxInputs] = {};
    double* m_out[kMaxOutputs] = {};
    std::int64_t m_frameCount = 0;

    // Live plan.
    PartitionedFir m_partitioned;
};

}  // namespace vq
