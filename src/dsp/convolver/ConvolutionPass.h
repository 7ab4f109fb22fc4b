// One pass of the convolution engine over a whole recording: the four capsule signals are
// read from the two input files in long chunks, convolved block by block on every core,
// and written to the output files, with reading and writing overlapped with computing.
//
// Chunk q covers output frames [q*C, q*C + C) with C = K*H (K blocks of H frames). Its
// staging buffer per input holds x[q*C - L .. q*C + C): the L samples before the chunk,
// carried over from the previous chunk, then the chunk's own frames. While the blocks of
// chunk q are computed, chunk q+1 is read and chunk q-1 written, by whichever threads are free.
#pragma once

#include "common/FftwArray.h"
#include "common/WorkerPool.h"
#include "convolver/BlockConvolver.h"

#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace vq {

// Receives progress on the calling thread; false asks the pass to stop.
class PassProgress {
public:
    virtual bool Report(std::int64_t blocksDone, std::int64_t blocksTotal) = 0;

protected:
    ~PassProgress() = default;
};

struct PassFiles {
    SNDFILE* inputs[2] = {nullptr, nullptr};  // FLU+FRD, BLD+BRU
    std::int64_t inputFrames = 0;
    SNDFILE* outputs[kMatrixSize] = {nullptr, nullptr, nullptr, nullptr};
    int outputFileCount = 1;  // 1, 2 or 4
    std::int64_t outputFrames = 0;
};

struct PassResult {
    double peak = 0.0;                // largest absolute output sample
    double sum = 0.0;                 // sum of all output samples of all outputs
    std::int64_t clippedSamples = 0;  // samples beyond full scale (counted when asked)
};

class ConvolutionPass final : private WorkerTask {
public:
    ConvolutionPass(BlockConvolver& convolver, WorkerPool& pool);

    // Allocates every buffer for chunks of up to `chunkBlocks` blocks. Status code.
    int Allocate(const PassFiles& files, std::int64_t chunkBlocks);

    // Runs the pass from frame 0 of every file: output = convolution - offset.
    // Returns 0, kStatusCancelled, or the code of a failed read or write.
    int Run(const PassFiles& files, double offset, bool countClipping, PassProgress& progress, PassResult& result);

    std::int64_t ChunkFrames() const { return m_chunkFrames; }

private:
    struct BlockStats {
        double peak;
        double sum;
        std::int64_t clipped;
    };

    // Items of one chunk's job: read the next chunk, write the previous one, then the blocks.
    enum : std::int64_t { kReadItem = 0, kWriteItem = 1, kBlockItems = 2 };

    void RunItem(std::int64_t item, int slot) override;
    bool BetweenItems() override;

    int FillStaging(int set, std::int64_t chunk);
    int WriteChunk(int set, std::int64_t chunk);
    std::int64_t ChunkOutputFrames(std::int64_t chunk) const;

    BlockConvolver& m_convolver;
    WorkerPool& m_pool;
    PassFiles m_files;

    std::int64_t m_hop = 0;
    std::int64_t m_chunkFrames = 0;  // C
    std::int64_t m_readPiece = 0;
    FftwArray<double> m_staging[2][kMatrixSize];
    FftwArray<double> m_outputPlanes[2][kMatrixSize];
    FftwArray<double> m_readScratch;
    std::vector<BlockStats> m_blockStats;

    // State of the chunk being computed.
    int m_currentSet = 0;
    std::int64_t m_currentFrames = 0;
    std::int64_t m_nextChunk = -1;      // chunk to read meanwhile, or -1
    std::int64_t m_previousChunk = -1;  // chunk to write meanwhile, or -1
    bool m_outputsWritten = false;      // a pass has written the outputs already
    int m_readStatus = 0;
    int m_writeStatus = 0;
    double m_offset = 0.0;
    bool m_countClipping = false;

    // Progress, reported from the calling thread between its own blocks.
    PassProgress* m_progress = nullptr;
    std::atomic<std::int64_t> m_blocksDone{0};
    std::int64_t m_blocksTotal = 0;
    std::chrono::steady_clock::time_point m_lastReport;
};

}  // namespace vq
