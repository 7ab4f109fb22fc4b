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

// The movie's samples are the WAV's, and both are the take as the writer was given it.
template <typename Sample>
void ExpectSameSamples(const std::vector<Sample>& movie, const std::vector<Sample>& wav,
                       const std::vector<Sample>& take)
{
    ASSERT_EQ(movie.size(), take.size());
    ASSERT_EQ(wav.size(), take.size());
    std::size_t fromWav = 0, fromTake = 0;
    for (std::size_t i = 0; i < take.size(); ++i) {
        fromWav += movie[i] != wav[i];
        fromTake += movie[i] != take[i];
    }
    EXPECT_EQ(fromWav, 0u) << "samples that differ from the WAV's";
    EXPECT_EQ(fromTake, 0u) << "samples that differ from the take's";
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
    ASSERT_EQ(WriteMovie(movie, Options(c.codec, c.headLocked), take, c.block, &detail), vq::kStatusOk)
        << detail.reason;
    WriteWav(wav, take, c.codec, channels);

    const int bits = vq::MovieCodecInfo(c.codec).integerBits;
    const std::vector<int> integers = bits > 0 ? LeftJustified(take, bits) : std::vector<int>();
    if (bits == 16) {
        std::vector<std::int16_t> expected(integers.size());
        for (std::size_t i = 0; i < integers.size(); ++i)
            expected[i] = static_cast<std::int16_t>(integers[i] >> 16);
        ExpectSameSamples(DecodeInt16(movie), DecodeInt16(wav), expected);
    } else if (bits == 24) {
        ExpectSameSamples(DecodeInt32(movie), DecodeInt32(wav),
                          std::vector<std::int32_t>(integers.begin(), integers.end()));
    } else {
        ExpectSameSamples(DecodeFloat(movie), DecodeFloat(wav), std::vector<float>(take.begin(), take.end()));
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
