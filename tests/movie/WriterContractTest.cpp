// How the output writer may use the movie writer: the order of its calls, the options it
// refuses (in the check before any output, and again when opening) without creating anything, a descriptor it holds (an
// unnamed temporary linked into place at the end), and a failed or stopped movie that leaves no file behind.
#include "common/EngineStatus.h"
#include "movie/MovieFixture.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vqtest {
namespace {

using vq::MovieCodec;

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

TEST(MovieWriterOrder, CallsOutOfOrderOrWithTheOtherSamplesAreRefused)
{
    TempDir dir;
    const std::vector<double> doubles(4000, 0.1);
    const std::vector<int> integers(4000, 1 << 16);
    vq::MovieWriter writer;
    EXPECT_EQ(writer.Write(doubles.data(), 1000, nullptr), vq::kBadState) << "before Open";
    EXPECT_EQ(writer.Finish(nullptr), vq::kBadState) << "before Open";

    ASSERT_EQ(writer.Open(dir.File("a.mov"), Options(MovieCodec::Pcm16), nullptr), vq::kStatusOk);
    EXPECT_TRUE(writer.TakesIntegers());
    EXPECT_EQ(writer.Write(doubles.data(), 1000, nullptr), vq::kBadState) << "16-bit PCM takes integers";
    EXPECT_EQ(writer.WriteIntegers(integers.data(), 1000, nullptr), vq::kStatusOk);
    EXPECT_EQ(writer.Finish(nullptr), vq::kStatusOk);
    EXPECT_EQ(writer.WriteIntegers(integers.data(), 1000, nullptr), vq::kBadState) << "after Finish";
    EXPECT_EQ(writer.Finish(nullptr), vq::kBadState) << "twice";
    EXPECT_EQ(writer.FramesWritten(), 1000);

    ASSERT_EQ(writer.Open(dir.File("b.mp4"), Options(MovieCodec::Aac), nullptr), vq::kStatusOk);
    EXPECT_FALSE(writer.TakesIntegers());
    EXPECT_EQ(writer.WriteIntegers(integers.data(), 1000, nullptr), vq::kBadState) << "AAC takes doubles";
}

struct OptionsCase {
    const char* name;
    vq::MovieContainer container;
    MovieCodec codec;
    int sampleRate;
    int bitRate;
    int status;
};

class RefusedOptions : public testing::TestWithParam<OptionsCase> {};

TEST_P(RefusedOptions, NothingIsCreated)
{
    const OptionsCase& c = GetParam();
    TempDir dir;
    vq::MovieOptions options = Options(c.codec);
    options.container = c.container;
    options.sampleRate = c.sampleRate;
    options.bitRate = c.bitRate;
    const std::string path = dir.File("movie");
    vq::FailureDetail checked, opened;
    EXPECT_EQ(vq::MovieWriter::Check(options, path, &checked), c.status);
    vq::MovieWriter writer;
    EXPECT_EQ(writer.Open(path, options, &opened), c.status);
    EXPECT_EQ(opened.path, path);
    EXPECT_FALSE(opened.reason.empty());
    EXPECT_EQ(checked.reason, opened.reason);
    EXPECT_FALSE(Exists(path));
}

const OptionsCase kRefusedOptions[] = {
    {"PcmInMp4", vq::MovieContainer::Mp4, MovieCodec::Pcm24, 48000, 0, vq::kBadParameter},
    {"AacInMov", vq::MovieContainer::Mov, MovieCodec::Aac, 48000, 0, vq::kBadParameter},
    {"AacBelow256k", vq::MovieContainer::Mp4, MovieCodec::Aac, 48000, 192000, vq::kBadParameter},
    {"OpusAboveItsMost", vq::MovieContainer::Mp4, MovieCodec::Opus, 48000, 2000000, vq::kBadParameter},
    {"NoRate", vq::MovieContainer::Mov, MovieCodec::Float, 0, 0, vq::kBadParameter},
    {"OpusAt44100", vq::MovieContainer::Mp4, MovieCodec::Opus, 44100, 0, vq::kMovieCodecUnusable},
};
INSTANTIATE_TEST_SUITE_P(Movies, RefusedOptions, testing::ValuesIn(kRefusedOptions), CaseName());

// The output writer's way of publishing a file: written into an unnamed temporary in the
// destination's directory, linked under its name only when complete.
TEST(MovieWriterDescriptor, UnnamedTemporaryLinkedIntoPlace)
{
    VQ_REQUIRE_FFMPEG();
    TempDir dir;
    const int fd = open(dir.Path().c_str(), O_TMPFILE | O_RDWR, 0644);
    if (fd < 0)
        GTEST_SKIP() << "the temporary directory's file system has no O_TMPFILE";
    const std::string path = dir.File("take.mov");
    vq::MovieWriter writer;
    vq::FailureDetail detail;
    ASSERT_EQ(writer.Open(fd, path, Options(MovieCodec::Float), &detail), vq::kStatusOk) << detail.reason;
    const std::vector<double> take = PlaneWave(12000, 0, 0, false);
    ASSERT_EQ(writer.Write(take.data(), 12000, &detail), vq::kStatusOk);
    ASSERT_EQ(writer.Finish(&detail), vq::kStatusOk) << detail.reason;
    EXPECT_FALSE(Exists(path));
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    ASSERT_EQ(linkat(AT_FDCWD, link.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW), 0) << std::strerror(errno);
    EXPECT_EQ(close(fd), 0) << "the descriptor stays the caller's";
    EXPECT_NE(ProbeStreams(path).find("channel_layout=ambisonic 1\n"), std::string::npos);
    EXPECT_EQ(DecodeFloat(path), std::vector<float>(take.begin(), take.end()));
}

TEST(MovieWriterDescriptor, WriteOnlyDescriptorRefused)
{
    TempDir dir;
    const std::string path = dir.File("take.mov");
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    vq::MovieWriter writer;
    vq::FailureDetail detail;
    EXPECT_EQ(writer.Open(fd, path, Options(MovieCodec::Pcm24), &detail), vq::kOutputOpenFailed);
    EXPECT_NE(detail.reason.find("reading and writing"), std::string::npos) << detail.reason;
    close(fd);
}

TEST(MovieWriterPath, AbortAndDestructionRemoveTheFile)
{
    TempDir dir;
    const std::vector<double> take = PlaneWave(4800, 0, 0, false);
    const std::string aborted = dir.File("aborted.mov"), dropped = dir.File("dropped.mov");
    vq::MovieWriter writer;
    ASSERT_EQ(writer.Open(aborted, Options(MovieCodec::Float), nullptr), vq::kStatusOk);
    ASSERT_EQ(writer.Write(take.data(), 4800, nullptr), vq::kStatusOk);
    EXPECT_TRUE(Exists(aborted));
    writer.Abort();
    EXPECT_FALSE(Exists(aborted));
    {
        vq::MovieWriter unfinished;
        ASSERT_EQ(unfinished.Open(dropped, Options(MovieCodec::Float), nullptr), vq::kStatusOk);
        ASSERT_EQ(unfinished.Write(take.data(), 4800, nullptr), vq::kStatusOk);
    }
    EXPECT_FALSE(Exists(dropped));
}

// A disk that fills up: the failure is a write failure naming the file, and the part
// written is removed.
TEST(MovieWriterPath, FullDiskFailsAndLeavesNothing)
{
    TempDir dir;
    const std::string path = dir.File("full.mov");
    const auto run = [&] {
        LimitFileSize(64 * 1024);
        vq::FailureDetail detail;
        const int status = WriteMovie(path, Options(MovieCodec::Float), PlaneWave(48000, 0, 0, false), 4800, &detail);
        std::fprintf(stderr, "status=%d named=%d left=%d\n", status, detail.path == path, Exists(path) ? 1 : 0);
        std::exit(0);
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "status=522 named=1 left=0");
}

}  // namespace
}  // namespace vqtest
