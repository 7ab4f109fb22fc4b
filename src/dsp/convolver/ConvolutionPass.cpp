#include "convolver/ConvolutionPass.h"

#include "common/EngineStatus.h"
#include "common/SoundFileOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace vq {

namespace {

constexpr std::int64_t kReadPieceFrames = 16384;
constexpr auto kReportInterval = std::chrono::milliseconds(100);

// Where output j (W, X, Y, Z) lives: which file, which channel of how many.
struct Route {
    int file;
    int channel;
    int channels;
};

Route RouteOutput(int output, int outputFileCount)
{
    switch (outputFileCount) {
    case 4:
        return {output, 0, 1};
    case 2:
        // Stereo pairs carry X,W and Z,Y: the even outputs go to the second channel.
        return {output / 2, output % 2 == 0 ? 1 : 0, 2};
    default:
        return {0, output, kMatrixSize};
    }
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

}  // namespace

ConvolutionPass::ConvolutionPass(BlockConvolver& convolver, WorkerPool& pool) : m_convolver(convolver), m_pool(pool) {}

int ConvolutionPass::Allocate(const PassFiles& files, std::int64_t chunkBlocks)
{
    m_files = files;
    m_hop = m_convolver.Hop();
    m_chunkFrames = chunkBlocks * m_hop;
    m_readPiece = std::min(kReadPieceFrames, m_chunkFrames);
    const std::size_t staging = static_cast<std::size_t>(m_chunkFrames + m_convolver.FilterLength());
    const std::size_t plane = static_cast<std::size_t>(m_chunkFrames) * (kMatrixSize / files.outputFileCount);
    bool ok = m_readScratch.Allocate(static_cast<std::size_t>(2 * m_readPiece));
    for (int set = 0; set < 2; ++set) {
        for (int k = 0; k < kMatrixSize; ++k)
            ok = ok && m_staging[set][k].Allocate(staging);
        for (int f = 0; f < files.outputFileCount; ++f)
            ok = ok && m_outputPlanes[set][f].Allocate(plane);
    }
    try {
        m_blockStats.assign(static_cast<std::size_t>(chunkBlocks), BlockStats{});
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    return ok ? kStatusOk : kOutOfMemory;
}

std::int64_t ConvolutionPass::ChunkOutputFrames(std::int64_t chunk) const
{
    return std::min(m_chunkFrames, m_files.outputFrames - chunk * m_chunkFrames);
}

int ConvolutionPass::FillStaging(int set, std::int64_t chunk)
{
    const std::size_t overlap = static_cast<std::size_t>(m_convolver.FilterLength());
    const std::int64_t first = chunk * m_chunkFrames;
    const std::int64_t available = std::clamp<std::int64_t>(m_files.inputFrames - first, 0, m_chunkFrames);
    double* dst[kMatrixSize];
    for (int k = 0; k < kMatrixSize; ++k) {
        dst[k] = m_staging[set][k].data();
        // The L samples before the chunk: zeros before the recording, else the end of the
        // previous chunk's stretch.
        if (chunk == 0)
            std::memset(dst[k], 0, overlap * sizeof(double));
        else
            std::memcpy(dst[k], m_staging[1 - set][k].data() + m_chunkFrames, overlap * sizeof(double));
        dst[k] += overlap;
    }
    double* scratch = m_readScratch.data();
    for (std::int64_t done = 0; done < available;) {
        const std::int64_t n = std::min(m_readPiece, available - done);
        for (int file = 0; file < 2; ++file) {
            const int status = ReadFrames(m_files.inputs[file], scratch, n);
            if (status != kStatusOk)
                return status;
            double* left = dst[2 * file] + done;
            double* right = dst[2 * file + 1] + done;
            for (std::int64_t i = 0; i < n; ++i) {
                left[i] = scratch[2 * i];
                right[i] = scratch[2 * i + 1];
            }
        }
        done += n;
    }
    for (int k = 0; k < kMatrixSize; ++k)
        std::memset(dst[k] + available, 0, static_cast<std::size_t>(m_chunkFrames - available) * sizeof(double));
    return kStatusOk;
}

int ConvolutionPass::WriteChunk(int set, std::int64_t chunk)
{
    const std::int64_t frames = ChunkOutputFrames(chunk);
    for (int f = 0; f < m_files.outputFileCount; ++f) {
        const int status = WriteFrames(m_files.outputs[f], m_outputPlanes[set][f].data(), frames);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

void ConvolutionPass::RunItem(std::int64_t item, int slot)
{
    if (item == kReadItem) {
        if (m_nextChunk >= 0)
            m_readStatus = FillStaging(1 - m_currentSet, m_nextChunk);
        return;
    }
    if (item == kWriteItem) {
        if (m_previousChunk >= 0)
            m_writeStatus = WriteChunk(1 - m_currentSet, m_previousChunk);
        return;
    }
    const std::int64_t block = item - kBlockItems;
    const std::int64_t start = block * m_hop;
    const std::int64_t keep = std::min(m_hop, m_currentFrames - start);
    const double* frames[kMatrixSize];
    for (int k = 0; k < kMatrixSize; ++k)
        frames[k] = m_staging[m_currentSet][k].data() + start;
    m_convolver.Convolve(frames, slot);

    BlockStats stats{0.0, 0.0, 0};
    for (int j = 0; j < kMatrixSize; ++j) {
        const Route route = RouteOutput(j, m_files.outputFileCount);
        double* out = m_outputPlanes[m_currentSet][route.file].data() + start * route.channels + route.channel;
        const double* result = m_convolver.Result(slot, j);
        for (std::int64_t i = 0; i < keep; ++i) {
            const double v = result[i] - m_offset;
            out[i * route.channels] = v;
            const double magnitude = std::fabs(v);
            stats.peak = std::max(stats.peak, magnitude);
            stats.sum += v;
            if (m_countClipping && magnitude > 1.0)
                ++stats.clipped;
        }
    }
    m_blockStats[static_cast<std::size_t>(block)] = stats;
    m_blocksDone.fetch_add(1, std::memory_order_relaxed);
}

bool ConvolutionPass::BetweenItems()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastReport < kReportInterval)
        return true;
    m_lastReport = now;
    return m_progress->Report(m_blocksDone.load(std::memory_order_relaxed), m_blocksTotal);
}

int ConvolutionPass::Run(const PassFiles& files, double offset, bool countClipping, PassProgress& progress,
                         PassResult& result)
{
    m_files = files;
    m_offset = offset;
    m_countClipping = countClipping;
    m_progress = &progress;
    result = PassResult{};

    for (int file = 0; file < 2; ++file) {
        const int status = SeekFrame(files.inputs[file], 0, kInputReadFailed);
        if (status != kStatusOk)
            return status;
    }
    // A second pass writes the outputs again from their start. (The first does not seek:
    // libsndfile takes long to close a file that was sought while being written.)
    for (int f = 0; m_outputsWritten && f < files.outputFileCount; ++f) {
        const int status = SeekFrame(files.outputs[f], 0, kOutputWriteFailed);
        if (status != kStatusOk)
            return status;
    }
    m_outputsWritten = true;

    const std::int64_t total = files.outputFrames;
    if (total <= 0)
        return kStatusOk;
    const std::int64_t chunks = CeilDiv(total, m_chunkFrames);
    const std::int64_t lastChunkBlocks = CeilDiv(ChunkOutputFrames(chunks - 1), m_hop);
    m_blocksTotal = (chunks - 1) * (m_chunkFrames / m_hop) + lastChunkBlocks;
    m_blocksDone.store(0);
    m_lastReport = std::chrono::steady_clock::now();

    int status = FillStaging(0, 0);
    for (std::int64_t chunk = 0; chunk < chunks && status == kStatusOk; ++chunk) {
        m_currentSet = static_cast<int>(chunk % 2);
        m_currentFrames = ChunkOutputFrames(chunk);
        const std::int64_t blocks = CeilDiv(m_currentFrames, m_hop);
        // Reading the next chunk and writing the previous one are items of the same job as
        // the blocks of this chunk, taken first: whichever threads are free do them.
        m_nextChunk = chunk + 1 < chunks ? chunk + 1 : -1;
        m_previousChunk = chunk - 1;
        m_readStatus = m_writeStatus = kStatusOk;
        m_pool.Start(this, kBlockItems + blocks);
        const bool completed = m_pool.Finish();
        status = m_readStatus != kStatusOk ? m_readStatus : m_writeStatus;
        if (status != kStatusOk)
            return status;
        if (!completed)
            return kStatusCancelled;

        // Merged in block order, so the figures do not depend on the thread count.
        for (std::int64_t b = 0; b < blocks; ++b) {
            const BlockStats& s = m_blockStats[static_cast<std::size_t>(b)];
            result.peak = std::max(result.peak, s.peak);
            result.sum += s.sum;
            result.clippedSamples += s.clipped;
        }
        const bool first = chunk == 0;
        const bool last = chunk + 1 == chunks;
        const auto now = std::chrono::steady_clock::now();
        if (first || last || now - m_lastReport >= kReportInterval) {
            m_lastReport = now;
            if (!progress.Report(m_blocksDone.load(), m_blocksTotal))
                return kStatusCancelled;
        }
    }
    if (status == kStatusOk)
        status = WriteChunk(static_cast<int>((chunks - 1) % 2), chunks - 1);
    return status;
}

}  // namespace vq
