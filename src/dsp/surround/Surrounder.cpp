#include "surround/Surrounder.h"

#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "common/OutputLayout.h"
#include "spatial/DirectionMap.h"
#include "surround/DecodeStage.h"
#include "common/FiniteSamples.h"
#include "common/JoinedSoundFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace vq;

namespace {

// Upper bound of a block (the stretch between two progress reports), whatever length is
// asked for.
constexpr sf_count_t kMaxBlockFrames = sf_count_t(1) << 20;

// Frames read, decoded and written at a time: the buffers (ten doubles a frame) stay in
// the processor's cache between those three steps, which longer pieces would not.
constexpr sf_count_t kPieceFrames = 16384;

}  // namespace

Surrounder::Surrounder(double openingAngle, int outputFileCount)
    : m_outputFileCount(outputFileCount == 3 || outputFileCount == 6 ? outputFileCount : 1),
      m_openingAngle(openingAngle)
{
    m_outputInfo.channels = kChannels / m_outputFileCount;
    m_outputInfo.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    for (int i = 0; i < kChannels; ++i)
        m_outputFileNames[i] = DefaultOutputName(i);
}

Surrounder::~Surrounder()
{
    CloseFiles();
}

int Surrounder::Refuse(int status, const std::string& path, const std::string& reason)
{
    m_failure.path = path;
    m_failure.reason = reason;
    return status;
}

int Surrounder::AllocateBuffers()
{
    m_bufferLength = std::min(m_length, std::clamp<sf_count_t>(m_requestedBufferLength, 1, kMaxBlockFrames));
    m_pieceLength = std::max<sf_count_t>(1, std::min(m_bufferLength, kPieceFrames));
    const std::size_t frames = static_cast<std::size_t>(m_pieceLength);
    // Every channel of the input is read: a poly file has more than the four decoded.
    bool ok = m_readBuffer.Allocate(frames * static_cast<std::size_t>(m_inputInfo.channels));
    for (vq::FftwArray<double>& channel : m_bformat)
        ok = ok && channel.Allocate(frames);
    return ok ? kStatusOk : kOutOfMemory;
}

int Surrounder::DecodePiece(sf_count_t first, sf_count_t count)
{
    if (m_inputFile->ReadFrames(m_readBuffer.data(), count) != count)
        return Refuse(kInputReadFailed, m_inputFile->PartOf(m_inputFile->Position()),
                      "it ended before its stated length");
    // NaN or an infinity would run on through the LFE filter into every later sample.
    const int width = m_inputInfo.channels;
    NonFiniteSample bad;
    if (FindNonFinite(m_readBuffer.data(), count, width, &bad)) {
        std::int64_t frameInPart = 0;
        const std::string& part = m_inputFile->PartOf(first + bad.frame, &frameInPart);
        return Refuse(kNonFiniteInput, part, DescribeNonFinite(bad, frameInPart - bad.frame));
    }
    // The program's own B-format is Furse-Malham: an AmbiX file's W, Y, Z, X (SN3D) are
    // brought to W, X, Y, Z with W at -3 dB.
    static const int kFuMaChannel[4] = {0, 1, 2, 3};
    static const int kAmbiXChannel[4] = {0, 3, 1, 2};
    const bool ambix = m_inputConvention == BFormatConvention::AmbiX;
    const int* order = ambix ? kAmbiXChannel : kFuMaChannel;
    int channel[4];
    for (int j = 0; j < kInputChannels; ++j)
        channel[j] = m_inputChannels[order[j]];
    const double weight[4] = {ambix ? 1.0 / std::sqrt(2.0) : 1.0, 1.0, 1.0, 1.0};
    const double* in = m_readBuffer.data();
    double* wxyz[4] = {m_bformat[0].data(), m_bformat[1].data(), m_bformat[2].data(), m_bformat[3].data()};
    for (sf_count_t n = 0; n < count; ++n, in += width)
        for (int j = 0; j < kInputChannels; ++j)
            wxyz[j][n] = weight[j] * in[channel[j]];
    if (m_highpass)
        m_highpass->Process(wxyz, count);
    if (!m_rotation.IsIdentity())
        m_rotation.Apply(wxyz[1], wxyz[2], wxyz[3], count);
    // The map is of the take: the first pass alone (a second one decodes the same sound).
    if (m_directionMap && !m_finished)
        m_directionMap->Add(wxyz, count);
    return m_stage->Consume(wxyz, count, &m_failure);
}

int Surrounder::DecodePass(double gain, double offset, bool again, const char* title, const char* message)
{
    if (m_inputFile->Rewind(&m_failure) != kStatusOk)
        return kInputReadFailed;
    if (m_highpass)
        m_highpass->Reset();
    int status = m_stage->BeginPass(gain, again, &m_failure, offset);
    if (status != kStatusOk)
        return status;
    ProgressStart(title, message);
    for (sf_count_t start = 0; start < m_length && status == kStatusOk; start += m_bufferLength) {
        const sf_count_t block = std::min(m_bufferLength, m_length - start);
        for (sf_count_t done = 0; done < block && status == kStatusOk; done += m_pieceLength)
            status = DecodePiece(start + done, std::min(m_pieceLength, block - done));
        if (status == kStatusOk && !ProgressUpdate(start + block, m_length))
            status = kStatusCancelled;
    }
    if (status == kStatusOk)
        status = m_stage->EndPass(&m_failure);
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    return status;
}

int Surrounder::Run()
{
    if (m_state.StartRun() != kStatusOk)
        return kBadState;
    m_peak = m_sum = 0.0;
    m_clippedSamples = 0;
    m_finished = m_aborted = false;
    m_failure.Clear();

    int status = CheckSetup();
    if (status == kStatusOk && m_highpassHz > 0.0) {
        m_highpass = std::make_unique<HighPassFilter>();
        status = m_highpass->Configure(m_highpassHz, m_inputInfo.samplerate, kInputChannels);
        if (status != kStatusOk)
            Refuse(status, "", "the high-pass corner must lie between 10 and 200 Hz");
    }
    if (status == kStatusOk)
        status = AllocateBuffers();
    if (status == kStatusOk)
        status = OpenOutputFiles();
    if (status == kStatusOk)
        status = DecodePass(m_gain, 0.0, false, nullptr, nullptr);
    if (status != kStatusOk) {
        if (m_stage)
            m_stage->Discard();
        return status;
    }
    m_peak = m_stage->Peak();
    m_sum = m_stage->Sum();
    m_clippedSamples = m_stage->Clipped();
    m_finished = true;
    return m_autorange || m_normalize ? kStatusOk : m_stage->Commit(&m_failure);
}

std::vector<OutputFigures> Surrounder::Figures() const
{
    return m_stage ? m_stage->Writer().Figures() : std::vector<OutputFigures>();
}

std::optional<Loudness> Surrounder::ProgrammeLoudness() const
{
    return m_stage ? m_stage->Writer().ProgrammeLoudness() : std::nullopt;
}
