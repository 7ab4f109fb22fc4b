#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "common/SoundFileOutput.h"

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

bool Surrounder::ProgressStart(const char*, const char*)
{
    std::printf("Starting Surrounder calculations");
    return true;
}

bool Surrounder::ProgressUpdate(int percent)
{
    if (percent == -1)
        std::printf("done.\n");
    else
        std::printf("Processed %d %%\n", percent);
    return true;
}

bool Surrounder::ProgressEnd()
{
    std::printf("Finished Surrounder calculations");
    return true;
}

int Surrounder::AllocateBuffers()
{
    m_bufferLength = std::min(m_length, std::clamp<sf_count_t>(m_requestedBufferLength, 1, kMaxBlockFrames));
    m_pieceLength = std::min(m_bufferLength, kPieceFrames);
    const std::size_t frames = static_cast<std::size_t>(m_pieceLength);
    if (!m_readBuffer.Allocate(frames * kInputChannels) || !m_outputBuffer.Allocate(frames * kChannels))
        return kOutOfMemory;
    return kStatusOk;
}

int Surrounder::DecodeBlock(sf_count_t frames, Pass& pass)
{
    for (sf_count_t done = 0; done < frames; done += m_pieceLength) {
        const sf_count_t count = std::min(m_pieceLength, frames - done);
        int status = ReadFrames(m_inputFile, m_readBuffer.data(), count);
        if (status != kStatusOk)
            return status;
        DecodePiece(count, pass);
        status = WritePiece(count);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

void Surrounder::DecodePiece(sf_count_t count, Pass& pass)
{
    // Channel k of frame n sits at offset[k] + n * stride: file k / perFile, channel
    // k % perFile of it, each file's frames interleaved from perFile * piece * file on.
    const int perFile = kChannels / m_outputFileCount;
    const std::size_t stride = static_cast<std::size_t>(perFile);
    std::size_t offset[kChannels];
    for (int k = 0; k < kChannels; ++k)
        offset[k] = static_cast<std::size_t>((k / perFile) * perFile * m_pieceLength + k % perFile);

    // Locals, not members, inside the loop: the compiler cannot tell the output stores
    // from them and would reload them every frame. One peak per channel keeps six short
    // dependency chains instead of one long one.
    const DecodeMatrix m = pass.matrix;
    const LfeFilter lfe = pass.lfe;
    const bool lfeOn = m_lowFreqsInLfe;
    const double lfeGain = pass.lfeGain;
    LfeState state = m_lfeState;
    double peak[kChannels] = {};
    const double* in = m_readBuffer.data();
    double* out = m_outputBuffer.data();
    for (sf_count_t n = 0; n < count; ++n, in += kInputChannels, out += stride) {
        const double w = in[0], x = in[1], y = in[2];
        double v[kChannels];
        for (int k = 0; k < kChannels; ++k)
            v[k] = m.w[k] * w + m.x[k] * x + m.y[k] * y;
        v[kLfe] = lfeOn ? lfeGain * lfe.Next(w, state) : 0.0;
        for (int k = 0; k < kChannels; ++k) {
            out[offset[k]] = v[k];
            peak[k] = std::max(peak[k], std::fabs(v[k]));
        }
    }
    m_lfeState = state;

    for (int k = 0; k < kChannels; ++k) {
        pass.levels.peak = std::max(pass.levels.peak, peak[k]);
        // Counted again only where something is over: rare, and it keeps the loop short.
        if (peak[k] > 1.0) {
            const double* channel = m_outputBuffer.data() + offset[k];
            for (sf_count_t n = 0; n < count; ++n)
                pass.levels.overFullScale += std::fabs(channel[n * perFile]) > 1.0;
        }
    }
}

int Surrounder::WritePiece(sf_count_t count)
{
    const int perFile = kChannels / m_outputFileCount;
    for (int f = 0; f < m_outputFileCount; ++f) {
        const double* region = m_outputBuffer.data() + static_cast<std::size_t>(f * perFile * m_pieceLength);
        const int status = WriteFrames(m_outputFiles[f], region, count);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

int Surrounder::DecodePass(double gain, bool rewindOutputs)
{
    // Only a second pass seeks the outputs: libsndfile takes long to close a file that was
    // sought while being written.
    int status = SeekFrame(m_inputFile, 0, kInputReadFailed);
    for (int f = 0; rewindOutputs && f < m_outputFileCount && status == kStatusOk; ++f)
        status = SeekFrame(m_outputFiles[f], 0, kOutputWriteFailed);
    if (status != kStatusOk)
        return status;

    Pass pass{MakeDecodeMatrix(m_openingAngle, gain), LfeFilter(m_inputInfo.samplerate), kLfeLevel * gain, Levels{}};
    m_lfeState = LfeState{};
    for (sf_count_t start = 0; start < m_length; start += m_bufferLength) {
        status = DecodeBlock(std::min(m_bufferLength, m_length - start), pass);
        if (status != kStatusOk)
            return status;
        // The share decoded before this block, truncated: 0 first, never 100.
        if (!ProgressUpdate(static_cast<int>(100 * start / m_length)))
            return kStatusCancelled;
    }
    m_peak = pass.levels.peak;
    m_clippedSamples = IsIntegerFormat(m_outputInfo.format) ? pass.levels.overFullScale : 0;
    return kStatusOk;
}

int Surrounder::Run()
{
    m_peak = 0.0;
    m_clippedSamples = 0;
    m_finished = false;
    m_aborted = false;

    int status = CheckSetup();
    if (status == kStatusOk)
        status = OpenOutputFiles();
    if (status == kStatusOk)
        status = AllocateBuffers();
    if (status != kStatusOk)
        return status;

    ProgressStart(nullptr, nullptr);
    status = DecodePass(m_gain, false);
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    m_finished = status == kStatusOk;
    return status;
}
