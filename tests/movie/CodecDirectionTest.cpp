// AAC and Opus keep where the sound comes from: a plane wave written into an MP4, decoded by
// ffmpeg, still points at its source (the direction of the mean intensity W * (X, Y, Z)),
// and a head-locked pair comes back as channels 5 and 6.
#include "common/EngineStatus.h"
#include "movie/MovieFixture.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vqtest {
namespace {

using vq::MovieCodec;

struct DirectionCase {
    const char* name;
    MovieCodec codec;
    bool headLocked;
    double azimuth, elevation;  // degrees
    int bitRate;                // 0: the writer's default
};

double Correlation(const std::vector<float>& a, int channelA, const std::vector<double>& b, int channelB, int channels,
                   std::size_t frames)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t n = 0; n < frames; ++n) {
        const double x = a[n * channels + channelA], y = b[n * channels + channelB];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return ab / std::sqrt(aa * bb);
}

class CodecDirection : public testing::TestWithParam<DirectionCase> {};

TEST_P(CodecDirection, DecodedAmbixPointsAtTheSource)
{
    VQ_REQUIRE_FFMPEG();
    const DirectionCase& c = GetParam();
    TempDir dir;
    const std::string movie = dir.File("take.mp4");
    const std::vector<double> take = PlaneWave(48000, c.azimuth, c.elevation, c.headLocked);
    vq::MovieOptions options = Options(c.codec, c.headLocked);
    options.bitRate = c.bitRate;
    vq::FailureDetail detail;
    ASSERT_EQ(WriteMovie(movie, options, take, 1000, &detail), vq::kStatusOk) << detail.reason;

    const int channels = c.headLocked ? 6 : 4;
    const std::vector<float> decoded = DecodeFloat(movie);
    const std::size_t frames = decoded.size() / channels;
    ASSERT_GE(frames, 48000u);
    double intensity[3] = {0, 0, 0};  // x, y, z: the sums of W * X, W * Y, W * Z
    for (std::size_t n = 0; n < frames; ++n) {
        const float* frame = &decoded[n * channels];
        intensity[0] += frame[0] * frame[3];
        intensity[1] += frame[0] * frame[1];
        intensity[2] += frame[0] * frame[2];
    }
    const double az = c.azimuth * M_PI / 180, el = c.elevation * M_PI / 180;
    const double source[3] = {std::cos(az) * std::cos(el), std::sin(az) * std::cos(el), std::sin(el)};
    const double length =
        std::sqrt(intensity[0] * intensity[0] + intensity[1] * intensity[1] + intensity[2] * intensity[2]);
    const double cosine = (intensity[0] * source[0] + intensity[1] * source[1] + intensity[2] * source[2]) / length;
    EXPECT_LT(std::acos(std::min(1.0, cosine)) * 180 / M_PI, 5.0);

    // The pair is the pair, in its place, and the sound field is not in it. (The codecs
    // leave out the white noise's top octave: the likeness cannot be higher than about 0.85.)
    if (c.headLocked) {
        EXPECT_GT(Correlation(decoded, 4, take, 4, channels, 48000), 0.7);
        EXPECT_GT(Correlation(decoded, 5, take, 5, channels, 48000), 0.7);
        EXPECT_LT(std::fabs(Correlation(decoded, 4, take, 0, channels, 48000)), 0.1);
    }
}

const DirectionCase kDirectionCases[] = {
    {"AacFrontLeftUp", MovieCodec::Aac, false, 60, 20, 256000},
    {"AacHeadLockedBehindRightDown", MovieCodec::Aac, true, -120, -10, 0},
    {"OpusBehindRightDown", MovieCodec::Opus, false, -120, -10, 256000},
    {"OpusHeadLockedFrontLeftUp", MovieCodec::Opus, true, 60, 20, 0},
};
INSTANTIATE_TEST_SUITE_P(Movies, CodecDirection, testing::ValuesIn(kDirectionCases), CaseName());

}  // namespace
}  // namespace vqtest
