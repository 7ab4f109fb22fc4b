#include "surround/DecodeStage.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <new>

namespace vq {

int DecodeStage::Open(BFormatDecoder& decoder, const OutputLayout& layout, const std::vector<std::string>& names,
                      const WriterOptions& options, std::int64_t frames, FailureDetail* detail)
{
    m_decoder = &decoder;
    m_sampleRate = options.sampleRate;
    const int channels = decoder.OutputChannels();
    if (channels < 1 || channels > kMaxChannels)
        return kBadParameter;
    try {
        m_outputs.clear();
        m_outputs.resize(static_cast<std::size_t>(channels));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    bool ok = m_silence.Allocate(kPieceFrames);
    for (FftwArray<double>& output : m_outputs)
        ok = ok && output.Allocate(kPieceFrames);
    if (!ok)
        return kOutOfMemory;
    return m_writer.Open(layout, names, options, frames, kPieceFrames, detail);
}

int DecodeStage::BeginPass(double gain, bool again, FailureDetail* detail, double offset)
{
    int status = m_decoder->Prepare(m_sampleRate, kPieceFrames);
    if (status != kStatusOk && detail && detail->reason.empty())
        detail->reason = "the decode cannot run at " + std::to_string(m_sampleRate) + " Hz";
    if (status == kStatusOk && again)
        status = m_writer.Rewind(detail);
    m_writer.SetScale(gain, offset);
    m_toDrop = m_decoder->LatencyFrames();
    return status;
}

int DecodeStage::DecodePiece(const double* const wxyz[4], std::int64_t frames, FailureDetail* detail)
{
    double* out[kMaxChannels];
    for (std::size_t c = 0; c < m_outputs.size(); ++c)
        out[c] = m_outputs[c].data();
    m_decoder->Decode(wxyz, out, frames);
    // The first LatencyFrames() decoded frames come before the B-format's first frame.
    const std::int64_t drop = std::min(m_toDrop, frames);
    m_toDrop -= drop;
    if (drop == frames)
        return kStatusOk;
    const double* kept[kMaxChannels];
    for (std::size_t c = 0; c < m_outputs.size(); ++c)
        kept[c] = out[c] + drop;
    return m_writer.Write(kept, frames - drop, detail);
}

int DecodeStage::Consume(const double* const wxyz[4], std::int64_t frames, FailureDetail* detail)
{
    for (std::int64_t done = 0; done < frames; done += kPieceFrames) {
        const double* piece[4];
        for (int j = 0; j < 4; ++j)
            piece[j] = wxyz[j] + done;
        const int status = DecodePiece(piece, std::min(kPieceFrames, frames - done), detail);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

int DecodeStage::EndPass(FailureDetail* detail)
{
    const double* silence[4] = {m_silence.data(), m_silence.data(), m_silence.data(), m_silence.data()};
    for (std::int64_t left = m_decoder->LatencyFrames(); left > 0; left -= kPieceFrames) {
        const int status = DecodePiece(silence, std::min(kPieceFrames, left), detail);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

}  // namespace vq
