// The parametric 5.1 decoder against vector-base amplitude panning worked out here from the
// loudspeaker directions (the tangent law of each pair), and its LFE against the 120 Hz
// reference low-pass.
#include "common/EngineStatus.h"
#include "spatial/ParametricFiveOneDecoder.h"
#include "spatial/SpatialProbe.h"
#include "surround/DecodeMatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

namespace {

using vqtest::kHalfSecond;
using vqtest::kSettled;
using vqtest::Outputs;
using vqtest::Signal;
using vqtest::WXYZ;

constexpr int kRate = vqtest::kSpatialRate;

Outputs Decode(const WXYZ& input, bool lfe = false)
{
    vq::ParametricFiveOneDecoder decoder(lfe);
    return vqtest::RunDecoder(decoder, input, kRate, {4096, 777});
}

// Loudspeaker directions, degrees, by channel (LFE has none).
double SpeakerAzimuth(int channel)
{
    switch (channel) {
    case vq::kLeft:
        return 30;
    case vq::kRight:
        return -30;
    case vq::kCentre:
        return 0;
    case vq::kLeftSurround:
        return 110;
    default:
        return -110;
    }
}

// Energy shares of the loudspeakers by the tangent law: the pair a, b around `azimuth`, with
// tan(azimuth - centre) / tan(half the pair's angle) = (ga - gb) / (ga + gb), ga^2 + gb^2 = 1.
std::array<double, vq::kSurroundChannels> TangentLawShares(double azimuth, int a, int b)
{
    const double rad = vqtest::kPi / 180.0;
    double from = SpeakerAzimuth(a), to = SpeakerAzimuth(b);  // counter-clockwise from a to b
    if (to < from)
        to += 360.0;
    if (azimuth < from)
        azimuth += 360.0;
    const double centre = 0.5 * (from + to), half = 0.5 * (to - from);
    const double ratio = std::tan((azimuth - centre) * rad) / std::tan(half * rad);  // (gb - ga) / (ga + gb)
    const double ga = 1.0 - ratio, gb = 1.0 + ratio;
    std::array<double, vq::kSurroundChannels> shares{};
    shares[a] = ga * ga / (ga * ga + gb * gb);
    shares[b] = gb * gb / (ga * ga + gb * gb);
    return shares;
}

struct PanCase {
    std::string name;
    double azimuth;
    int from, to;  // the pair, counter-clockwise
};

void PrintTo(const PanCase& c, std::ostream* os)
{
    *os << c.name;
}

class FiveOnePanning : public testing::TestWithParam<PanCase> {};

TEST_P(FiveOnePanning, PlaysFromThePairAroundTheSourceByTheTangentLaw)
{
    const PanCase& c = GetParam();
    const Outputs out = Decode(vqtest::PlaneWaveNoise(c.azimuth, 0, kHalfSecond, 8));
    const std::array<double, vq::kSurroundChannels> expected = TangentLawShares(c.azimuth, c.from, c.to);
    double total = 0.0;
    std::array<double, vq::kSurroundChannels> energy{};
    for (int ch = 0; ch < vq::kSurroundChannels; ++ch) {
        energy[ch] = ch == vq::kLfe ? 0.0 : vqtest::Energy(vqtest::Tail(out[ch], kSettled));
        total += energy[ch];
    }
    double loudest = 0.0;
    for (double e : energy)
        loudest = std::max(loudest, e);
    for (int ch = 0; ch < vq::kSurroundChannels; ++ch) {
        if (ch == vq::kLfe)
            continue;
        if (expected[ch] > 0.01)
            EXPECT_NEAR(vqtest::Decibels(energy[ch] / total), vqtest::Decibels(expected[ch]), 0.3) << "channel " << ch;
        else
            EXPECT_LE(vqtest::Decibels(energy[ch] / loudest), -10.0) << "channel " << ch;
    }
    // A plane wave of amplitude s gives s^2 over the loudspeakers.
    const double source = vqtest::Energy(vqtest::Tail(vqtest::Noise(kHalfSecond, 8), kSettled));
    EXPECT_NEAR(vqtest::Decibels(total / source), 0.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, FiveOnePanning,
    testing::Values(PanCase{"Centre", 0, vq::kCentre, vq::kLeft}, PanCase{"Left", 30, vq::kLeft, vq::kLeftSurround},
                    PanCase{"LeftSurround", 110, vq::kLeftSurround, vq::kRightSurround},
                    PanCase{"RightSurround", -110, vq::kRightSurround, vq::kRight},
                    PanCase{"Left70", 70, vq::kLeft, vq::kLeftSurround},
                    PanCase{"Left50", 50, vq::kLeft, vq::kLeftSurround},
                    PanCase{"Right70", -70, vq::kRightSurround, vq::kRight},
                    PanCase{"Left15", 15, vq::kCentre, vq::kLeft},
                    PanCase{"Back", 180, vq::kLeftSurround, vq::kRightSurround},
                    PanCase{"Back160", 160, vq::kLeftSurround, vq::kRightSurround}),
    vqtest::CaseName());

TEST(ParametricFiveOne, SoundFromOverheadGoesToAllFiveAlike)
{
    const Outputs out = Decode(vqtest::PlaneWaveNoise(0, 90));
    const double centre = vqtest::Energy(vqtest::Tail(out[vq::kCentre], kSettled));
    for (int ch : {vq::kLeft, vq::kRight, vq::kLeftSurround, vq::kRightSurround})
        EXPECT_NEAR(vqtest::Decibels(vqtest::Energy(vqtest::Tail(out[ch], kSettled)) / centre), 0.0, 0.2) << ch;
}

TEST(ParametricFiveOne, LfeIsTheLowPassOfWAtATenthLinedUpWithTheRest)
{
    const WXYZ input = vqtest::PlaneWaveNoise(20, 0);
    const Signal expected = vqtest::LowPass120(input[0], kRate);
    const Outputs with = Decode(input, true);
    const Outputs without = Decode(input, false);
    for (std::size_t n = 0; n < expected.size(); ++n) {
        ASSERT_NEAR(with[vq::kLfe][n], 0.1 * expected[n], 1e-9) << n;
        ASSERT_EQ(without[vq::kLfe][n], 0.0) << n;
    }
    // The LFE does not change the other channels.
    for (int ch : {vq::kLeft, vq::kRight, vq::kCentre, vq::kLeftSurround, vq::kRightSurround})
        EXPECT_EQ(with[ch], without[ch]) << ch;
}

TEST(ParametricFiveOne, RefusesARateThatIsNotPositive)
{
    vq::ParametricFiveOneDecoder decoder(true);
    EXPECT_EQ(decoder.Prepare(0, 1024), vq::kBadParameter);
    EXPECT_EQ(decoder.Prepare(kRate, -1), vq::kBadParameter);
    EXPECT_EQ(decoder.Prepare(kRate, 1024), vq::kStatusOk);
}

}  // namespace
