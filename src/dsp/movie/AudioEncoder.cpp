#include "movie/AudioEncoder.h"

#include "common/EngineStatus.h"
#include "movie/AvError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <type_traits>

namespace vq {

namespace {

// PCM encoders take any number of frames at once; this many make a packet.
constexpr int kPcmFrameLength = 4096;

int Fail(FailureDetail* detail, int status, const std::string& reason)
{
    if (detail)
        detail->reason = reason;
    return status;
}

bool IsIntegerFormat(int format)
{
    return format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S32;
}

// The sample format to feed the encoder: 16-bit PCM takes int16, 24-bit PCM the top 24 bits
// of int32 (as libsndfile's integer writes do), the others float, interleaved or planar.
AVSampleFormat ChooseSampleFormat(const AVCodec* codec, int integerBits)
{
    for (const AVSampleFormat* format = codec->sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format) {
        const bool fits = integerBits == 16   ? *format == AV_SAMPLE_FMT_S16
                          : integerBits == 24 ? *format == AV_SAMPLE_FMT_S32
                                              : *format == AV_SAMPLE_FMT_FLT || *format == AV_SAMPLE_FMT_FLTP;
        if (fits)
            return *format;
    }
    return AV_SAMPLE_FMT_NONE;
}

bool TakesRate(const AVCodec* codec, int sampleRate)
{
    if (!codec->supported_samplerates)
        return true;
    for (const int* rate = codec->supported_samplerates; *rate; ++rate)
        if (*rate == sampleRate)
            return true;
    return false;
}

// Copies `count` frames of `in` into `frame` from frame `at` (silence when `in` is null).
template <typename Sample>
void Store(const Sample* in, int count, AVFrame* frame, int at)
{
    const int channels = frame->ch_layout.nb_channels;
    const AVSampleFormat format = static_cast<AVSampleFormat>(frame->format);
    if (!in) {
        av_samples_set_silence(frame->data, at, count, channels, format);
        return;
    }
    const int samples = count * channels;
    if constexpr (std::is_integral<Sample>::value) {
        if (format == AV_SAMPLE_FMT_S16) {
            std::int16_t* out = reinterpret_cast<std::int16_t*>(frame->data[0]) + at * channels;
            for (int i = 0; i < samples; ++i)
                out[i] = static_cast<std::int16_t>(in[i] >> 16);
        } else {
            std::int32_t* out = reinterpret_cast<std::int32_t*>(frame->data[0]) + at * channels;
            std::copy(in, in + samples, out);
        }
    } else if (format == AV_SAMPLE_FMT_FLTP) {
        for (int c = 0; c < channels; ++c) {
            float* out = reinterpret_cast<float*>(frame->data[c]) + at;
            for (int n = 0; n < count; ++n)
                out[n] = static_cast<float>(in[n * channels + c]);
        }
    } else {
        float* out = reinterpret_cast<float*>(frame->data[0]) + at * channels;
        for (int i = 0; i < samples; ++i)
            out[i] = static_cast<float>(in[i]);
    }
}

}  // namespace

AudioEncoder::~AudioEncoder()
{
    Close();
}

int AudioEncoder::Open(const MovieCodecRow& row, int sampleRate, int channels, int bitRate, std::string* reason)
{
    Close();
    QuietLibav();
    const std::string name = row.name;
    const AVCodec* codec = avcodec_find_encoder_by_name(row.encoder);
    if (!codec) {
        *reason = std::string("FFmpeg's libraries here have no ") + row.encoder + " encoder";
        return kMovieCodecUnusable;
    }
    const AVSampleFormat format = ChooseSampleFormat(codec, row.integerBits);
    if (format == AV_SAMPLE_FMT_NONE || !TakesRate(codec, sampleRate)) {
        *reason = "the " + name + " encoder cannot take " + std::to_string(sampleRate) + " Hz audio";
        return kMovieCodecUnusable;
    }
    m_context = avcodec_alloc_context3(codec);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_context || !m_frame || !m_packet) {
        Close();
        return kOutOfMemory;
    }
    m_context->sample_rate = sampleRate;
    m_context->sample_fmt = format;
    m_context->time_base = AVRational{1, sampleRate};
    m_context->bit_rate = bitRate;
    m_context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // MOV and MP4 keep the codec's set-up in the sample entry
    // An encoder of loudspeaker layouts gets layouts of channel pairs only (quad: W,Y and
    // Z,X; 6.0 front: and the head-locked pair): every Ambisonic channel is then coded
    // alike. The usual 4.0 codes Z and X as single channels, which FFmpeg's AAC encoder
    // quantises more coarsely than the pair: broadband sound turned by up to 5° at
    // 256 kbit/s. (No LFE channel either: it would be low-passed.) The others are told
    // only how many channels there are.
    if (row.speakerLayout) {
        av_channel_layout_from_mask(&m_context->ch_layout,
                                    channels == 6 ? AV_CH_LAYOUT_6POINT0_FRONT : AV_CH_LAYOUT_QUAD);
    } else {
        m_context->ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
        m_context->ch_layout.nb_channels = channels;
    }

