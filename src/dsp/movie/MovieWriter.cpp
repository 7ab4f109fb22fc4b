#include "movie/MovieWriter.h"

#include "common/EngineStatus.h"
#include "movie/AvError.h"
#include "movie/MovieBoxes.h"
#include "movie/SpatialBoxes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

namespace vq {

namespace {

// What the options ask for that no movie can be; empty when they are fine.
std::string OptionsProblem(const MovieOptions& options)
{
    const MovieCodecRow& codec = MovieCodecInfo(options.codec);
    const int channels = options.headLocked ? 6 : 4;
    if (codec.container != options.container)
        return "a MOV file holds PCM audio (pcm16, pcm24, float) and an MP4 file AAC or Opus, not " +
               std::string(codec.name) + " in " + MovieContainerInfo(options.container).name;
    if (options.sampleRate <= 0)
        return "the sample rate must be positive";
    if (codec.integerBits > 0 || codec.codec == MovieCodec::Float || options.bitRate == 0)
        return std::string();
    const double highest = codec.maxBitsPerSample * options.sampleRate * channels;
    if (options.bitRate < codec.minBitRate || options.bitRate > highest)
        return std::string("the ") + codec.name + " bit rate must lie between " +
               std::to_string(codec.minBitRate / 1000) + " and " +
               std::to_string(static_cast<long long>(highest) / 1000) + " kbit/s for " + std::to_string(channels) +
               " channels";
    return std::string();
}

// FFmpeg's own boxes for spherical video (written only with unofficial extensions allowed)
// are left to the boxes added after muxing; every other stream side data (a rotation, say)
// goes with the copied stream.
bool CopySideData(const AVStream* from, AVStream* to)
{
    for (int i = 0; i < from->nb_side_data; ++i) {
        const AVPacketSideData& data = from->side_data[i];
        if (data.type == AV_PKT_DATA_SPHERICAL || data.type == AV_PKT_DATA_STEREO3D)
            continue;
        std::uint8_t* copy = av_stream_new_side_data(to, data.type, data.size);
        if (!copy)
            return false;
        std::memcpy(copy, data.data, data.size);
    }
    return true;
}

}  // namespace

MovieWriter::~MovieWriter()
{
    Abort();
}

int MovieWriter::Fail(FailureDetail* detail, int status, const std::string& reason)
{
    if (detail) {
        detail->path = m_name;
        detail->reason = reason;
    }
    return status;
}

int MovieWriter::Prepare(const MovieOptions& options, FailureDetail* detail)
{
    m_options = options;
    m_received = m_passed = 0;
    m_limit = -1;
    m_note.clear();
    const std::string problem = OptionsProblem(options);
    if (!problem.empty())
        return Fail(detail, kBadParameter, problem);

    if (!options.videoClip.empty()) {
        const int status = m_clip.Open(options.videoClip, options.container, options.sampleRate, detail);
        if (status != kStatusOk)
            return status;
        m_limit = m_clip.Info().frames;
        m_videoPacket = av_packet_alloc();
        if (!m_videoPacket)
            return kOutOfMemory;
    }
    const MovieCodecRow& codec = MovieCodecInfo(options.codec);
    const int bitRate = options.bitRate > 0 ? options.bitRate : codec.defaultBitRatePerChannel * Channels();
    std::string reason;
    const int status = m_encoder.Open(codec, options.sampleRate, Channels(), bitRate, &reason);
    return status == kStatusOk ? status : Fail(detail, status, reason);
}

int MovieWriter::Check(const MovieOptions& options, const std::string& name, FailureDetail* detail,
                       VideoClipInfo* clip)
{
    MovieWriter writer;
    writer.m_name = name;
    const int status = writer.Prepare(options, detail);
    if (clip)
        *clip = writer.m_clip.Info();
    return status;
}

int MovieWriter::Open(const std::string& path, const MovieOptions& options, FailureDetail* detail)
{
    return OpenWith(path, options, detail, [&]() -> int {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return Fail(detail, kOutputOpenFailed, std::strerror(errno));
        m_ownsFd = true;
        return kStatusOk;
    });
}

int MovieWriter::Open(int fd, const std::string& name, const MovieOptions& options, FailureDetail* detail)
{
    return OpenWith(name, options, detail, [&]() -> int {
        // The finished movie is read back to add the spatial boxes.
        const int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) != O_RDWR)
            return Fail(detail, kOutputOpenFailed,
                        flags < 0 ? std::strerror(errno) : "not open for reading and writing");
        if (ftruncate(fd, 0) != 0)
            return Fail(detail, kOutputOpenFailed, std::strerror(errno));
        m_fd = fd;
        return kStatusOk;
    });
}

