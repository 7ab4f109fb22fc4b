#include "convolver/ConvolutionPass.h"

#include "common/EngineStatus.h"
#include "common/FiniteSamples.h"

#include <algorithm>
#include <cstring>

namespace vq {

namespace {

constexpr std::int64_t kReadPieceFrames = 16384;
constexpr auto kReportInterval = std::chrono::milliseconds(100);

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

}  // namespace

ConvolutionPass::ConvolutionPass(BlockConvolver& convolver, WorkerPool& pool) : m_convolver(convolver), m_pool(pool) {}

int ConvolutionPass::Allocate(const PassInputs& inputs, std::int64_t chunkBlocks)
{
    m_inputs = inputs;
    m_hop = m_convolver.Hop();
    m_chunkFrames = chunkBlocks * m_hop;
    m_readPiece = std::min(kReadPieceFrames, m_chunkFrames);
    const std::size_t staging = static_cast<std::size_t>(m_chunkFrames + m_convolver.FilterLength());
    const std::size_t chunk = static_cast<std::size_t>(m_chunkFrames);
    // A piece of every channel of the widest input: a recorder's poly file has more than four.
    int widest = 1;
    for (int file = 0; file < inputs.fileCount; ++file)
        widest = std::max(widest, inputs.channels[file]);
    bool ok = m_readScratch.Allocate(static_cast<std::size_t>(widest) * static_cast<std::size_t>(m_readPiece));
    for (int set = 0; set < 2; ++set)
        for (int k = 0; k < kMatrixSize; ++k)
            ok = ok && m_staging[set][k].Allocate(staging) && m_outputs[set][k].Allocate(chunk);
    return ok ? kStatusOk : kOutOfMemory;
}

std::int64_t ConvolutionPass::ChunkOutputFrames(std::int64_t chunk) const
{
    return std::min(m_chunkFrames, m_inputs.outputFrames - chunk * m_chunkFrames);
}

std::int64_t ConvolutionPass::FramesDone() const
{
    return std::min(m_inputs.outputFrames, m_blocksDone.load(std::memory_order_relaxed) * m_hop);
}

int ConvolutionPass::FillStaging(int set, std::int64_t chunk)
{
    const std::size_t overlap = static_cast<std::size_t>(m_convolver.FilterLength());
    const std::int64_t first = chunk * m_chunkFrames;
    const std::int64_t available = std::clamp<std::int64_t>(m_inputs.frames - first, 0, m_chunkFrames);
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
        // NaN or an infinity would spread through every later block: the first one (the
        // earliest frame of any file) ends the pass.
        int badFile = -1;
        NonFiniteSample bad;
        for (int file = 0; file < m_inputs.fileCount; ++file) {
            JoinedSoundFile& input = *m_inputs.files[file];
            if (input.ReadFrames(scratch, n) != n) {
                m_readFailure = {input.PartOf(input.Position()), "it ended before its stated length"};
                return kInputReadFailed;
            }
            const int width = m_inputs.channels[file];
            NonFiniteSample found;
            if (FindNonFinite(scratch, n, width, &found) && (badFile < 0 || found.frame < bad.frame)) {
                badFile = file;
                bad = found;
            }
            for (int k = 0; k < kMatrixSize; ++k) {
                if (m_inputs.capsuleFile[k] != file)
                    continue;
                const double* in = scratch + m_inputs.capsuleChannel[k];
                double* out = dst[k] + done;
                for (std::int64_t i = 0; i < n; ++i)
                    out[i] = in[i * width];
            }
        }
        if (badFile >= 0) {
            // Named in the file that holds it, counted from that file's start.
            std::int64_t frameInPart = 0;
            const std::string& part = m_inputs.files[badFile]->PartOf(first + done + bad.frame, &frameInPart);
            m_readFailure = {part, DescribeNonFinite(bad, frameInPart - bad.frame)};
            return kNonFiniteInput;
        }
        done += n;
    }
    for (int k = 0; k < kMatrixSize; ++k)
        std::memset(dst[k] + available, 0, static_cast<std::size_t>(m_chunkFrames - available) * sizeof(double));
    return kStatusOk;
}

