// A movie with the video of a clip: the clip's video packets unchanged, its own audio
// replaced, the take fitted to the video's length with a note, its spherical-video metadata
// kept; and every clip or head-locked file that cannot be used refused before any output.
#include "common/EngineStatus.h"
#include "movie/BoxReader.h"
#include "movie/HeadLockedStereo.h"
#include "movie/MovieFixture.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/spherical.h>
#include <libavutil/stereo3d.h>
}

#include <filesystem>
#include <fstream>

namespace vqtest {
namespace {

using vq::MovieCodec;

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct FitCase {
    const char* name;
    MovieCodec codec;
    double takeSeconds;  // against a clip of 1.32 s (33 pictures at 25 a second)
    const char* note;
};

class VideoFit : public testing::TestWithParam<FitCase> {};

TEST_P(VideoFit, VideoPacketsUnchangedAndAudioFittedToTheVideo)
{
    VQ_REQUIRE_FFMPEG();
    const FitCase& c = GetParam();
    TempDir dir;
    const std::string clip = dir.File("clip.mp4");
    MakeClip(clip, 1.3);
    vq::MovieOptions options = Options(c.codec);
    options.videoClip = clip;
    const std::string movie = dir.File(std::string("movie.") + vq::MovieContainerInfo(options.container).extension);
    const std::int64_t takeFrames = static_cast<std::int64_t>(c.takeSeconds * 48000);
    const std::vector<double> take = PlaneWave(takeFrames, 0, 0, false);
    std::string note;
    vq::FailureDetail detail;
    ASSERT_EQ(WriteMovie(movie, options, take, 1000, &detail, &note), vq::kStatusOk) << detail.reason;
    EXPECT_EQ(note, c.note);

    const std::vector<std::string> packets = VideoPacketChecksums(clip);
    EXPECT_EQ(packets.size(), 33u);
    EXPECT_EQ(VideoPacketChecksums(movie), packets);

    // One video stream and the take's audio; the clip's stereo sound is gone.
    const std::string streams = ProbeStreams(movie);
    EXPECT_EQ(Count(streams, "[STREAM]"), 2) << streams;
    EXPECT_EQ(Count(streams, "codec_type=video\n"), 1) << streams;
    EXPECT_EQ(Count(streams, "channels=4\n"), 1) << streams;
    EXPECT_EQ(Count(streams, "duration=1.320000\n"), 2) << "audio as long as the video\n" << streams;

    // The PCM take decodes exactly: its first frames, then silence to the video's end.
    if (c.codec == MovieCodec::Pcm24) {
        const std::vector<std::int32_t> audio = DecodeInt32(movie);
        const std::vector<int> expected = LeftJustified(take, 24);
        ASSERT_EQ(audio.size(), 63360u * 4);
        for (std::size_t i = 0; i < audio.size(); ++i)
            ASSERT_EQ(audio[i], i < expected.size() ? expected[i] : 0) << "sample " << i;
    }
}

const FitCase kFitCases[] = {
    {"ShorterTakePaddedInMov", MovieCodec::Pcm24, 1.0,
     "The take (1.00 s) is shorter than the video (1.32 s): 0.32 s of silence follow it."},
    {"LongerTakeCutInMp4", MovieCodec::Aac, 1.5,
     "The take (1.50 s) is longer than the video (1.32 s): its last 0.18 s are left out."},
};
INSTANTIATE_TEST_SUITE_P(Movies, VideoFit, testing::ValuesIn(kFitCases), CaseName());

// Copies a clip into an MP4 whose video FFmpeg's muxer marks as spherical (st3d and sv3d,
// written with its unofficial extensions allowed): equirectangular, turned 90° to the left,
// top-bottom stereo.
void MarkSpherical(const std::string& from, const std::string& to)
{
    AVFormatContext* in = nullptr;
    ASSERT_GE(avformat_open_input(&in, from.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(in, nullptr), 0);
    AVFormatContext* out = nullptr;
    ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, "mp4", to.c_str()), 0);
    out->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        AVStream* stream = avformat_new_stream(out, nullptr);
        ASSERT_GE(avcodec_parameters_copy(stream->codecpar, in->streams[i]->codecpar), 0);
        stream->time_base = in->streams[i]->time_base;
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        std::size_t size = 0;
        AVSphericalMapping* mapping = av_spherical_alloc(&size);
        mapping->projection = AV_SPHERICAL_EQUIRECTANGULAR;
        mapping->yaw = 90 << 16;
        ASSERT_GE(
            av_stream_add_side_data(stream, AV_PKT_DATA_SPHERICAL, reinterpret_cast<std::uint8_t*>(mapping), size), 0);
        AVStereo3D* stereo =
            reinterpret_cast<AVStereo3D*>(av_stream_new_side_data(stream, AV_PKT_DATA_STEREO3D, sizeof(AVStereo3D)));
        *stereo = AVStereo3D{};
        stereo->type = AV_STEREO3D_TOPBOTTOM;
    }
    ASSERT_GE(avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE), 0);
    ASSERT_GE(avformat_write_header(out, nullptr), 0);
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(in, packet) >= 0) {
        av_packet_rescale_ts(packet, in->streams[packet->stream_index]->time_base,
                             out->streams[packet->stream_index]->time_base);
        packet->pos = -1;
        ASSERT_GE(av_interleaved_write_frame(out, packet), 0);
    }
    av_packet_free(&packet);
    ASSERT_GE(av_write_trailer(out), 0);
    avio_closep(&out->pb);
    avformat_free_context(out);
    avformat_close_input(&in);
}

