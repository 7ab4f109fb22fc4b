// The PCM of a MOV, decoded by ffmpeg, is sample for sample what the AmbiX WAV of the same
// take holds: the integers the output writer rounded, or the floats, unchanged.
#include "common/EngineStatus.h"
#include "movie/MovieFixture.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <sndfile.h>

namespace vqtest {
namespace {

using vq::MovieCodec;

struct PcmCase {
    const char* name;
    MovieCodec codec;
    bool headLocked;
    std::int64_t block;  // frames a Write
};

// The AmbiX WAV the output writer makes of the same samples: integers through sf_writef_int.
void WriteWav(const std::string& path, const std::vector<double>& samples, MovieCodec codec, int channels)
{
    const int bits = vq::MovieCodecInfo(codec).integerBits;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = SF_FORMAT_WAVEX | (bits == 16 ? SF_FORMAT_PCM_16 : bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    const std::vector<int> integers = bits > 0 ? LeftJustified(samples, bits) : std::vector<int>();
    EXPECT_EQ(bits > 0 ? sf_writef_int(file, integers.data(), frames) : sf_writef_double(file, samples.data(), frames),
              frames);
    sf_close(file);
}

template <typename Sample>
void ExpectSameSamples(const std::vector<Sample>& movie, const std::vector<Sample>& wav, std::size_t count)
{
    ASSERT_EQ(movie.size(), count);
    ASSERT_EQ(wav.size(), count);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < count; ++i)
        differing += movie[i] != wav[i];
    EXPECT_EQ(differing, 0u);
}

class PcmRoundTrip : public testing::TestWithParam<PcmCase> {};

TEST_P(PcmRoundTrip, MovieDecodesToTheAmbixWavSamples)
{
    VQ_REQUIRE_FFMPEG();
    const PcmCase& c = GetParam();
    TempDir dir;
    const int channels = c.headLocked ? 6 : 4;
    std::vector<double> take = PlaneWave(48000 + 37, 45, 30, c.headLocked);
    // Full scale both ways, and beyond it: the integers saturate as the WAV's do.
    take[0] = 1.0;
    take[1] = -1.0;
    take[2] = 1.7;
    take[3] = -1.7;
    const std::string movie = dir.File("take.mov"), wav = dir.File("take.wav");
    vq::FailureDetail detail;
    ASSERT_EQ(WriteMovie(movie, Options(c.codec, c.headLocked), take, c.block, &detail), vq::kStatusOk) << detail.reason;
    WriteWav(wav, take, c.codec, channels);

    const std::size_t count = take.size();
    const int bits = vq::MovieCodecInfo(c.codec).integerBits;
    if (bits == 16)
        ExpectSameSamples(DecodeInt16(movie), DecodeInt16(wav), count);
    else if (bits == 24)
        ExpectSameSamples(DecodeInt32(movie), DecodeInt32(wav), count);
    else
        ExpectSameSamples(DecodeFloat(movie), DecodeFloat(wav), count);
    // And both are the take itself: the rounded integers, or the floats.
    if (bits == 24) {
        const std::vector<int> expected = LeftJustified(take, 24);
        ExpectSameSamples(DecodeInt32(movie), std::vector<std::int32_t>(expected.begin(), expected.end()), count);
    } else if (bits == 0) {
        ExpectSameSamples(DecodeFloat(movie), std::vector<float>(take.begin(), take.end()), count);
    }
}

const PcmCase kPcmCases[] = {
    {"Pcm16", MovieCodec::Pcm16, false, 1000},
    {"Pcm24", MovieCodec::Pcm24, false, 4097},
    {"Pcm24HeadLocked", MovieCodec::Pcm24, true, 48037},
    {"Float", MovieCodec::Float, false, 333},
};
INSTANTIATE_TEST_SUITE_P(Movies, PcmRoundTrip, testing::ValuesIn(kPcmCases), CaseName());

}  // namespace
}  // namespace vqtest
