// The coincident stereo pair against the closed form of first-order microphones,
// a + (1 - a) cos(theta), for every pattern, angle and aim, and its parameter checks.
#include "decoders/DecoderHarness.h"

#include "common/EngineStatus.h"
#include "surround/StereoPairDecoder.h"

#include <cmath>

using namespace vqtest;

namespace {

constexpr int kL = vq::StereoPairDecoder::kLeft;
constexpr int kR = vq::StereoPairDecoder::kRight;

double Pattern(double omni, double degrees)
{
    return omni + (1.0 - omni) * std::cos(degrees * kPi / 180.0);
}

struct PairCase {
    const char* name;
    double omni;
    double angle;
    double aim;
};

void PrintTo(const PairCase& c, std::ostream* os)
{
    *os << c.name;
}

class StereoPair : public testing::TestWithParam<PairCase> {};

TEST_P(StereoPair, SourceOnTheLeftAxisGivesItsAmplitudeInLAndThePatternInR)
{
    const PairCase& c = GetParam();
    const double s = 0.8;
    vq::StereoPairDecoder decoder(c.omni, c.angle, c.aim);
    const Outputs out = RunDecoder(decoder, PlaneWaves({c.aim + c.angle / 2.0}, s), 48000, {1});
    EXPECT_NEAR(out[kL][0], s, 1e-12);
    EXPECT_NEAR(out[kR][0] / out[kL][0], Pattern(c.omni, c.angle), 1e-12);
}

TEST_P(StereoPair, EveryDirectionFollowsThePattern)
{
    const PairCase& c = GetParam();
    std::vector<double> degrees;
    for (int d = -180; d < 180; d += 10)
        degrees.push_back(d);
    const double s = 0.6;
    WXYZ input = PlaneWaves(degrees, s);
    input[3] = Noise(static_cast<std::int64_t>(degrees.size()), 9);  // Z must change nothing
    vq::StereoPairDecoder decoder(c.omni, c.angle, c.aim);
    EXPECT_EQ(decoder.OutputChannels(), 2);
    EXPECT_EQ(decoder.LatencyFrames(), 0);
    const Outputs out = RunDecoder(decoder, input, 44100, {5, 1});
    for (std::size_t i = 0; i < degrees.size(); ++i) {
        EXPECT_NEAR(out[kL][i], s * Pattern(c.omni, degrees[i] - (c.aim + c.angle / 2.0)), 1e-12) << degrees[i];
        EXPECT_NEAR(out[kR][i], s * Pattern(c.omni, degrees[i] - (c.aim - c.angle / 2.0)), 1e-12) << degrees[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, StereoPair,
                         testing::Values(PairCase{"CardioidXY90", vq::MicPattern::kCardioid, 90.0, 0.0},
                                         PairCase{"Blumlein", vq::MicPattern::kFigureOfEight, 90.0, 0.0},
                                         PairCase{"SupercardioidWide", vq::MicPattern::kSupercardioid, 120.0, 0.0},
                                         PairCase{"HypercardioidAimedLeft", vq::MicPattern::kHypercardioid, 60.0, 40.0},
                                         PairCase{"SubcardioidToTheBack", vq::MicPattern::kSubcardioid, 180.0, 180.0},
                                         PairCase{"OmniPair", vq::MicPattern::kOmni, 90.0, -75.0},
                                         PairCase{"CardioidsTogether", vq::MicPattern::kCardioid, 0.0, -30.0}),
                         CaseName());

TEST(StereoPair, BlumleinLeftIsSilentForASourceOnTheRightAxis)
{
    vq::StereoPairDecoder decoder(vq::MicPattern::kFigureOfEight);
    const Outputs out = RunDecoder(decoder, PlaneWaves({-45.0, 135.0}), 48000, {2});
    EXPECT_NEAR(out[kL][0], 0.0, 1e-15);
    EXPECT_NEAR(out[kR][0], 1.0, 1e-12);
    EXPECT_NEAR(out[kR][1], -1.0, 1e-12) << "the rear lobe is of opposite polarity";
}

TEST(StereoPair, TheAimRotatesThePicture)
{
    std::vector<double> degrees;
    for (int d = -180; d < 180; d += 15)
        degrees.push_back(d);
    vq::StereoPairDecoder ahead(vq::MicPattern::kCardioid, 110.0, 0.0);
    const Outputs reference = RunDecoder(ahead, PlaneWaves(degrees), 48000, {64});
    for (double aim : {35.0, -90.0, 180.0}) {
        std::vector<double> turned;
        for (double d : degrees)
            turned.push_back(d + aim);
        vq::StereoPairDecoder aimed(vq::MicPattern::kCardioid, 110.0, aim);
        const Outputs out = RunDecoder(aimed, PlaneWaves(turned), 48000, {64});
        EXPECT_LT(MaxAbsDifference(out[kL], reference[kL]), 1e-12) << aim;
        EXPECT_LT(MaxAbsDifference(out[kR], reference[kR]), 1e-12) << aim;
    }
}

TEST(StereoPair, ParametersOutOfRangeAreRefused)
{
    struct Case {
        double omni, angle, aim;
        int status;
    };
    const double nan = NAN;
    const Case cases[] = {
        {0.0, 0.0, -180.0, 0},
        {1.0, 180.0, 180.0, 0},
        {0.37, 90.0, 0.0, 0},
        {-0.01, 90.0, 0.0, vq::kBadParameter},
        {1.01, 90.0, 0.0, vq::kBadParameter},
        {nan, 90.0, 0.0, vq::kBadParameter},
        {0.5, -1.0, 0.0, vq::kBadParameter},
        {0.5, 180.5, 0.0, vq::kBadParameter},
        {0.5, nan, 0.0, vq::kBadParameter},
        {0.5, 90.0, -181.0, vq::kBadParameter},
        {0.5, 90.0, 270.0, vq::kBadParameter},
        {0.5, 90.0, nan, vq::kBadParameter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.omni << ", " << c.angle << ", " << c.aim);
        EXPECT_EQ(vq::StereoPairDecoder::CheckParameters(c.omni, c.angle, c.aim), c.status);
        vq::StereoPairDecoder decoder(c.omni, c.angle, c.aim);
        EXPECT_EQ(decoder.Prepare(48000, 1024), c.status);
    }
    vq::StereoPairDecoder good(vq::MicPattern::kCardioid);
    EXPECT_EQ(good.Prepare(0, 1024), vq::kBadParameter);
    EXPECT_EQ(good.Prepare(48000, -1), vq::kBadParameter);
}

TEST(StereoPair, PatternNamesGiveTheirOmniShare)
{
    const std::pair<const char*, double> names[] = {
        {"omni", 1.0},           {"subcardioid", 0.7},     {"cardioid", 0.5}, {"supercardioid", 0.37},
        {"hypercardioid", 0.25}, {"figure-of-eight", 0.0}, {"figure8", 0.0},
    };
    for (const auto& [name, share] : names) {
        double a = -1.0;
        EXPECT_TRUE(vq::ParseMicPattern(name, &a)) << name;
        EXPECT_EQ(a, share) << name;
    }
    double untouched = 0.42;
    for (const char* name : {"", "Cardioid", "shotgun", "cardioid "})
        EXPECT_FALSE(vq::ParseMicPattern(name, &untouched)) << name;
    EXPECT_EQ(untouched, 0.42);
}

}  // namespace