int MovieWriter::OpenWith(const std::string& name, const MovieOptions& options, FailureDetail* detail,
                          const std::function<int()>& createOutput)
{
    Abort();
    m_name = name;
    int status = Prepare(options, detail);
    if (status == kStatusOk)
        status = createOutput();
    if (status == kStatusOk)
        status = Start(detail);
    if (status != kStatusOk)
        Abort();
    return status;
}

int MovieWriter::Start(FailureDetail* detail)
{
    const char* muxer = MovieContainerInfo(m_options.container).muxer;
    if (!m_output.Open(m_fd) || avformat_alloc_output_context2(&m_muxer, nullptr, muxer, nullptr) < 0)
        return kOutOfMemory;
    m_muxer->pb = m_output.Context();
    m_muxer->flags |= AVFMT_FLAG_CUSTOM_IO;

    for (int s = 0; s < m_clip.Info().videoStreams; ++s) {
        const AVStream* from = m_clip.Stream(s);
        AVStream* to = avformat_new_stream(m_muxer, nullptr);
        if (!to || avcodec_parameters_copy(to->codecpar, from->codecpar) < 0 || !CopySideData(from, to))
            return kOutOfMemory;
        // The clip's codec tag when the movie can carry it (hvc1 stays hvc1), else the muxer's.
        const std::uint32_t tag = from->codecpar->codec_tag;
        if (av_codec_get_id(m_muxer->oformat->codec_tag, tag) != from->codecpar->codec_id)
            to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        to->avg_frame_rate = from->avg_frame_rate;
        to->sample_aspect_ratio = from->sample_aspect_ratio;
        to->disposition = from->disposition;
        m_video.push_back(to);
    }
    m_copiedPackets.assign(m_video.size(), 0);
    m_audio = avformat_new_stream(m_muxer, nullptr);
    if (!m_audio || avcodec_parameters_from_context(m_audio->codecpar, m_encoder.Context()) < 0)
        return kOutOfMemory;
    m_audio->time_base = m_encoder.Context()->time_base;

    AVDictionary* muxing = nullptr;
    if (!m_options.timecode.empty()) {
        // The muxer makes a timecode track for a video stream that carries one; a movie of
        // sound alone keeps it as a tag, which needs the tags of its own keys.
        AVDictionary** carrier = m_video.empty() ? &m_muxer->metadata : &m_video.front()->metadata;
        if (av_dict_set(carrier, "timecode", m_options.timecode.c_str(), 0) < 0 ||
            (m_video.empty() && av_dict_set(&muxing, "movflags", "use_metadata_tags", 0) < 0))
            return kOutOfMemory;
    }
    const int result = avformat_write_header(m_muxer, &muxing);
    av_dict_free(&muxing);
    if (result < 0)
        return Fail(detail, kOutputOpenFailed,
                    m_output.Error() ? std::strerror(m_output.Error()) : AvErrorText(result));
    m_open = true;
    return kStatusOk;
}

std::int64_t MovieWriter::Accept(std::int64_t frames)
{
    m_received += frames;
    const std::int64_t taken = m_limit < 0 ? frames : std::max<std::int64_t>(0, std::min(frames, m_limit - m_passed));
    m_passed += taken;
    return taken;
}

int MovieWriter::Write(const double* interleaved, std::int64_t frames, FailureDetail* detail)
{
    if (!m_open || TakesIntegers())
        return kBadState;
    if (frames < 0)
        return kBadParameter;
    return m_encoder.Push(interleaved, Accept(frames), *this, detail);
}

