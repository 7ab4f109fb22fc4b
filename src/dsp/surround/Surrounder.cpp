#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "common/FiniteSamples.h"
#include "common/OutputLayout.h"
#include "common/OutputWriter.h"

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

// The LFE channel carries the low band of W at a tenth (-20 dB) of the gain.
constexpr double kLfeLevel = 0.1;

}  // namespace

Surrounder::Surrounder(double openingAngle, int outputFileCount)
    : m_outputFileCount(outputFileCount == 3 || outputFileCount == 6 ? outputFileCount : 1),
      m_openingAngle(openingAngle)
{
    m_outputInfo.channels = kChannels / m_outputFileCount;
    m_outputInfo.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    for (int i = 0; i < kChannels; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "out_%03d.wav", i);
        m_outputFileNames[i] = name;
    }
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
    if (!m_readBuffer.Allocate(frames * kInputChannels) || !m_channelBuffers.Allocate(frames * kChannels))
        return kOutOfMemory;
    return kStatusOk;
}

int Surrounder::DecodePiece(sf_count_t first, sf_count_t count, const DecodeMatrix& m, const LfeFilter& lfe)
{
    if (sf_readf_double(m_inputFile, m_readBuffer.data(), count) != count)
        return Refuse(kInputReadFailed, m_inputPath, "it ended before its stated length");
    // NaN or an infinity would run on through the LFE filter into every later sample.
    NonFiniteSample bad;
    if (FindNonFinite(m_readBuffer.data(), count, kInputChannels, &bad))
        return Refuse(kNonFiniteInput, m_inputPath, DescribeNonFinite(bad, first));
    // Locals, not members, inside the loop: the compiler cannot tell the output stores
    // from them and would reload them every frame.
    double* out[kChannels];
    for (int k = 0; k < kChannels; ++k)
        out[k] = m_channelBuffers.data() + static_cast<std::size_t>(k * m_pieceLength);
    const bool lfeOn = m_lowFreqsInLfe;
    LfeState state = m_lfeState;
    const double* in = m_readBuffer.data();
    for (sf_count_t n = 0; n < count; ++n, in += kInputChannels) {
        const double w = in[0], x = in[1], y = in[2];
        for (int k = 0; k < kChannels; ++k)
            out[k][n] = m.w[k] * w + m.x[k] * x + m.y[k] * y;
        out[kLfe][n] = lfeOn ? kLfeLevel * lfe.Next(w, state) : 0.0;
    }
    m_lfeState = state;
    return m_writer->Write(out, count, &m_failure);
}

int Surrounder::DecodePass(const char* title, const char* message)
{
    if (sf_seek(m_inputFile, 0, SEEK_SET) != 0)
        return Refuse(kInputReadFailed, m_inputPath, sf_strerror(m_inputFile));
    // The gain is the writer's: a second pass changes it there, and the LFE filter runs at
    // unity either way.
    const DecodeMatrix matrix = MakeDecodeMatrix(m_openingAngle, 1.0);
    const LfeFilter lfe(m_inputInfo.samplerate);
    m_lfeState = LfeState{};
    ProgressStart(title, message);
    int status = kStatusOk;
    for (sf_count_t start = 0; start < m_length && status == kStatusOk; start += m_bufferLength) {
        const sf_count_t block = std::min(m_bufferLength, m_length - start);
        for (sf_count_t done = 0; done < block && status == kStatusOk; done += m_pieceLength)
            status = DecodePiece(start + done, std::min(m_pieceLength, block - done), matrix, lfe);
        if (status == kStatusOk && !ProgressUpdate(start + block, m_length))
            status = kStatusCancelled;
    }
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    return status;
}

int Surrounder::Run()
{
    if (m_state != State::Setting)
        return kBadState;
    m_state = State::Ran;
    m_peak = 0.0;
    m_clippedSamples = 0;
    m_finished = m_aborted = false;
    m_failure.Clear();

    int status = CheckSetup();
    if (status == kStatusOk)
        status = OpenOutputFiles();
    if (status == kStatusOk)
        status = AllocateBuffers();
    if (status == kStatusOk) {
        m_writer->SetScale(m_gain, 0.0);
        status = DecodePass(nullptr, nullptr);
    }
    if (status != kStatusOk) {
        if (m_writer)
            m_writer->Discard();
        return status;
    }
    m_peak = m_writer->Peak();
    m_clippedSamples = m_writer->Clipped();
    m_finished = true;
    return m_autorange ? kStatusOk : m_writer->Commit(&m_failure);
}