int ConvolutionPass::HandChunk(int set, std::int64_t chunk)
{
    double* wxyz[kMatrixSize];
    for (int j = 0; j < kMatrixSize; ++j)
        wxyz[j] = m_outputs[set][j].data();
    return m_sink->Consume(wxyz, ChunkOutputFrames(chunk));
}

void ConvolutionPass::RunItem(std::int64_t item, int slot)
{
    if (item == kReadItem) {
        if (m_nextChunk >= 0)
            m_readStatus = FillStaging(1 - m_currentSet, m_nextChunk);
        return;
    }
    if (item == kSinkItem) {
        if (m_previousChunk >= 0)
            m_sinkStatus = HandChunk(1 - m_currentSet, m_previousChunk);
        return;
    }
    const std::int64_t block = item - kBlockItems;
    const std::int64_t start = block * m_hop;
    const std::size_t keep = static_cast<std::size_t>(std::min(m_hop, m_currentFrames - start));
    const double* frames[kMatrixSize];
    for (int k = 0; k < kMatrixSize; ++k)
        frames[k] = m_staging[m_currentSet][k].data() + start;
    m_convolver.Convolve(frames, slot);
    for (int j = 0; j < kMatrixSize; ++j)
        std::memcpy(m_outputs[m_currentSet][j].data() + start, m_convolver.Result(slot, j), keep * sizeof(double));
    m_blocksDone.fetch_add(1, std::memory_order_relaxed);
}

bool ConvolutionPass::BetweenItems()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastReport < kReportInterval)
        return true;
    m_lastReport = now;
    return m_progress->Report(FramesDone(), m_inputs.outputFrames);
}

int ConvolutionPass::Run(BFormatSink& sink, PassProgress& progress, FailureDetail* detail)
{
    m_sink = &sink;
    m_progress = &progress;
    m_readFailure.Clear();
    for (int file = 0; file < m_inputs.fileCount; ++file) {
        FailureDetail problem;
        if (m_inputs.files[file]->Rewind(&problem) != kStatusOk) {
            if (detail)
                *detail = problem;
            return kInputReadFailed;
        }
    }

    const std::int64_t total = m_inputs.outputFrames;
    if (total <= 0)
        return kStatusOk;
    const std::int64_t chunks = CeilDiv(total, m_chunkFrames);
    m_blocksDone.store(0);
    m_lastReport = std::chrono::steady_clock::now();

    int status = FillStaging(0, 0);
    for (std::int64_t chunk = 0; chunk < chunks && status == kStatusOk; ++chunk) {
        m_currentSet = static_cast<int>(chunk % 2);
        m_currentFrames = ChunkOutputFrames(chunk);
        const std::int64_t blocks = CeilDiv(m_currentFrames, m_hop);
        // Reading the next chunk and handing on the previous one are items of the same job
        // as the blocks of this chunk, taken first: whichever threads are free do them.
        m_nextChunk = chunk + 1 < chunks ? chunk + 1 : -1;
        m_previousChunk = chunk - 1;
        m_readStatus = m_sinkStatus = kStatusOk;
        m_pool.Start(this, kBlockItems + blocks);
        const bool completed = m_pool.Finish();
        status = m_readStatus != kStatusOk ? m_readStatus : m_sinkStatus;
        if (status != kStatusOk)
            break;
        if (!completed)
            return kStatusCancelled;
        const auto now = std::chrono::steady_clock::now();
        if (chunk == 0 || chunk + 1 == chunks || now - m_lastReport >= kReportInterval) {
            m_lastReport = now;
            if (!progress.Report(FramesDone(), total))
                return kStatusCancelled;
        }
    }
    if (status == kStatusOk)
        status = HandChunk(static_cast<int>((chunks - 1) % 2), chunks - 1);
    if ((status == kInputReadFailed || status == kNonFiniteInput) && detail)
        *detail = m_readFailure;
    return status;
}

}  // namespace vq
