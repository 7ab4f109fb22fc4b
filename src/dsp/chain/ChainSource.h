// The first stage of a processing chain: the program's own B-format (Furse-Malham W, X, Y,
// Z) from what the chain is fed. For A-format, the 4x4 filter matrix over the capsule
// signals (StreamingFirMatrix, on the chain's partition plan); for B-format, its channels
// reordered and weighted out of their convention. Either is scaled by the setup's source gain.
//
// On the throughput plan a block is done in steps that may run on several threads at once
// (Steps, BeginSteps, RunStep, EndSteps); B-format is one step.
#pragma once

#include "chain/ChainSetup.h"
#include "common/FailureDetail.h"
#include "common/StreamingFirMatrix.h"

#include <cstdint>

namespace vq {

class ChainSource {
public:
    // Sizes the source for `setup` (its filters transformed), with scratch for `slots`
    // threads. 0, kBadParameter (detail says what), kOutOfMemory or kFftSetupFailed.
    int Configure(const ChainSetup& setup, int slots, FailureDetail* failure);
    void Reset();

    // The next `frames` frames: in[k] is capsule k (A-format) or channel k of the
    // convention (B-format); wxyz[j] receives signal j.
    void Process(const double* const in[4], double* const wxyz[4], std::int64_t frames);

    int Steps(std::int64_t frames) const;
    void BeginSteps(const double* const in[4], double* const wxyz[4], std::int64_t frames);
    void RunStep(int step, int slot);
    void EndSteps();

private:
    void Convert(const double* const in[4], double* const wxyz[4], std::int64_t frames) const;

    ChainInput m_input = ChainInput::AFormat;
    StreamingFirMatrix m_matrix;
    // B-format: signal j is weight[j] times input channel channel[j].
    int m_channel[4] = {0, 1, 2, 3};
    double m_weight[4] = {1.0, 1.0, 1.0, 1.0};
    const double* m_in[4] = {};
    double* m_out[4] = {};
    std::int64_t m_frames = 0;
};

}  // namespace vq
