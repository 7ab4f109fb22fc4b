#include "convolver/QConvolver.h"

#include "common/EngineStatus.h"
#include "common/SoundFileOutput.h"
#include "common/WorkerPool.h"
#include "convolver/BlockConvolver.h"
#include "convolver/ConvolutionPass.h"

#include <algorithm>
#include <cstdio>
#include <new>

using namespace vq;

namespace {

// Upper bound of a chunk, whatever length is asked for: longer chunks do not run faster,
// they only take memory (four staging and four output buffers of this many frames).
constexpr sf_count_t kMaxChunkFrames = sf_count_t(1) << 20;

}  // namespace

// Forwards the pass's progress to the virtual progress operations.
class QConvolver::ProgressBridge final : public PassProgress {
public:
    explicit ProgressBridge(QConvolver& engine) : m_engine(engine) {}
    bool Report(std::int64_t done, std::int64_t total) override { return m_engine.ProgressUpdate(done, total); }

private:
    QConvolver& m_engine;
};

QConvolver::QConvolver(int outputFileCount)
    : m_outputFileCount(outputFileCount == 2 || outputFileCount == 4 ? outputFileCount : 1)
{
    m_outputInfo.channels = kChannels / m_outputFileCount;
    m_outputInfo.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    for (int i = 0; i < kChannels; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "out_%03d.wav", i);
        m_outputFileNames[i] = name;
    }
}

QConvolver::~QConvolver()
{
    m_pass.reset();
    m_pool.reset();
    m_convolver.reset();
    CloseFiles();
}

void QConvolver::ProgressStart(const char*, const char*)
{
    std::printf("Starting QConvolver calculations");
}

bool QConvolver::ProgressUpdate(std::int64_t done, std::int64_t total)
{
    if (done == -1)
        std::printf("done.\n");
    else
        std::printf("Processed %3.1f %%\n", total > 0 ? 100.0 * double(done) / double(total) : 100.0);
    return true;
}

void QConvolver::ProgressEnd()
{
    std::printf("Finished QConvolver calculations");
}

bool QConvolver::CountsClipping() const
{
    return IsIntegerFormat(m_outputInfo.format);
}

PassFiles QConvolver::MakePassFiles() const
{
    PassFiles files;
    files.inputs[0] = m_inputFiles[0];
    files.inputs[1] = m_inputFiles[1];
    files.inputFrames = m_inputInfo.frames;
    files.outputFileCount = m_outputFileCount;
    for (int f = 0; f < m_outputFileCount; ++f)
        files.outputs[f] = m_outputFiles[f];
    files.outputFrames = m_outputLength;
    return files;
}

int QConvolver::AllocateBuffers()
{
    const sf_count_t hop = m_fftLength - m_filterLength;
    // Each chunk holds whole hops: at least one, at most what the request allows (within
    // the bound), and no more than the recording needs.
    const sf_count_t requested = std::clamp(m_requestedBufferLength, hop, std::max(kMaxChunkFrames, hop));
    const sf_count_t neededBlocks = (m_outputLength + hop - 1) / hop;
    const sf_count_t chunkBlocks = std::max<sf_count_t>(1, std::min(requested / hop, neededBlocks));
    m_bufferLength = m_filterLength + chunkBlocks * hop;

    try {
        m_convolver = std::make_unique<BlockConvolver>();
        m_pool = std::make_unique<WorkerPool>(DefaultHelperThreads());
        m_pass = std::make_unique<ConvolutionPass>(*m_convolver, *m_pool);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    int status = m_convolver->Configure(m_filterLength, m_fftLength, m_pool->Slots());
    if (status != kStatusOk)
        return status;
    return m_pass->Allocate(MakePassFiles(), chunkBlocks);
}

int QConvolver::TransformFilters()
{
    // Filter k -> j is channel j of frames k*L .. k*L+L-1: read one k at a time.
    std::unique_ptr<double[]> taps(new (std::nothrow) double[static_cast<std::size_t>(kChannels) * m_filterLength]);
    if (!taps)
        return kOutOfMemory;
    for (int k = 0; k < kChannels; ++k) {
        if (SeekFrame(m_filterFile, sf_count_t(k) * m_filterLength, kFilterMatrixReadFailed) != kStatusOk ||
            ReadFrames(m_filterFile, taps.get(), m_filterLength) != kStatusOk)
            return kFilterMatrixReadFailed;
        for (int j = 0; j < kChannels; ++j)
            m_convolver->SetFilter(k, j, taps.get() + j, kChannels, m_gain);
    }
    return kStatusOk;
}

int QConvolver::RunPass(double offset)
{
    ProgressBridge bridge(*this);
    PassResult result;
    const int status = m_pass->Run(MakePassFiles(), offset, CountsClipping(), bridge, result);
    if (status == kStatusOk) {
        m_peak = result.peak;
        m_sum = result.sum;
        m_clippedSamples = result.clippedSamples;
    }
    return status;
}

int QConvolver::Run()
{
    m_peak = 0.0;
    m_sum = 0.0;
    m_clippedSamples = 0;
    m_finished = false;
    m_aborted = false;

    int status = CheckSetup();
    if (status == kStatusOk)
        status = OpenOutputFiles();
    if (status == kStatusOk)
        status = AllocateBuffers();
    if (status == kStatusOk)
        status = TransformFilters();
    if (status != kStatusOk)
        return status;

    ProgressStart(nullptr, nullptr);
    status = RunPass(0.0);
    if (status == kStatusCancelled) {
        // The progress display that answered "cancel" has closed itself.
        m_aborted = true;
        return kStatusCancelled;
    }
    if (status != kStatusOk) {
        ProgressEnd();
        return status;
    }
    m_finished = true;
    ProgressEnd();
    return kStatusOk;
}
