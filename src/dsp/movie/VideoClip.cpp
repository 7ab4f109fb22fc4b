#include "movie/VideoClip.h"

#include "common/EngineStatus.h"
#include "movie/AvError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/spherical.h>
#include <libavutil/stereo3d.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vq {

namespace {

int Fail(FailureDetail* detail, int status, const std::string& path, const std::string& reason)
{
    if (detail) {
        detail->path = path;
        detail->reason = reason;
    }
    return status;
}

std::string Seconds(std::int64_t frames, int sampleRate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(frames) / sampleRate);
    return text;
}

}  // namespace

int ProbeVideoClip(const std::string& path, MovieContainer container, int sampleRate, VideoClipInfo* info,
                   FailureDetail* detail)
{
    VideoClip clip;
    const int status = clip.Open(path, container, sampleRate, detail);
    if (status == kStatusOk && info)
        *info = clip.Info();
    return status;
}

std::string VideoLengthNote(std::int64_t videoFrames, std::int64_t audioFrames, int sampleRate)
{
    if (videoFrames == audioFrames)
        return std::string();
    const std::string lengths = "(" + Seconds(audioFrames, sampleRate) + ") is " +
                                (audioFrames > videoFrames ? "longer" : "shorter") + " than the video (" +
                                Seconds(videoFrames, sampleRate) + "): ";
    const std::string difference = Seconds(std::llabs(audioFrames - videoFrames), sampleRate);
    return "The take " + lengths +
           (audioFrames > videoFrames ? "its last " + difference + " are left out."
                                      : difference + " of silence follow it.");
}

VideoClip::~VideoClip()
{
    Close();
}

void VideoClip::Close()
{
    avformat_close_input(&m_format);
    m_copied.clear();
    m_copyNumber.clear();
    m_info = VideoClipInfo();
}

int VideoClip::Open(const std::string& path, MovieContainer container, int sampleRate, FailureDetail* detail)
{
    Close();
    QuietLibav();
    m_path = path;
    int result = avformat_open_input(&m_format, path.c_str(), nullptr, nullptr);
    if (result >= 0)
        result = avformat_find_stream_info(m_format, nullptr);
    if (result < 0) {
        Close();
        return Fail(detail, kVideoClipUnreadable, path, AvErrorText(result));
    }

    const AVOutputFormat* muxer = av_guess_format(MovieContainerInfo(container).muxer, nullptr, nullptr);
    std::int64_t streamLength = 0;
    m_copyNumber.assign(m_format->nb_streams, -1);
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream* stream = m_format->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        if (muxer && avformat_query_codec(muxer, stream->codecpar->codec_id, FF_COMPLIANCE_NORMAL) == 0) {
            const std::string reason = std::string("a ") + MovieContainerInfo(container).name +
                                       " file cannot hold its " + avcodec_get_name(stream->codecpar->codec_id) +
                                       " video";
            Close();
            return Fail(detail, kVideoClipUnusable, path, reason);
        }
        m_copyNumber[i] = static_cast<int>(m_copied.size());
        m_copied.push_back(static_cast<int>(i));
        if (stream->duration > 0)
            streamLength =
                std::max(streamLength, av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate}));
    }
    if (m_copied.empty()) {
        Close();
        return Fail(detail, kVideoClipNoVideo, path, "it holds no video stream");
    }
    // Containers that state no length per stream state one for the whole file.
    if (streamLength <= 0 && m_format->duration > 0)
        streamLength = av_rescale_q(m_format->duration, AV_TIME_BASE_Q, AVRational{1, sampleRate});
    if (streamLength <= 0) {
        Close();
        return Fail(detail, kVideoClipUnreadable, path, "its length is not known");
    }
    m_startTime = m_format->start_time == AV_NOPTS_VALUE ? 0 : m_format->start_time;
    m_info.videoStreams = static_cast<int>(m_copied.size());
    const AVStream* first = m_format->streams[m_copied.front()];
    const AVRational rate = first->avg_frame_rate.num > 0 ? first->avg_frame_rate : first->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        m_info.frameRate = {rate.num, rate.den};
    m_info.frames = streamLength;
    for (int s = 0; s < m_info.videoStreams; ++s)
        m_info.spherical = m_info.spherical || Spherical(s).Present();
    return kStatusOk;
}

const AVStream* VideoClip::Stream(int index) const
{
    return m_format->streams[m_copied[static_cast<std::size_t>(index)]];
}

SphericalVideo VideoClip::Spherical(int index) const
{
    const AVStream* stream = Stream(index);
    SphericalVideo video;
    std::size_t size = 0;
    const AVSphericalMapping* mapping =
        reinterpret_cast<const AVSphericalMapping*>(av_stream_get_side_data(stream, AV_PKT_DATA_SPHERICAL, &size));
    if (mapping && size >= sizeof *mapping) {
        video.projection = mapping->projection == AV_SPHERICAL_CUBEMAP ? SphericalVideo::Projection::Cubemap
                                                                       : SphericalVideo::Projection::Equirectangular;
        video.yaw = mapping->yaw;
        video.pitch = mapping->pitch;
        video.roll = mapping->roll;
        if (mapping->projection == AV_SPHERICAL_EQUIRECTANGULAR_TILE) {
            video.boundTop = mapping->bound_top;
            video.boundBottom = mapping->bound_bottom;
            video.boundLeft = mapping->bound_left;
            video.boundRight = mapping->bound_right;
        }
        video.padding = mapping->projection == AV_SPHERICAL_CUBEMAP ? mapping->padding : 0;
    }
    const AVStereo3D* stereo =
        reinterpret_cast<const AVStereo3D*>(av_stream_get_side_data(stream, AV_PKT_DATA_STEREO3D, &size));
    if (stereo && size >= sizeof *stereo) {
        switch (stereo->type) {
        case AV_STEREO3D_2D:
            video.stereoMode = 0;
            break;
        case AV_STEREO3D_TOPBOTTOM:
            video.stereoMode = 1;
            break;
        case AV_STEREO3D_SIDEBYSIDE:
            video.stereoMode = 2;
            break;
        default:
            break;  // a packing st3d cannot state
        }
    }
    return video;
}

int VideoClip::Next(AVPacket* packet, bool* ended, FailureDetail* detail)
{
    *ended = false;
    for (;;) {
        const int result = av_read_frame(m_format, packet);
        if (result == AVERROR_EOF) {
            *ended = true;
            return kStatusOk;
        }
        if (result < 0)
            return Fail(detail, kVideoClipUnreadable, m_path, AvErrorText(result));
        // A stream that appears only while reading is none of the copied ones.
        const std::size_t index = static_cast<std::size_t>(packet->stream_index);
        const int number = index < m_copyNumber.size() ? m_copyNumber[index] : -1;
        if (number < 0) {
            av_packet_unref(packet);
            continue;
        }
        const std::int64_t start =
            av_rescale_q(m_startTime, AV_TIME_BASE_Q, m_format->streams[packet->stream_index]->time_base);
        if (packet->pts != AV_NOPTS_VALUE)
            packet->pts -= start;
        if (packet->dts != AV_NOPTS_VALUE)
            packet->dts -= start;
        packet->stream_index = number;
        return kStatusOk;
    }
}

}  // namespace vq