int MovieWriter::WriteIntegers(const int* interleaved, std::int64_t frames, FailureDetail* detail)
{
    if (!m_open || !TakesIntegers())
        return kBadState;
    if (frames < 0)
        return kBadParameter;
    return m_encoder.PushIntegers(interleaved, Accept(frames), *this, detail);
}

int MovieWriter::Take(AVPacket* packet, FailureDetail* detail)
{
    const int status = CopyVideo(packet->dts, detail);
    if (status != kStatusOk)
        return status;
    av_packet_rescale_ts(packet, m_encoder.Context()->time_base, m_audio->time_base);
    packet->stream_index = m_audio->index;
    const int result = av_interleaved_write_frame(m_muxer, packet);
    if (result < 0)
        return Fail(detail, kOutputWriteFailed,
                    m_output.Error() ? std::strerror(m_output.Error()) : AvErrorText(result));
    return kStatusOk;
}

int MovieWriter::CopyVideo(std::int64_t until, FailureDetail* detail)
{
    const AVRational audioTime = m_encoder.Context()->time_base;
    while (!m_video.empty() && !m_videoEnded) {
        if (!m_videoPending) {
            const int status = m_clip.Next(m_videoPacket, &m_videoEnded, detail);
            if (status != kStatusOk || m_videoEnded)
                return status;
            m_videoPending = true;
        }
        const int copied = m_videoPacket->stream_index;
        const AVRational clipTime = m_clip.Stream(copied)->time_base;
        const std::int64_t due = m_videoPacket->dts != AV_NOPTS_VALUE ? m_videoPacket->dts : m_videoPacket->pts;
        if (until != std::numeric_limits<std::int64_t>::max() && due != AV_NOPTS_VALUE &&
            av_compare_ts(due, clipTime, until, audioTime) > 0)
            return kStatusOk;
        av_packet_rescale_ts(m_videoPacket, clipTime, m_video[static_cast<std::size_t>(copied)]->time_base);
        m_videoPacket->stream_index = m_video[static_cast<std::size_t>(copied)]->index;
        m_videoPacket->pos = -1;
        m_videoPending = false;
        ++m_copiedPackets[static_cast<std::size_t>(copied)];
        const int result = av_interleaved_write_frame(m_muxer, m_videoPacket);
        if (result < 0)
            return Fail(detail, kOutputWriteFailed,
                        m_output.Error() ? std::strerror(m_output.Error()) : AvErrorText(result));
    }
    return kStatusOk;
}

