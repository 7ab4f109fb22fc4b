// The two 5.1 decoders: the virtual-microphone decode against its equations, the
// energy-balanced decode against the directions and levels it promises, and the LFE
// channel and the parameter checks of both.
#include "decoders/DecoderHarness.h"

#include "common/EngineStatus.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace vqtest;

namespace {

enum Channel { kL, kR, kC, kLfe, kLs, kRs };
const char* const kNames[6] = {"L", "R", "C", "LFE", "Ls", "Rs"};

// The decoding equations of README's 5.1 section at unity gain: L and R at +-a/2 with
// weights 1/sqrt2 (W) and 0.75 (X, Y); C and the surrounds, at 120 + a/6 degrees, with
// sqrt2 and 0.5, at -4 and -10 dB (single-precision powers of ten); LFE a tenth of the
// low-passed W. `a` is the opening angle.
Outputs FiveOneEquations(const WXYZ& in, double openingAngle, bool lfe, int rate)
{
    const double front = openingAngle / 2.0 * kPi / 180.0;
    const double rear = 0.5 * (double(0.3333f) * openingAngle + 240.0) * kPi / 180.0;
    const double centre = std::pow(10.0f, -0.2f), surround = std::pow(10.0f, -0.5f);
    const double h = std::sqrt(0.5), t = std::sqrt(2.0);
    const Signal &w = in[0], &x = in[1], &y = in[2];
    const Signal lowW = LowPass120(w, rate);
    Outputs out(6, Signal(w.size()));
    for (std::size_t n = 0; n < w.size(); ++n) {
        out[kL][n] = h * w[n] + 0.75 * (std::cos(front) * x[n] + std::sin(front) * y[n]);
        out[kR][n] = h * w[n] + 0.75 * (std::cos(front) * x[n] - std::sin(front) * y[n]);
        out[kC][n] = centre * (t * w[n] + 0.5 * x[n]);
        out[kLfe][n] = lfe ? 0.1 * lowW[n] : 0.0;
        out[kLs][n] = surround * (t * w[n] + 0.5 * (std::cos(rear) * x[n] + std::sin(rear) * y[n]));
        out[kRs][n] = surround * (t * w[n] + 0.5 * (std::cos(rear) * x[n] - std::sin(rear) * y[n]));
    }
    return out;
}

struct VirtualMicCase {
    const char* name;
    double openingAngle;
    bool lfe;
    int rate;
    std::vector<std::int64_t> blocks;
};

void PrintTo(const VirtualMicCase& c, std::ostream* os)
{
    *os << c.name;
}

class VirtualMicDecode : public testing::TestWithParam<VirtualMicCase> {};

TEST_P(VirtualMicDecode, EqualsTheEquations)
{
    const VirtualMicCase& c = GetParam();
    const WXYZ input = NoiseWXYZ(6000, 11);  // Z is noise too and must change nothing
    vq::VirtualMicFiveOneDecoder decoder(c.openingAngle, c.lfe);
    EXPECT_EQ(decoder.OutputChannels(), 6);
    EXPECT_EQ(decoder.LatencyFrames(), 0);
    const Outputs actual = RunDecoder(decoder, input, c.rate, c.blocks);
    const Outputs expected = FiveOneEquations(input, c.openingAngle, c.lfe, c.rate);
    for (int k = 0; k < 6; ++k)
        EXPECT_LT(MaxAbsDifference(actual[k], expected[k]), 1e-12) << kNames[k];
}

INSTANTIATE_TEST_SUITE_P(Settings, VirtualMicDecode,
                         testing::Values(VirtualMicCase{"Usual60WithLfe", 60.0, true, 48000, {6000}},
                                         VirtualMicCase{"Narrow15NoLfe", 15.0, false, 44100, {1000}},
                                         VirtualMicCase{"Wide90WithLfeOddBlocks", 90.0, true, 96000, {1, 777, 13}},
                                         VirtualMicCase{"Full180WithLfe", 180.0, true, 48000, {4096}},
                                         VirtualMicCase{"Closed0NoLfe", 0.0, false, 48000, {2999}}),
                         CaseName());

// Both 5.1 decoders, made afresh for each use.
struct FiveOneKind {
    const char* name;
    std::function<std::unique_ptr<vq::BFormatDecoder>(bool lfe)> make;
};

void PrintTo(const FiveOneKind& k, std::ostream* os)
{
    *os << k.name;
}

class FiveOneLfe : public testing::TestWithParam<FiveOneKind> {};

TEST_P(FiveOneLfe, IsATenthOfTheLowPassedWOrSilent)
{
    const WXYZ input = NoiseWXYZ(20000, 3);
    const Signal expected = LowPass120(input[0], 44100);
    const Outputs on = RunDecoder(*GetParam().make(true), input, 44100, {20000});
    const Outputs off = RunDecoder(*GetParam().make(false), input, 44100, {20000});
    Signal tenth = expected;
    for (double& v : tenth)
        v *= 0.1;
    EXPECT_LT(MaxAbsDifference(on[kLfe], tenth), 1e-12);
    EXPECT_EQ(off[kLfe], Signal(20000, 0.0));
    for (int k : {kL, kR, kC, kLs, kRs})
        EXPECT_EQ(on[k], off[k]) << kNames[k] << " does not depend on the LFE setting";
}

TEST_P(FiveOneLfe, DoesNotDependOnTheBlockLengths)
{
    const WXYZ input = NoiseWXYZ(30000, 5);
    const Outputs whole = RunDecoder(*GetParam().make(true), input, 48000, {30000});
    const std::vector<std::int64_t> cuttings[] = {{1}, {7, 1000, 3}, {16384}, {29999, 1}};
    for (const std::vector<std::int64_t>& blocks : cuttings) {
        const Outputs cut = RunDecoder(*GetParam().make(true), input, 48000, blocks);
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(cut[k], whole[k]) << kNames[k] << " with blocks of " << blocks[0] << ", ...";
    }
}

TEST_P(FiveOneLfe, RefusesRatesAndBlockLengthsOutOfRange)
{
    const auto decoder = GetParam().make(true);
    EXPECT_EQ(decoder->Prepare(0, 1024), vq::kBadParameter);
    EXPECT_EQ(decoder->Prepare(-48000, 1024), vq::kBadParameter);
    EXPECT_EQ(decoder->Prepare(48000, -1), vq::kBadParameter);
    EXPECT_EQ(decoder->Prepare(48000, 0), 0) << "an empty file has blocks of 0 frames";
    EXPECT_EQ(decoder->Prepare(8000, 1024), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Decoders, FiveOneLfe,
    testing::Values(FiveOneKind{"VirtualMic",
                                [](bool lfe) { return std::make_unique<vq::VirtualMicFiveOneDecoder>(60.0, lfe); }},
                    FiveOneKind{"Energy", [](bool lfe) { return std::make_unique<vq::EnergyFiveOneDecoder>(lfe); }}),
    CaseName());

TEST(VirtualMicDecode, RefusesOpeningAnglesOutOfRange)
{
    for (double angle : {-0.001, 180.001, 360.0, double(NAN), double(INFINITY)}) {
        vq::VirtualMicFiveOneDecoder decoder(angle, true);
        EXPECT_EQ(decoder.Prepare(48000, 1024), vq::kBadParameter) << angle;
    }
}

// Loudspeaker directions of the ITU layout, degrees, in channel order (LFE has none).
const double kItu[6] = {30.0, -30.0, 0.0, 0.0, 110.0, -110.0};
const int kSpeakers[5] = {kL, kR, kC, kLs, kRs};

// The gains of the energy decoder for plane waves of amplitude 1 every 5 degrees.
struct Circle {
    std::vector<double> degrees;
    Outputs gains;
};

Circle EnergyDecoderCircle()
{
    Circle c;
    for (int d = -180; d < 180; d += 5)
        c.degrees.push_back(d);
    vq::EnergyFiveOneDecoder decoder(false);
    c.gains = RunDecoder(decoder, PlaneWaves(c.degrees), 48000, {1000});
    return c;
}

TEST(EnergyDecode, EnergyVectorPointsAtTheSourceAndEnergyIsEven)
{
    const Circle c = EnergyDecoderCircle();
    double worstFront = 0.0, worstElsewhere = 0.0;
    std::vector<double> energy;
    for (std::size_t i = 0; i < c.degrees.size(); ++i) {
        double total = 0.0, ex = 0.0, ey = 0.0;
        for (int k : kSpeakers) {
            const double g2 = c.gains[k][i] * c.gains[k][i];
            total += g2;
            ex += g2 * std::cos(kItu[k] * kPi / 180.0);
            ey += g2 * std::sin(kItu[k] * kPi / 180.0);
        }
        const double error = AngleBetween(std::atan2(ey, ex) * 180.0 / kPi, c.degrees[i]);
        double& worst = std::fabs(c.degrees[i]) <= 30.0 ? worstFront : worstElsewhere;
        worst = std::max(worst, error);
        energy.push_back(total);
    }
    double mean = 0.0;
    for (double e : energy)
        mean += e / double(energy.size());
    const double lowDb = 10.0 * std::log10(*std::min_element(energy.begin(), energy.end()) / mean);
    const double highDb = 10.0 * std::log10(*std::max_element(energy.begin(), energy.end()) / mean);

    EXPECT_LE(worstFront, 10.0);
    EXPECT_LE(worstElsewhere, 25.0);
    EXPECT_GE(lowDb, -1.5);
    EXPECT_LE(highDb, 1.5);
    // A wave of amplitude 1 gives a total energy of 1 on average over the circle.
    EXPECT_NEAR(mean, 1.0, 1e-9);
    RecordProperty("worstFrontDegrees", testing::PrintToString(worstFront));
    RecordProperty("worstElsewhereDegrees", testing::PrintToString(worstElsewhere));
    RecordProperty("energyRangeDb", testing::PrintToString(lowDb) + " " + testing::PrintToString(highDb));
}

TEST(EnergyDecode, RearSourceIsLoudestInTheSurroundsFrontSourceNotThere)
{
    vq::EnergyFiveOneDecoder decoder(false);
    const Outputs g = RunDecoder(decoder, PlaneWaves({180.0, 0.0}), 48000, {2});
    const int back = 0, front = 1;
    EXPECT_NEAR(g[kLs][back], g[kRs][back], 1e-12) << "symmetric";
    for (int k : {kL, kR, kC})
        EXPECT_GT(g[kLs][back], std::fabs(g[k][back])) << kNames[k];
    const double loudestFront = std::max({g[kL][front], g[kR][front], g[kC][front]});
    for (int k : {kLs, kRs})
        EXPECT_LT(std::fabs(g[k][front]), loudestFront) << kNames[k];
    EXPECT_GT(g[kC][front], 0.0) << "the centre takes part";
}

TEST(EnergyDecode, MirrorsLeftAndRight)
{
    const std::vector<double> left = {10.0, 45.0, 100.0, 150.0}, right = {-10.0, -45.0, -100.0, -150.0};
    vq::EnergyFiveOneDecoder decoder(false);
    const Outputs a = RunDecoder(decoder, PlaneWaves(left), 48000, {4});
    const Outputs b = RunDecoder(decoder, PlaneWaves(right), 48000, {4});
    const std::pair<int, int> mirrored[] = {{kL, kR}, {kC, kC}, {kLs, kRs}};
    for (auto [l, r] : mirrored)
        EXPECT_LT(MaxAbsDifference(a[l], b[r]), 1e-12) << kNames[l];
}

}  // namespace
