// Output files: saturation instead of wrap-around, RF64 when WAV cannot hold the data, and
// the kept FFT plans saved whole by programs running at once.
#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "common/FftwArray.h"
#include "common/FftwPlan.h"
#include "common/SoundFileOutput.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

TEST(SoundFileOutput, WavThatWouldPassFourGibibytesBecomesRf64)
{
    const int wavex16 = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    const int rf64_16 = SF_FORMAT_RF64 | SF_FORMAT_PCM_16;
    const std::int64_t limitFrames4ch = static_cast<std::int64_t>(vq::kMaxWavDataBytes / 8);
    const std::int64_t limitFramesMono24 = static_cast<std::int64_t>(vq::kMaxWavDataBytes / 3);
    struct Case {
        int format;
        int channels;
        std::int64_t frames;
        int expected;
    };
    const Case cases[] = {
        {wavex16, 4, limitFrames4ch, wavex16},
        {wavex16, 4, limitFrames4ch + 1, rf64_16},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6, std::int64_t(1) << 31, SF_FORMAT_RF64 | SF_FORMAT_FLOAT},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1, limitFramesMono24, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1, limitFramesMono24 + 1, SF_FORMAT_RF64 | SF_FORMAT_PCM_24},
        {SF_FORMAT_W64 | SF_FORMAT_PCM_16, 4, std::int64_t(1) << 40, SF_FORMAT_W64 | SF_FORMAT_PCM_16},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vq::FormatForLength(c.format, c.channels, c.frames), c.expected) << c.frames;
}

TEST(SoundFileOutput, Rf64FilesHoldTheSameSamples)
{
    TempDir dir;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = vq::FormatForLength(SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 1000, /*maxWavDataBytes=*/100);
    ASSERT_EQ(info.format, SF_FORMAT_RF64 | SF_FORMAT_PCM_24);
    SNDFILE* file = nullptr;
    ASSERT_EQ(vq::CreateOutputFile(dir.File("big.wav"), info, &file), vq::kStatusOk);
    const Signal data = Noise(2000, 3);
    ASSERT_EQ(vq::WriteFrames(file, data.data(), 1000), vq::kStatusOk);
    sf_close(file);
    const Audio back = ReadAudio(dir.File("big.wav"));
    EXPECT_EQ(back.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_RF64);
    EXPECT_LT(MaxAbsDifference(back.samples, data), 1.0 / (1 << 22));
}

TEST(SoundFileOutput, IntegerFilesSaturateInsteadOfWrapping)
{
    TempDir dir;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    SNDFILE* file = nullptr;
    ASSERT_EQ(vq::CreateOutputFile(dir.File("clip.wav"), info, &file), vq::kStatusOk);
    const double samples[] = {1.5, -1.5, 0.25, 1e9};
    ASSERT_EQ(vq::WriteFrames(file, samples, 4), vq::kStatusOk);
    sf_close(file);
    const Audio back = ReadAudio(dir.File("clip.wav"));
    EXPECT_NEAR(back.samples[0], 1.0, 1e-4);
    EXPECT_NEAR(back.samples[1], -1.0, 1e-4);
    EXPECT_NEAR(back.samples[2], 0.25, 1e-4);
    EXPECT_NEAR(back.samples[3], 1.0, 1e-4);
}

}  // namespace

namespace {

TEST(FftWisdom, TwoProgramsSavingAtOnceLeaveAWholeFile)
{
    TempDir dir;
    const std::string path = dir.File("fftw-wisdom");
    // Some wisdom to keep: one measured plan.
    vq::FftwArray<double> in;
    vq::FftwArray<fftw_complex> out;
    ASSERT_TRUE(in.Allocate(1024) && out.Allocate(513));
    ASSERT_TRUE(vq::FftwPlan::RealToComplex(1024, in.data(), out.data(), FFTW_MEASURE));
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool all = true;
            for (int i = 0; i < 200; ++i)
                all = vq::SaveFftWisdom(path) && all;
            _exit(all ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "every save succeeded";
    }
    fftw_forget_wisdom();
    EXPECT_TRUE(vq::LoadFftWisdom(path)) << "the file is whole wisdom";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary is left behind";
}

}  // namespace
