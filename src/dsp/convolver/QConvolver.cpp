#include "convolver/QConvolver.h"

#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "common/OutputLayout.h"
#include "common/FiniteSamples.h"
#include "common/OutputWriter.h"
#include "common/SoundFileInput.h"
#include "common/WorkerPool.h"
#include "common/BlockConvolver.h"
#include "convolver/ConvolutionPass.h"
#include "spatial/DirectionMap.h"
#include "surround/DecodeStage.h"

#include <algorithm>
#include <cstdio>
#include <new>

using namespace vq;

namespace {

// Upper bound of a chunk, whatever length is asked for: longer chunks do not run faster,
// they only take memory (four staging and four output buffers of this many frames).
constexpr sf_count_t kMaxChunkFrames = sf_count_t(1) << 20;

}  // namespace

// Forwards the pass's progress to the virtual progress operation.
class QConvolver::ProgressBridge final : public PassProgress {
public:
    explicit ProgressBridge(QConvolver& engine) : m_engine(engine) {}
    bool Report(std::int64_t done, std::int64_t total) override { return m_engine.ProgressUpdate(done, total); }

private:
    QConvolver& m_engine;
};

// Takes the B-format of each chunk, in order, through the high-pass and the rotation (when
// on) to the output files and to the decode.
class QConvolver::Sink final : public BFormatSink {
public:
    explicit Sink(QConvolver& engine) : m_engine(engine) {}
    // Each pass drops the same frames from the start and writes as many.
    void BeginPass()
    {
        m_toSkip = m_engine.m_align ? m_engine.m_alignDelay : 0;
        m_toWrite = m_engine.WrittenLength();
    }
    int Consume(double* const wxyz[kMatrixSize], std::int64_t frames) override
    {
        QConvolver& e = m_engine;
        // The filters run over every frame, the dropped ones too, so that their state is right.
        if (e.m_highpass)
            e.m_highpass->Process(wxyz, frames);
        if (!e.m_rotation.IsIdentity())
            e.m_rotation.Apply(wxyz[1], wxyz[2], wxyz[3], frames);
        const std::int64_t skip = std::min<std::int64_t>(frames, m_toSkip);
        const std::int64_t count = std::min<std::int64_t>(frames - skip, m_toWrite);
        m_toSkip -= skip;
        m_toWrite -= count;
        if (count <= 0)
            return kStatusOk;
        double* const kept[kMatrixSize] = {wxyz[0] + skip, wxyz[1] + skip, wxyz[2] + skip, wxyz[3] + skip};
        // The map is of the take: the first pass alone (a second one renders the same sound).
        if (e.m_directionMap && !e.m_finished)
            e.m_directionMap->Add(kept, count);
        int status = kStatusOk;
        if (e.m_writingBFormat)
            status = e.m_writer->Write(kept, count, &e.m_failure);
        if (status == kStatusOk && e.m_stage)
            status = e.m_stage->Consume(kept, count, &e.m_failure);
        return status;
    }

private:
    QConvolver& m_engine;
    std::int64_t m_toSkip = 0;
    std::int64_t m_toWrite = 0;
};

QConvolver::QConvolver(int outputFileCount)
    : m_outputFileCount(outputFileCount == 2 || outputFileCount == 4 ? outputFileCount : 1)
{
    m_outputInfo.channels = kChannels / m_outputFileCount;
    m_outputInfo.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    for (int i = 0; i < kChannels; ++i)
        m_outputFileNames[i] = DefaultOutputName(i);
}

QConvolver::~QConvolver()
{
    m_pass.reset();
    m_pool.reset();
    m_convolver.reset();
    CloseFiles();
}

int QConvolver::Refuse(int status, const std::string& path, const std::string& reason)
{
    m_failure.path = path;
    m_failure.reason = reason;
    return status;
}

PassInputs QConvolver::MakePassInputs() const
{
    PassInputs inputs;
    inputs.fileCount = InputFileCount();
    for (int f = 0; f < inputs.fileCount; ++f) {
        inputs.files[f] = m_inputFiles[f].get();
        inputs.channels[f] = m_inputInfo.channels;
    }
    for (int k = 0; k < kChannels; ++k) {
        inputs.capsuleFile[k] = m_capsuleChannels[k] / m_inputInfo.channels;
        inputs.capsuleChannel[k] = m_capsuleChannels[k] % m_inputInfo.channels;
    }
    inputs.frames = m_inputInfo.frames;
    inputs.outputFrames = m_outputLength;
    return inputs;
}

