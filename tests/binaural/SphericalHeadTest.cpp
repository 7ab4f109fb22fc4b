// The built-in head model against the closed forms it follows: Woodworth's delay of each
// ear at low frequencies, Brown & Duda's head shadow (ears at azimuth +-100 degrees) at
// high ones, unit gain at 0 Hz, and responses long enough to hold their tails.
#include "binaural/BinauralProbe.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numeric>
#include <ostream>
#include <string>

namespace {

using vqtest::kPi;
using vqtest::Signal;

constexpr double kRadius = 0.0875;
constexpr double kSpeed = 343.0;

// Woodworth: the near ear leads the centre by (a/c) sin(phi), the far one lags by (a/c) |phi|.
double WoodworthEarDelay(double lateral)
{
    return lateral >= 0.0 ? -kRadius / kSpeed * std::sin(lateral) : kRadius / kSpeed * -lateral;
}

// Brown & Duda's shadow filter (alpha s + beta) / (s + beta), beta = 2c/a, at `hz` after the
// bilinear transform (s = j 2 rate tan(pi f / rate)), for a source `angle` radians from the ear.
double ShadowGain(double angle, double hz, int rate)
{
    const double alpha = 1.05 + 0.95 * std::cos(angle / (150.0 * kPi / 180.0) * kPi);
    const double beta = 2.0 * kSpeed / kRadius;
    const double w = 2.0 * rate * std::tan(kPi * hz / rate);
    return std::abs(std::complex<double>(beta, alpha * w) / std::complex<double>(beta, w));
}

struct DirectionCase {
    std::string name;
    double azimuth;
    double elevation;
    int rate;
};

void PrintTo(const DirectionCase& c, std::ostream* os)
{
    *os << c.name;
}

class SphericalHeadEars : public testing::TestWithParam<DirectionCase> {};

TEST_P(SphericalHeadEars, FollowWoodworthDelaysAndBrownDudaShadow)
{
    const DirectionCase& c = GetParam();
    const vq::SphericalHeadHrirs head;
    std::string reason;
    ASSERT_EQ(head.CheckRate(c.rate, reason), vq::kStatusOk);
    const int length = head.Length(c.rate);
    Signal ears[2] = {Signal(static_cast<std::size_t>(length)), Signal(static_cast<std::size_t>(length))};
    head.Responses(c.azimuth, c.elevation, c.rate, ears[0].data(), ears[1].data());

    const std::array<double, 3> v = vqtest::Direction(c.azimuth, c.elevation);
    for (int ear = 0; ear < 2; ++ear) {
        SCOPED_TRACE(ear == 0 ? "left ear" : "right ear");
        const double side = ear == 0 ? 1.0 : -1.0;
        const Signal& h = ears[ear];
        EXPECT_NEAR(std::accumulate(h.begin(), h.end(), 0.0), 1.0, 1e-9);

        // Phase delay at 50 Hz: the low-frequency limit of the ear's delay.
        const double lowHz = 50.0;
        const double delay = -std::arg(vqtest::Dtft(h, lowHz, c.rate)) / (2.0 * kPi * lowHz);
        const double expected = vq::SphericalHeadHrirs::BulkDelay(c.rate) + WoodworthEarDelay(std::asin(side * v[1]));
        EXPECT_NEAR(delay, expected, 2e-6);

        const std::array<double, 3> earAxis = vqtest::Direction(side * 100.0, 0.0);
        const double angle = std::acos(v[0] * earAxis[0] + v[1] * earAxis[1] + v[2] * earAxis[2]);
        for (double hz : {500.0, 2000.0, 8000.0})
            EXPECT_NEAR(std::abs(vqtest::Dtft(h, hz, c.rate)), ShadowGain(angle, hz, c.rate), 2e-4) << hz << " Hz";

        // The response has decayed before it ends.
        double peak = 0.0;
        for (double x : h)
            peak = std::max(peak, std::fabs(x));
        EXPECT_LT(std::fabs(h.back()), 1e-8 * peak);
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, SphericalHeadEars,
                         testing::Values(DirectionCase{"Front", 0, 0, 48000}, DirectionCase{"Left", 90, 0, 48000},
                                         DirectionCase{"RightBehindAbove", -130, 30, 48000},
                                         DirectionCase{"Below", 20, -70, 48000},
                                         DirectionCase{"LeftAt44k1", 60, 10, 44100},
                                         DirectionCase{"RightAt96k", -75, -20, 96000}),
                         vqtest::CaseName());

TEST(SphericalHead, RefusesRatesItIsNotMadeFor)
{
    const vq::SphericalHeadHrirs head;
    std::string reason;
    EXPECT_EQ(head.CheckRate(4000, reason), vq::kHrtfRateUnusable);
    EXPECT_NE(reason.find("4000"), std::string::npos) << reason;
}

}  // namespace
