#include "movie/ClipFrame.h"

#include "common/EngineStatus.h"
#include "movie/AvError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <memory>

namespace vq {

namespace {

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct DecoderFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ScalerFreer {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

int Fail(FailureDetail* detail, int status, const std::string& clip, const std::string& reason)
{
    if (detail)
        *detail = {clip, reason};
    return status;
}

// The clip's middle in the stream's time base: half its length after its start.
std::int64_t Middle(const AVFormatContext* format, const AVStream* stream)
{
    const std::int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    std::int64_t length = stream->duration;
    if (length <= 0 && format->duration > 0)
        length = av_rescale_q(format->duration, AV_TIME_BASE_Q, stream->time_base);
    return start + std::max<std::int64_t>(length, 0) / 2;
}

}  // namespace

int ReadMiddleFrame(const std::string& clip, RgbImage* image, FailureDetail* detail)
{
    QuietLibav();
    AVFormatContext* opened = nullptr;
    int result = avformat_open_input(&opened, clip.c_str(), nullptr, nullptr);
    const std::unique_ptr<AVFormatContext, InputCloser> format(opened);
    if (result >= 0)
        result = avformat_find_stream_info(format.get(), nullptr);
    if (result < 0)
        return Fail(detail, kVideoClipUnreadable, clip, AvErrorText(result));
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0)
        return Fail(detail, index == AVERROR_DECODER_NOT_FOUND ? kVideoClipUnreadable : kVideoClipNoVideo, clip,
                    index == AVERROR_DECODER_NOT_FOUND ? "no decoder for its video" : "it holds no video stream");
    const AVStream* stream = format->streams[index];
    const std::unique_ptr<AVCodecContext, DecoderFreer> decoder(avcodec_alloc_context3(codec));
    const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    const std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc()), shown(av_frame_alloc());
    if (!decoder || !packet || !frame || !shown)
        return kOutOfMemory;
    result = avcodec_parameters_to_context(decoder.get(), stream->codecpar);
    if (result >= 0)
        result = avcodec_open2(decoder.get(), codec, nullptr);
    if (result < 0)
        return Fail(detail, kVideoClipUnreadable, clip, AvErrorText(result));

    // From the key frame before the middle, decode up to the frame shown at the middle.
    const std::int64_t middle = Middle(format.get(), stream);
    av_seek_frame(format.get(), index, middle, AVSEEK_FLAG_BACKWARD);
    bool found = false, draining = false;
    while (!found) {
        if (!draining) {
            result = av_read_frame(format.get(), packet.get());
            if (result == AVERROR_EOF) {
                draining = true;
                result = avcodec_send_packet(decoder.get(), nullptr);
            } else if (result >= 0) {
                if (packet->stream_index == index)
                    result = avcodec_send_packet(decoder.get(), packet.get());
                av_packet_unref(packet.get());
            }
            if (result < 0 && result != AVERROR(EAGAIN))
                return Fail(detail, kVideoClipUnreadable, clip, AvErrorText(result));
        }
        while ((result = avcodec_receive_frame(decoder.get(), frame.get())) >= 0) {
            av_frame_unref(shown.get());
            av_frame_move_ref(shown.get(), frame.get());
            found = found || shown->best_effort_timestamp == AV_NOPTS_VALUE || shown->best_effort_timestamp >= middle;
            if (found)
                break;
        }
        if (result == AVERROR_EOF)
            break;
        if (result < 0 && result != AVERROR(EAGAIN))
            return Fail(detail, kVideoClipUnreadable, clip, AvErrorText(result));
    }
    if (!shown->data[0])
        return Fail(detail, kVideoClipUnreadable, clip, "no frame of its video can be decoded");

    const int width = shown->width, height = shown->height;
    const std::unique_ptr<SwsContext, ScalerFreer> scaler(
        sws_getContext(width, height, static_cast<AVPixelFormat>(shown->format), width, height, AV_PIX_FMT_RGB24,
                       SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return Fail(detail, kVideoClipUnreadable, clip, "its frames cannot be turned into a picture");
    RgbImage still;
    still.width = width;
    still.height = height;
    still.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::uint8_t* planes[4] = {still.rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {3 * width, 0, 0, 0};
    if (sws_scale(scaler.get(), shown->data, shown->linesize, 0, height, planes, strides) != height)
        return Fail(detail, kVideoClipUnreadable, clip, "its frames cannot be turned into a picture");
    *image = std::move(still);
    return kStatusOk;
}

}  // namespace vq