class SphericalClip : public testing::TestWithParam<MovieCodec> {};

TEST_P(SphericalClip, ProjectionAndStereoModeKept)
{
    VQ_REQUIRE_FFMPEG();
    TempDir dir;
    const std::string plain = dir.File("plain.mp4"), clip = dir.File("clip.mp4");
    MakeClip(plain, 0.5);
    MarkSpherical(plain, clip);
    vq::VideoClipInfo info;
    vq::MovieOptions options = Options(GetParam());
    ASSERT_EQ(vq::ProbeVideoClip(clip, options.container, 48000, &info, nullptr), vq::kStatusOk);
    EXPECT_TRUE(info.spherical);

    options.videoClip = clip;
    const std::string movie = dir.File(std::string("movie.") + vq::MovieContainerInfo(options.container).extension);
    ASSERT_EQ(WriteMovie(movie, options, PlaneWave(24000, 0, 0, false)), vq::kStatusOk);

    const MovieFile file(movie);
    ASSERT_EQ(file.Problem(), "");
    ASSERT_EQ(file.Tracks("vide").size(), 1u);
    const FileBox* entry = file.SampleEntry(*file.Tracks("vide")[0]);
    ASSERT_NE(entry, nullptr);
    const FileBox* st3d = entry->Child("st3d");
    ASSERT_NE(st3d, nullptr);
    EXPECT_EQ(file.U32(st3d->payload), 0u) << "version and flags";
    EXPECT_EQ(file.U8(st3d->payload + 4), 1u) << "stereo mode: top-bottom";
    const FileBox* prhd = entry->At("sv3d/proj/prhd");
    ASSERT_NE(prhd, nullptr);
    EXPECT_EQ(file.U32(prhd->payload + 4), 90u << 16) << "yaw";
    EXPECT_EQ(file.U32(prhd->payload + 8), 0u) << "pitch";
    EXPECT_EQ(file.U32(prhd->payload + 12), 0u) << "roll";
    const FileBox* equi = entry->At("sv3d/proj/equi");
    ASSERT_NE(equi, nullptr);
    for (int edge = 0; edge < 4; ++edge)
        EXPECT_EQ(file.U32(equi->payload + 4 + 4 * edge), 0u) << "the whole sphere, edge " << edge;
    ASSERT_NE(entry->At("sv3d/svhd"), nullptr);

    const std::string streams = RunCommand("ffprobe -v error -show_streams -select_streams v " + Quoted(movie)).out;
    EXPECT_NE(streams.find("side_data_type=Spherical Mapping\nprojection=equirectangular\nyaw=90\npitch=0\nroll=0\n"),
              std::string::npos)
        << streams;
    EXPECT_NE(streams.find("side_data_type=Stereo 3D\ntype=top and bottom\n"), std::string::npos) << streams;
}