int QConvolver::AllocateBuffers()
{
    const sf_count_t hop = m_fftLength - m_filterLength;
    // Each chunk holds whole hops: at least one, at most what the request allows (within
    // the bound), and no more than the recording needs.
    const sf_count_t requested = std::clamp(m_requestedBufferLength, hop, std::max(kMaxChunkFrames, hop));
    const sf_count_t neededBlocks = (m_outputLength + hop - 1) / hop;
    const sf_count_t chunkBlocks = std::max<sf_count_t>(1, std::min(requested / hop, neededBlocks));

    try {
        m_convolver = std::make_unique<BlockConvolver>();
        const int threads = m_threads > 0 ? m_threads : DefaultHelperThreads() + 1;
        m_pool = std::make_unique<WorkerPool>(threads - 1);
        m_pass = std::make_unique<ConvolutionPass>(*m_convolver, *m_pool);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    // Measuring the transforms of long filters takes seconds: a cancel is heard between plans.
    const auto carryOn = [this] { return ProgressUpdate(0, m_outputLength); };
    int status = m_convolver->Configure(m_filterLength, m_fftLength, m_pool->Slots(), carryOn);
    if (status != kStatusOk)
        return status;
    return m_pass->Allocate(MakePassInputs(), chunkBlocks);
}

int QConvolver::TransformFilters()
{
    // Filter k -> j is channel j of frames k*L .. k*L+L-1: read one k at a time.
    std::unique_ptr<double[]> taps(new (std::nothrow) double[static_cast<std::size_t>(kChannels) * m_filterLength]);
    if (!taps)
        return kOutOfMemory;
    for (int k = 0; k < kChannels; ++k) {
        SNDFILE* file = m_filterFile->Handle();
        if (sf_seek(file, sf_count_t(k) * m_filterLength, SEEK_SET) != sf_count_t(k) * m_filterLength ||
            sf_readf_double(file, taps.get(), m_filterLength) != m_filterLength)
            return Refuse(kFilterMatrixReadFailed, m_filterPath, "it ended before its stated length");
        NonFiniteSample bad;
        if (FindNonFinite(taps.get(), m_filterLength, kChannels, &bad))
            return Refuse(kNonFiniteInput, m_filterPath, DescribeNonFinite(bad, sf_count_t(k) * m_filterLength));
        for (int j = 0; j < kChannels; ++j)
            m_convolver->SetFilter(k, j, taps.get() + j, kChannels, m_gain);
    }
    return kStatusOk;
}

int QConvolver::ConvolveAll()
{
    ProgressBridge bridge(*this);
    m_sink->BeginPass();
    int status = m_pass->Run(*m_sink, bridge, &m_failure);
    if (status == kStatusOk && m_stage)
        status = m_stage->EndPass(&m_failure);
    return status;
}

int QConvolver::RunPass(const char* title, const char* message)
{
    ProgressStart(title, message);
    const int status = ConvolveAll();
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    return status;
}

int QConvolver::Run()
{
    if (m_state.StartRun() != kStatusOk)
        return kBadState;
    m_peak = m_sum = 0.0;
    m_clippedSamples = 0;
    m_finished = m_aborted = false;
    m_failure.Clear();

    int status = CheckSetup();
    if (status != kStatusOk)
        return status;
    // The stage shows from the start of the preparation, so that the planning of the
    // transforms can be cancelled like the pass.
    ProgressStart(nullptr, nullptr);
    status = AllocateBuffers();
    if (status == kStatusOk)
        status = OpenOutputFiles();
    if (status == kStatusOk)
        status = TransformFilters();
    if (status == kStatusOk && m_highpassHz > 0.0) {
        m_highpass = std::make_unique<HighPassFilter>();
        status = m_highpass->Configure(m_highpassHz, m_inputInfo.samplerate, kChannels);
        if (status != kStatusOk)
            Refuse(status, "", "the high-pass corner must lie between 10 and 200 Hz");
    }
    if (status == kStatusOk && m_stage)
        status = m_stage->BeginPass(m_decodedGain, false, &m_failure);
    if (status == kStatusOk) {
        m_sink = std::make_unique<Sink>(*this);
        m_writingBFormat = m_writeBFormat;
        status = ConvolveAll();
    }
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    if (status != kStatusOk) {
        Discard();
        return status;
    }
    m_peak = m_writer->Peak();
    m_sum = m_writer->Sum();
    m_clippedSamples = m_writer->Clipped();
    if (m_stage) {
        m_decodedPeak = m_stage->Peak();
        m_decodedClippedSamples = m_stage->Clipped();
    }
    m_finished = true;
    return m_autorange || (m_stage && (m_decodedAutorange || m_decodedNormalize)) ? kStatusOk : Commit();
}

std::vector<OutputFigures> QConvolver::BFormatFigures() const
{
    return m_writer && m_writeBFormat ? m_writer->Figures() : std::vector<OutputFigures>();
}

std::vector<OutputFigures> QConvolver::DecodedFigures() const
{
    return m_stage ? m_stage->Writer().Figures() : std::vector<OutputFigures>();
}

std::optional<Loudness> QConvolver::DecodedLoudness() const
{
    return m_stage ? m_stage->Writer().ProgrammeLoudness() : std::nullopt;
}

int QConvolver::Commit()
{
    // Every file is finished before any is published, and the B-format and the decode are
    // published together or, without replacing, not at all.
    OutputWriter* writers[2] = {m_writeBFormat ? m_writer.get() : nullptr, m_stage ? &m_stage->Writer() : nullptr};
    int status = kStatusOk;
    for (OutputWriter* writer : writers)
        if (writer && status == kStatusOk)
            status = writer->Finish(&m_failure);
    for (int i = 0; i < 2 && status == kStatusOk; ++i)
        if (writers[i]) {
            status = writers[i]->Publish(&m_failure);
            if (status != kStatusOk && i == 1 && writers[0])
                writers[0]->Unpublish();
        }
    Discard();
    return status;
}

void QConvolver::Discard()
{
    if (m_writer)
        m_writer->Discard();
    if (m_stage)
        m_stage->Discard();
}
