// Inputs that an estimate of directions does not expect, through both parametric decoders:
// digital silence, a DC offset, a lone click, full-scale noise and a source that jumps to the
// other side. The output stays finite and free of bursts that the input does not have.
#include "binaural/SphericalHeadHrirs.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/ParametricFiveOneDecoder.h"
#include "spatial/SpatialProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace {

using vqtest::Outputs;
using vqtest::Signal;
using vqtest::WXYZ;

constexpr int kRate = vqtest::kSpatialRate;
constexpr std::int64_t kFrames = vqtest::kHalfSecond;
constexpr std::int64_t kClickAt = 12000;
constexpr std::int64_t kWindow = 240;  // 5 ms

// Short-term RMS of x in windows of kWindow frames from `from` on.
std::vector<double> WindowLevels(const Signal& x, std::int64_t from)
{
    std::vector<double> levels;
    for (std::int64_t start = from; start + kWindow <= static_cast<std::int64_t>(x.size()); start += kWindow) {
        double sum = 0.0;
        for (std::int64_t n = start; n < start + kWindow; ++n)
            sum += x[static_cast<std::size_t>(n)] * x[static_cast<std::size_t>(n)];
        levels.push_back(std::sqrt(sum / kWindow));
    }
    return levels;
}

// No 5 ms window is more than twice (+6 dB) as loud as the 95th percentile of the windows:
// a burst from a parameter that jumps would stand out so.
void ExpectNoBursts(const Signal& x, std::int64_t from)
{
    std::vector<double> levels = WindowLevels(x, from);
    ASSERT_FALSE(levels.empty());
    const double loudest = *std::max_element(levels.begin(), levels.end());
    std::nth_element(levels.begin(), levels.begin() + levels.size() * 95 / 100, levels.end());
    EXPECT_LE(loudest, 2.0 * levels[levels.size() * 95 / 100]);
}

struct BadInput {
    std::string name;
    std::function<WXYZ()> make;
    std::function<void(const Signal& out)> check;
};

void PrintTo(const BadInput& c, std::ostream* os)
{
    *os << c.name;
}

WXYZ Constant(double value)
{
    const Signal s(kFrames, value);
    return {s, s, s, s};
}

WXYZ Click()
{
    WXYZ field = vqtest::Silence(kFrames);
    Signal click(kFrames, 0.0);
    click[kClickAt] = 1.0;
    vqtest::AddPlaneWave(field, click, 45, 0);
    return field;
}

WXYZ JumpingSource()
{
    const Signal noise = vqtest::Noise(kFrames, 17);
    const Signal first(noise.begin(), noise.begin() + kFrames / 2);
    Signal second(kFrames, 0.0);
    std::copy(noise.begin() + kFrames / 2, noise.end(), second.begin() + kFrames / 2);
    WXYZ field = vqtest::Silence(kFrames);
    vqtest::AddPlaneWave(field, first, 90, 0);
    vqtest::AddPlaneWave(field, second, -90, 0);
    return field;
}

const BadInput kBadInputs[] = {
    {"Silence", [] { return vqtest::Silence(kFrames); },
     [](const Signal& out) { EXPECT_EQ(*std::max_element(out.begin(), out.end()), 0.0); }},
    {"DcOffset", [] { return Constant(0.25); },
     [](const Signal& out) {
         // Once the averages have settled (0.3 s), a constant input gives a constant output (a
         // step of a millionth from frame to frame is what is left of their approach), up to
         // the frames that see the input end.
         for (std::size_t n = 14400; n < out.size() - 4096; ++n)
             ASSERT_NEAR(out[n], out[n - 1], 1e-6 * std::fabs(out[n])) << n;
     }},
    {"Click", Click,
     [](const Signal& out) {
         // What follows the click dies away with the frames that held it (no late burst).
         const double total = vqtest::Energy(out);
         EXPECT_GT(total, 0.0);
         EXPECT_LE(vqtest::Energy(vqtest::Tail(out, kClickAt + 2400)), 1e-6 * total);
     }},
    {"FullScaleNoise", [] { return vqtest::NoiseWXYZ(kFrames, 40); },  // Noise() is +-0.5 ...
     [](const Signal& out) { ExpectNoBursts(out, vqtest::kSettled); }},
    {"FullScaleNoiseAtOne",
     [] {
         WXYZ w = vqtest::NoiseWXYZ(kFrames, 41);
         for (Signal& s : w)
             for (double& v : s)
                 v *= 2.0;  // ... so this is +-1
         return w;
     },
     [](const Signal& out) { ExpectNoBursts(out, vqtest::kSettled); }},
    {"SourceJumpsToTheOtherSide", JumpingSource, [](const Signal& out) { ExpectNoBursts(out, vqtest::kSettled); }},
};

class BadInputThroughParametricBinaural : public testing::TestWithParam<BadInput> {};
class BadInputThroughParametricFiveOne : public testing::TestWithParam<BadInput> {};

void CheckOutputs(const Outputs& outputs, const BadInput& c)
{
    for (std::size_t ch = 0; ch < outputs.size(); ++ch) {
        SCOPED_TRACE("channel " + std::to_string(ch));
        const Signal& out = outputs[ch];
        ASSERT_TRUE(std::all_of(out.begin(), out.end(), [](double v) { return std::isfinite(v); }));
        c.check(out);
    }
}

TEST_P(BadInputThroughParametricBinaural, GivesFiniteOutputWithoutBursts)
{
    vq::ParametricBinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    CheckOutputs(vqtest::RunDecoder(decoder, GetParam().make(), kRate, {4096}), GetParam());
}

TEST_P(BadInputThroughParametricFiveOne, GivesFiniteOutputWithoutBursts)
{
    vq::ParametricFiveOneDecoder decoder(false);
    Outputs outputs = vqtest::RunDecoder(decoder, GetParam().make(), kRate, {4096});
    outputs.erase(outputs.begin() + vq::kLfe);  // silent
    CheckOutputs(outputs, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadInputThroughParametricBinaural, testing::ValuesIn(kBadInputs), vqtest::CaseName());
INSTANTIATE_TEST_SUITE_P(Inputs, BadInputThroughParametricFiveOne, testing::ValuesIn(kBadInputs), vqtest::CaseName());

}  // namespace