INSTANTIATE_TEST_SUITE_P(Movies, SphericalClip, testing::Values(MovieCodec::Pcm16, MovieCodec::Opus),
                         [](const testing::TestParamInfo<MovieCodec>& info) {
                             return std::string(vq::MovieContainerInfo(vq::MovieCodecInfo(info.param).container).name);
                         });

struct BadClipCase {
    const char* name;
    const char* make;  // the ffmpeg arguments that make the clip; "" for a file of text, "-" for none
    int status;
    const char* reason;  // a part of the reason given
};

class BadClip : public testing::TestWithParam<BadClipCase> {};

TEST_P(BadClip, RefusedBeforeAnyOutputIsCreated)
{
    VQ_REQUIRE_FFMPEG();
    const BadClipCase& c = GetParam();
    TempDir dir;
    const std::string make = c.make;
    const std::string clip = dir.File(make.find("avi") != std::string::npos ? "clip.avi" : "clip.m4a");
    if (make.empty()) {
        std::ofstream(clip) << "not a movie\n";
    } else if (make != "-") {
        ASSERT_TRUE(RunCommand("ffmpeg -v error -y " + make + " " + Quoted(clip)).ok);
    }

    vq::FailureDetail detail;
    EXPECT_EQ(vq::ProbeVideoClip(clip, vq::MovieContainer::Mp4, 48000, nullptr, &detail), c.status);
    EXPECT_EQ(detail.path, clip);
    EXPECT_NE(detail.reason.find(c.reason), std::string::npos) << detail.reason;

    // The writer refuses it the same way, and leaves an earlier file of the output's name alone.
    const std::string movie = dir.File("movie.mp4");
    std::ofstream(movie) << "earlier";
    vq::MovieOptions options = Options(MovieCodec::Aac);
    options.videoClip = clip;
    vq::MovieWriter writer;
    EXPECT_EQ(writer.Open(movie, options, nullptr), c.status);
    std::ifstream earlier(movie);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), std::istreambuf_iterator<char>()), "earlier");
}

const BadClipCase kBadClips[] = {
    {"NoVideoStream", "-f lavfi -i sine=duration=0.2 -c:a aac", vq::kVideoClipNoVideo, "no video"},
    {"NotAMovie", "", vq::kVideoClipUnreadable, "Invalid data"},
    {"Missing", "-", vq::kVideoClipUnreadable, "No such file"},
    {"VideoTheContainerCannotHold",
     "-f lavfi -i testsrc=size=16x16:rate=5:duration=0.4 -c:v rawvideo -pix_fmt yuv420p -f avi", vq::kVideoClipUnusable,
     "rawvideo"},
};
INSTANTIATE_TEST_SUITE_P(Movies, BadClip, testing::ValuesIn(kBadClips), CaseName());

struct HeadLockedCase {
    const char* name;
    int channels;
    int rate;
    std::int64_t frames;  // against a take of 4800 frames at 48 kHz
    int status;
};

class HeadLockedFile : public testing::TestWithParam<HeadLockedCase> {};

TEST_P(HeadLockedFile, CheckedAgainstTheTake)
{
    const HeadLockedCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("pair.wav");
    if (c.channels > 0)
        WriteChannels(path, std::vector<Signal>(static_cast<std::size_t>(c.channels), Noise(c.frames, 3)), c.rate);
    vq::FailureDetail detail;
    EXPECT_EQ(vq::CheckHeadLockedStereo(path, 48000, 4800, &detail), c.status);
    if (c.status != vq::kStatusOk) {
        EXPECT_EQ(detail.path, path);
        EXPECT_FALSE(detail.reason.empty());
    }
}

const HeadLockedCase kHeadLockedCases[] = {
    {"Fits", 2, 48000, 4800, vq::kStatusOk},
    {"Mono", 1, 48000, 4800, vq::kHeadLockedNotStereo},
    {"OtherRate", 2, 44100, 4800, vq::kHeadLockedRateMismatch},
    {"Shorter", 2, 48000, 4799, vq::kHeadLockedLengthMismatch},
    {"Missing", 0, 48000, 4800, vq::kInputOpenFailed},
};
INSTANTIATE_TEST_SUITE_P(Movies, HeadLockedFile, testing::ValuesIn(kHeadLockedCases), CaseName());

}  // namespace
}  // namespace vqtest
