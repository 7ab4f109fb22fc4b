// What a processing chain (ProcessingChain.h) is made of, as one value: where its B-format
// comes from, what is done to it, how it is decoded and where its signals are tapped. A
// runner of files and a plug-in fill one in and hand it over; nothing in it changes while
// the chain runs, except what the chain's own calls change (gain, rotation).
#pragma once

#include "bformat/FieldRotation.h"
#include "common/OutputLayout.h"
#include "common/PartitionPlan.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vq {

class BFormatDecoder;

// The A-format filter matrix: taps[(k * 4 + j) * length + i] is tap i of the filter from
// capsule k (FLU, FRD, BLD, BRU) to B-format signal j (W, X, Y, Z).
struct FilterMatrixTaps {
    int length = 0;
    std::vector<double> taps;

    const double* Filter(int capsule, int signal) const
    {
        return taps.data() + static_cast<std::size_t>(capsule * 4 + signal) * static_cast<std::size_t>(length);
    }
};

// Receives a copy of the signals at one point of the chain, block by block, one call at a
// time and in order (on the throughput plan, on whichever thread of the chain's pool). `first` is the number of the block's
// first frame counted in the output a runner keeps: frame 0 lines up with the first frame
// after the chain's latency, so frames before it (a decoder's start) count negative. Must
// not allocate or wait when the chain runs live.
class ChainTap {
public:
    virtual void Take(const double* const signals[], int channels, std::int64_t frames, std::int64_t first) = 0;

protected:
    ~ChainTap() = default;
};

enum class ChainInput {
    AFormat,  // the four capsule signals, through the filter matrix
    BFormat,  // W, X, Y, Z in a convention
};

struct ChainSetup {
    int sampleRate = 48000;
    // PartitionPlan::Throughput() for files, PartitionPlan::Live(sampleRate) for a stream.
    PartitionPlan plan = PartitionPlan::Throughput();
    // Throughput plan: threads that compute the source's blocks of a long call and overlap
    // them with the rest of the chain (0: one per core), and the frames every stage takes
    // at a time.
    int threads = 1;
    std::int64_t pieceFrames = 65536;

    // The source.
    ChainInput input = ChainInput::AFormat;
    int inputChannels = 4;  // channels of the blocks handed to Process
    // A-format: the input channel of each capsule FLU, FRD, BLD, BRU (any four different).
    int capsuleChannels[4] = {0, 1, 2, 3};
    std::shared_ptr<const FilterMatrixTaps> filters;
    // B-format: the convention of the input's four channels; the chain's own is Furse-Malham.
    BFormatConvention inputConvention = BFormatConvention::FuMa;
    // Linear factor on the B-format the source makes, before everything after it (for the
    // A-format, folded into the filters).
    double sourceGain = 1.0;

    // Keep sync: frames of the source's B-format dropped at its start (the filters'
    // modelling delay), so that output frame n lines up with input frame n. They are
    // filtered and turned like the others, but neither tapped nor decoded.
    int syncFrames = 0;
    // A file's end: the frames of B-format (after the sync drop) that the output stands for.
    // Past them the decoder gets silence, as the engines flush a decode at a file's end, and
    // the direction tap gets nothing. -1: a stream without end.
    std::int64_t lengthFrames = -1;
    // Corner of the rumble high-pass in Hz (10 to 200, below 0.45 times the rate); 0: off.
    double highpassHz = 0.0;
    FieldRotation rotation;  // the rotation at the start

    // Makes the decoder the chain owns; empty: the output is the B-format itself, in
    // `outputConvention`.
    std::function<std::unique_ptr<BFormatDecoder>()> decoder;
    BFormatConvention outputConvention = BFormatConvention::FuMa;
    double gain = 1.0;  // linear factor on the outputs at the start

    ChainTap* directionTap = nullptr;  // the B-format after the rotation (the direction map)
    ChainTap* meterTap = nullptr;      // the outputs after the gain, in the decoder's order
};

}  // namespace vq
