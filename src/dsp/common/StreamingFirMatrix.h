// FIR filters from a few inputs to a few outputs, applied by FFT to a stream that arrives
// in blocks of any length, with no latency: output frame n is exactly
// sum_k (h_kj * x_k)[n], whatever the blocks. The headphone decode (four inputs to two ears)
// and the UHJ phase shift (one to one) run on it; the transforms are BlockConvolver's.
//
// Each step hands the block filter a frame of N points per input: the last L-1 input
// samples (the filter memory), then up to N-L+1 new ones, then zeros. Its circular
// convolution with a filter of L taps is the linear one at indices L-1 onwards, one output
// for each new sample; a short block only makes a step give fewer.
#pragma once

#include "common/BlockConvolver.h"
#include "common/FftwArray.h"

#include <cstdint>

namespace vq {

class StreamingFirMatrix {
public:
    static constexpr int kMaxInputs = kMatrixSize;
    static constexpr int kMaxOutputs = kMatrixSize;

    // Sizes everything for filters of `filterLength` taps (>= 1) from `inputs` inputs
    // (1 .. kMaxInputs) to `outputs` outputs (1 .. kMaxOutputs), plans the transforms; all
    // filters zero, no memory. Status code.
    int Configure(int filterLength, int inputs, int outputs);

    // Sets the filter from `input` to `output` to taps[0 .. filterLength-1].
    void SetFilter(int input, int output, const double* taps);

    // Forgets the past input (the start of a new stream).
    void Reset();

    // Filters the next `frames` frames of in[0 .. inputs-1] into out[0 .. outputs-1][0 .. frames-1].
    void Process(const double* const in[], double* const out[], std::int64_t frames);

    int FilterLength() const { return m_blocks.FilterLength(); }
    int FftLength() const { return m_blocks.FftLength(); }

private:
    void Step(const double* const in[], double* const out[], int count);

    BlockConvolver m_blocks;  // one slot
    int m_inputs = 0;
    int m_outputs = 0;
    // Per input: the frame to transform, its first L-1 samples the filter memory.
    FftwArray<double> m_frames[kMaxInputs];
};

}  // namespace vq