    AVDictionary* options = nullptr;
    int result = av_dict_parse_string(&options, row.encoderOptions, "=", ":", 0);
    if (result >= 0)
        result = avcodec_open2(m_context, codec, &options);
    const AVDictionaryEntry* unknown = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    const std::string unknownName = unknown ? unknown->key : "";
    av_dict_free(&options);
    if (result < 0 || !unknownName.empty()) {
        *reason = "the " + name + " encoder refuses " + std::to_string(channels) + " channels at " +
                  std::to_string(sampleRate) + " Hz" +
                  (bitRate > 0 ? " and " + std::to_string(bitRate) + " bit/s" : "") + ": " +
                  (result < 0 ? AvErrorText(result) : "it has no option " + unknownName);
        Close();
        return kMovieCodecUnusable;
    }

    const bool anyLength = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || m_context->frame_size <= 0;
    m_frameLength = anyLength ? kPcmFrameLength : m_context->frame_size;
    m_frame->format = format;
    m_frame->nb_samples = m_frameLength;
    m_frame->sample_rate = sampleRate;
    if (av_channel_layout_copy(&m_frame->ch_layout, &m_context->ch_layout) < 0 || av_frame_get_buffer(m_frame, 0) < 0) {
        Close();
        return kOutOfMemory;
    }
    m_filled = 0;
    m_pts = 0;
    return kStatusOk;
}

void AudioEncoder::Close()
{
    avcodec_free_context(&m_context);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    m_filled = 0;
}

int AudioEncoder::Push(const double* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail)
{
    if (!m_context || IsIntegerFormat(m_frame->format))
        return kBadState;
    return Gather(interleaved, frames, sink, detail);
}

int AudioEncoder::PushIntegers(const int* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail)
{
    if (!m_context || !IsIntegerFormat(m_frame->format))
        return kBadState;
    return Gather(interleaved, frames, sink, detail);
}

int AudioEncoder::PushSilence(std::int64_t frames, PacketSink& sink, FailureDetail* detail)
{
    if (!m_context)
        return kBadState;
    return Gather(static_cast<const double*>(nullptr), frames, sink, detail);
}

template <typename Sample>
int AudioEncoder::Gather(const Sample* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail)
{
    const int channels = m_context->ch_layout.nb_channels;
    while (frames > 0) {
        // The encoder may still hold the previous frame's buffer; a new one only then.
        if (m_filled == 0 && av_frame_make_writable(m_frame) < 0)
            return kOutOfMemory;
        const int count = static_cast<int>(std::min<std::int64_t>(m_frameLength - m_filled, frames));
        Store(interleaved, count, m_frame, m_filled);
        m_filled += count;
        frames -= count;
        if (interleaved)
            interleaved += static_cast<std::ptrdiff_t>(count) * channels;
        if (m_filled == m_frameLength) {
            const int status = Encode(m_frame, sink, detail);
            if (status != kStatusOk)
                return status;
        }
    }
    return kStatusOk;
}

int AudioEncoder::Finish(PacketSink& sink, FailureDetail* detail)
{
    if (!m_context)
        return kBadState;
    const int status = m_filled > 0 ? Encode(m_frame, sink, detail) : kStatusOk;
    return status != kStatusOk ? status : Encode(nullptr, sink, detail);
}

int AudioEncoder::Encode(AVFrame* frame, PacketSink& sink, FailureDetail* detail)
{
    if (frame) {
        frame->nb_samples = m_filled;
        frame->pts = m_pts;
        m_pts += m_filled;
        m_filled = 0;
    }
    int result = avcodec_send_frame(m_context, frame);
    if (frame)
        frame->nb_samples = m_frameLength;
    while (result >= 0) {
        result = avcodec_receive_packet(m_context, m_packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return kStatusOk;
        if (result >= 0) {
            const int status = sink.Take(m_packet, detail);
            av_packet_unref(m_packet);
            if (status != kStatusOk)
                return status;
        }
    }
    return Fail(detail, kMovieEncodeFailed, AvErrorText(result));
}

}  // namespace vq