int MovieWriter::Finish(FailureDetail* detail)
{
    if (!m_open)
        return kBadState;
    int status;
    try {
        status = Complete(detail);
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    if (status != kStatusOk) {
        Abort();
        return status;
    }
    if (m_limit >= 0)
        m_note = VideoLengthNote(m_limit, m_received, m_options.sampleRate);
    const bool closed = !m_ownsFd || close(m_fd) == 0;
    const int closeError = errno;
    m_ownsFd = false;  // closed either way, and complete: nothing to remove
    Release();
    return closed ? kStatusOk : Fail(detail, kOutputWriteFailed, std::strerror(closeError));
}

int MovieWriter::Complete(FailureDetail* detail)
{
    int status = kStatusOk;
    if (m_limit > m_passed) {
        const std::int64_t silence = m_limit - m_passed;
        m_passed = m_limit;
        status = m_encoder.PushSilence(silence, *this, detail);
    }
    if (status == kStatusOk)
        status = m_encoder.Finish(*this, detail);
    if (status == kStatusOk)
        status = CopyVideo(std::numeric_limits<std::int64_t>::max(), detail);
    if (status == kStatusOk)
        status = CheckCopiedVideo(detail);
    if (status != kStatusOk)
        return status;
    const int result = av_write_trailer(m_muxer);
    if (result < 0 || m_output.Error())
        return Fail(detail, kOutputWriteFailed,
                    m_output.Error() ? std::strerror(m_output.Error()) : AvErrorText(result));

    std::vector<SampleEntryAddition> additions = {{"soun", 0, SpatialAudioBox(m_options.headLocked)}};
    for (int s = 0; s < m_clip.Info().videoStreams; ++s) {
        const SphericalVideo spherical = m_clip.Spherical(s);
        if (spherical.Present())
            additions.push_back({"vide", s, SphericalVideoBoxes(spherical)});
    }
    std::string reason;
    if (!AddSampleEntryBoxes(m_fd, additions, m_options.indexFirst, &reason))
        return Fail(detail, kOutputWriteFailed, reason);
    return CheckWrittenMovie(detail);
}

int MovieWriter::CheckCopiedVideo(FailureDetail* detail)
{
    for (int s = 0; s < m_clip.Info().videoStreams; ++s) {
        const std::int64_t stated = m_clip.Stream(s)->nb_frames;
        const std::int64_t copied = m_copiedPackets[static_cast<std::size_t>(s)];
        if (copied > 0 && (stated <= 0 || copied == stated))
            continue;
        const std::string frames = stated > 0 ? " of its " + std::to_string(stated) : "";
        const std::string reason = copied == 0 ? "no frame of its video can be read"
                                               : "only " + std::to_string(copied) + frames + " video frames can be read";
        if (detail)
            *detail = {m_options.videoClip, reason + " (it is cut short or damaged)"};
        return kVideoClipUnreadable;
    }
    return kStatusOk;
}

int MovieWriter::CheckWrittenMovie(FailureDetail* detail)
{
    FdOutput input;
    AVFormatContext* movie = avformat_alloc_context();
    if (!movie || !input.Open(m_fd, false)) {
        avformat_free_context(movie);
        return kOutOfMemory;
    }
    movie->pb = input.Context();
    movie->flags |= AVFMT_FLAG_CUSTOM_IO;
    int result = avformat_open_input(&movie, nullptr, nullptr, nullptr);  // frees it on failure
    if (result >= 0)
        result = avformat_find_stream_info(movie, nullptr);
    std::string problem = result < 0 ? AvErrorText(result) : std::string();
    // The muxer adds a timecode track after the others when a video stream carries a timecode.
    const bool timecodeTrack = !m_options.timecode.empty() && !m_video.empty();
    const std::size_t streams = m_video.size() + 1 + (timecodeTrack ? 1 : 0);
    if (problem.empty() && movie->nb_streams != streams)
        problem = std::to_string(movie->nb_streams) + " streams instead of " + std::to_string(streams);
    for (unsigned i = 0; problem.empty() && i < movie->nb_streams; ++i) {
        const AVStream* stream = movie->streams[i];
        const bool audio = static_cast<int>(i) == m_audio->index;
        if (i >= m_video.size() + 1) {
            if (stream->codecpar->codec_type != AVMEDIA_TYPE_DATA)
                problem = "its stream " + std::to_string(i + 1) + " is not the timecode track";
        } else if (stream->codecpar->codec_id == AV_CODEC_ID_NONE)
            problem = "its stream " + std::to_string(i + 1) + " has no codec";
        else if (!audio && stream->nb_frames != m_copiedPackets[i])
            problem = "its video stream holds " + std::to_string(stream->nb_frames) + " of the " +
                      std::to_string(m_copiedPackets[i]) + " frames copied";
        else if (audio && m_passed > 0 && stream->nb_frames <= 0)
            problem = "its audio stream holds no frames";
    }
    if (movie)
        avformat_close_input(&movie);
    return problem.empty() ? kStatusOk : Fail(detail, kOutputWriteFailed, "it cannot be read back: " + problem);
}

void MovieWriter::Abort()
{
    if (m_ownsFd) {
        close(m_fd);
        unlink(m_name.c_str());
        m_ownsFd = false;
    }
    Release();
}

void MovieWriter::Release()
{
    avformat_free_context(m_muxer);
    m_muxer = nullptr;
    m_audio = nullptr;
    m_video.clear();
    m_copiedPackets.clear();
    m_output.Close();
    m_encoder.Close();
    m_clip.Close();
    av_packet_free(&m_videoPacket);
    m_videoPending = m_videoEnded = false;
    m_fd = -1;
    m_open = false;
}

}  // namespace vq
