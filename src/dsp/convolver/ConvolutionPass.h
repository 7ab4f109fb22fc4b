// One pass of the convolution engine over a whole recording: the four capsule signals are
// read from the input files in long chunks, convolved block by block on every core, and
// handed chunk by chunk, in order, to a sink that writes them; reading, computing and the
// sink's work overlap.
//
// Chunk q covers output frames [q*C, q*C + C) with C = K*H (K blocks of H frames). Its
// staging buffer per capsule holds x[q*C - L .. q*C + C): the L samples before the chunk,
// carried over from the previous chunk, then the chunk's own frames. While the blocks of
// chunk q are computed, chunk q+1 is read and chunk q-1 handed to the sink, by whichever
// threads are free.
#pragma once

#include "common/FailureDetail.h"
#include "common/FftwArray.h"
#include "common/JoinedSoundFile.h"
#include "common/WorkerPool.h"
#include "common/BlockConvolver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vq {

constexpr int kMaxInputFiles = 4;

// Receives progress on the calling thread; false asks the pass to stop.
class PassProgress {
public:
    virtual bool Report(std::int64_t framesDone, std::int64_t framesTotal) = 0;

protected:
    ~PassProgress() = default;
};

// Takes the B-format chunk by chunk, in order: wxyz[j][0 .. frames-1] is output j (W, X, Y,
// Z). Called on any one thread at a time; returns 0 or a status code that ends the pass.
class BFormatSink {
public:
    virtual int Consume(double* const wxyz[kMatrixSize], std::int64_t frames) = 0;

protected:
    ~BFormatSink() = default;
};

// Where the four capsule signals come from: inputs of any channel count (each one file, or
// the parts of a split recording joined), and for capsule k (FLU, FRD, BLD, BRU) the input
// and the channel within it.
struct PassInputs {
    JoinedSoundFile* files[kMaxInputFiles] = {nullptr, nullptr, nullptr, nullptr};
    int channels[kMaxInputFiles] = {0, 0, 0, 0};
    int fileCount = 0;
    int capsuleFile[kMatrixSize] = {0, 0, 1, 1};
    int capsuleChannel[kMatrixSize] = {0, 1, 0, 1};
    std::int64_t frames = 0;        // frames of every input file
    std::int64_t outputFrames = 0;  // frames of the B-format: input frames + L
};

class ConvolutionPass final : private WorkerTask {
public:
    ConvolutionPass(BlockConvolver& convolver, WorkerPool& pool);

    // Allocates every buffer for chunks of up to `chunkBlocks` blocks. Status code.
    int Allocate(const PassInputs& inputs, std::int64_t chunkBlocks);

    // Runs the pass from frame 0 of every input. Returns 0, kStatusCancelled, the code of a
    // failed read or of a sample that is NaN or infinite (detail names the file, and the
    // frame) or the code the sink returned.
    int Run(BFormatSink& sink, PassProgress& progress, FailureDetail* detail);

private:
    // Items of one chunk's job: read the next chunk, hand the previous one to the sink,
    // then the blocks.
    enum : std::int64_t { kReadItem = 0, kSinkItem = 1, kBlockItems = 2 };

    void RunItem(std::int64_t item, int slot) override;
    bool BetweenItems() override;

    int FillStaging(int set, std::int64_t chunk);
    int HandChunk(int set, std::int64_t chunk);
    std::int64_t ChunkOutputFrames(std::int64_t chunk) const;
    std::int64_t FramesDone() const;

    BlockConvolver& m_convolver;
    WorkerPool& m_pool;
    PassInputs m_inputs;
    BFormatSink* m_sink = nullptr;

    std::int64_t m_hop = 0;
    std::int64_t m_chunkFrames = 0;  // C
    std::int64_t m_readPiece = 0;
    FftwArray<double> m_staging[2][kMatrixSize];
    FftwArray<double> m_outputs[2][kMatrixSize];
    FftwArray<double> m_readScratch;

    // State of the chunk being computed.
    int m_currentSet = 0;
    std::int64_t m_currentFrames = 0;
    std::int64_t m_nextChunk = -1;      // chunk to read meanwhile, or -1
    std::int64_t m_previousChunk = -1;  // chunk to hand to the sink meanwhile, or -1
    int m_readStatus = 0;
    int m_sinkStatus = 0;
    FailureDetail m_readFailure;

    // Progress, reported from the calling thread between its own blocks.
    PassProgress* m_progress = nullptr;
    std::atomic<std::int64_t> m_blocksDone{0};
    std::chrono::steady_clock::time_point m_lastReport;
};

}  // namespace vq
