// The rumble high-pass: its response measured with long sines in steady state against the
// analogue fourth-order Butterworth, its memory across blocks and channels, its tail and
// the arguments it refuses.
#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "support/TestAudio.h"

#include <cmath>
#include <limits>

using namespace vqtest;

namespace {

constexpr double kPi = 3.141592653589793;

// The analogue fourth-order Butterworth high-pass: |H|^2 = 1 / (1 + (fc/f)^8), in dB.
double AnalogueButterworthDb(double frequency, double corner)
{
    return -10.0 * std::log10(1.0 + std::pow(corner / frequency, 8));
}

// Runs every channel through a fresh filter in one block.
std::vector<Signal> Filtered(std::vector<Signal> channels, double corner, int rate)
{
    vq::HighPassFilter filter;
    EXPECT_EQ(filter.Configure(corner, rate, static_cast<int>(channels.size())), vq::kStatusOk);
    std::vector<double*> pointers;
    for (Signal& c : channels)
        pointers.push_back(c.data());
    filter.Process(pointers.data(), static_cast<std::int64_t>(channels[0].size()));
    return channels;
}

struct ResponseCase {
    std::string name;
    double corner;
    int rate;
};

class HighPassResponse : public testing::TestWithParam<ResponseCase> {};

TEST_P(HighPassResponse, MatchesTheAnalogueButterworthWithinATenthOfADb)
{
    const auto& [name, corner, rate] = GetParam();
    // The slowest pole decays as exp(-2 pi 10 Hz cos(67.5 deg) t): after a second the
    // switch-on transient is below 1e-10, so the last two seconds are the steady state.
    const std::int64_t frames = 3 * rate;
    const std::size_t settled = static_cast<std::size_t>(rate);
    std::vector<double> frequencies;
    for (double ratio : {0.18, 0.25, 0.4, 0.6, 0.8, 1.0, 1.25, 1.6, 2.0, 4.0})
        frequencies.push_back(ratio * corner);
    for (double f : {1000.0, 5000.0, 15000.0})
        frequencies.push_back(f);
    for (double frequency : frequencies) {
        SCOPED_TRACE(testing::Message() << frequency << " Hz");
        const double expected = AnalogueButterworthDb(frequency, corner);
        ASSERT_GT(expected, -60.0);
        Signal sine(static_cast<std::size_t>(frames));
        for (std::size_t n = 0; n < sine.size(); ++n)
            sine[n] = std::sin(2 * kPi * frequency * n / rate);
        const Signal out = Filtered({sine}, corner, rate)[0];
        const double db = 20.0 * std::log10(FittedAmplitude(out, settled, frequency / rate));
        EXPECT_NEAR(db, expected, 0.1);
        if (frequency == corner) {
            // Pre-warping puts it there exactly; without, it would be 2e-4 dB off at 80 Hz.
            EXPECT_NEAR(db, 10.0 * std::log10(0.5), 1e-5) << "the corner lies at -3 dB";
        }
        if (frequency == corner / 4) {
            EXPECT_NEAR(db, -48.16, 0.1) << "two octaves below: 48 dB less";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, HighPassResponse,
    testing::Values(ResponseCase{"At10HzFor44100", 10.0, 44100}, ResponseCase{"At10HzFor48000", 10.0, 48000},
                    ResponseCase{"At80HzFor44100", 80.0, 44100}, ResponseCase{"At80HzFor48000", 80.0, 48000},
                    ResponseCase{"At200HzFor44100", 200.0, 44100}, ResponseCase{"At200HzFor48000", 200.0, 48000}),
    CaseName());

TEST(HighPass, UnevenBlocksGiveTheOutputOfOneBlock)
{
    const std::int64_t frames = 20000;
    std::vector<Signal> input;
    for (unsigned c = 0; c < 4; ++c)
        input.push_back(Noise(frames, 40 + c));
    const std::vector<Signal> whole = Filtered(input, 30.0, 48000);

    vq::HighPassFilter filter;
    ASSERT_EQ(filter.Configure(30.0, 48000, 4), vq::kStatusOk);
    std::vector<Signal> pieces = input;
    std::int64_t done = 0;
    for (std::int64_t length : {1, 7, 0, 2, 513, 4096, 3, 10000}) {
        double* const at[] = {pieces[0].data() + done, pieces[1].data() + done, pieces[2].data() + done,
                              pieces[3].data() + done};
        filter.Process(at, length);
        done += length;
    }
    double* const rest[] = {pieces[0].data() + done, pieces[1].data() + done, pieces[2].data() + done,
                            pieces[3].data() + done};
    filter.Process(rest, frames - done);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(pieces[c], whole[c]) << "channel " << c;
}

TEST(HighPass, ChannelsAreFilteredIndependently)
{
    std::vector<Signal> input = {Noise(5000, 50), Signal(5000, 0.0), Noise(5000, 51, 0.01), Noise(5000, 52)};
    input[3][100] = 1.0;
    const std::vector<Signal> together = Filtered(input, 120.0, 44100);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(together[c], Filtered({input[c]}, 120.0, 44100)[0]) << "channel " << c;
}

TEST(HighPass, ResetForgetsThePreviousSignal)
{
    const Signal input = Noise(3000, 60);
    vq::HighPassFilter filter;
    ASSERT_EQ(filter.Configure(50.0, 48000, 1), vq::kStatusOk);
    Signal first = input, second = input;
    double* const a[] = {first.data()};
    filter.Process(a, 3000);
    filter.Reset();
    double* const b[] = {second.data()};
    filter.Process(b, 3000);
    EXPECT_EQ(first, second);
}

TEST(HighPass, AConstantDiesAwayToExactZerosWithoutDenormals)
{
    const Signal out = Filtered({Signal(100000, 0.5)}, 200.0, 48000)[0];
    for (double y : out)
        ASSERT_NE(std::fpclassify(y), FP_SUBNORMAL);
    for (std::size_t n = out.size() - 1000; n < out.size(); ++n)
        ASSERT_EQ(out[n], 0.0) << n;
}

TEST(HighPass, RefusesArgumentsOutOfRange)
{
    struct Arguments {
        double corner;
        int rate;
        int channels;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Arguments& a : std::vector<Arguments>{{9.99, 48000, 4},
                                                     {200.01, 48000, 4},
                                                     {0.0, 48000, 4},
                                                     {-80.0, 48000, 4},
                                                     {nan, 48000, 4},
                                                     {80.0, 0, 4},
                                                     {80.0, -48000, 4},
                                                     {200.0, 444, 4},  // above 0.45 times the rate
                                                     {80.0, 48000, 0},
                                                     {80.0, 48000, -1}}) {
        vq::HighPassFilter filter;
        ASSERT_EQ(filter.Configure(80.0, 48000, 2), vq::kStatusOk);
        EXPECT_EQ(filter.Configure(a.corner, a.rate, a.channels), vq::kBadParameter)
            << a.corner << " Hz at " << a.rate << " Hz, " << a.channels << " channels";
        EXPECT_EQ(filter.CornerHz(), 80.0) << "a refused setting changes nothing";
        EXPECT_EQ(filter.Channels(), 2);
    }
    vq::HighPassFilter filter;
    EXPECT_EQ(filter.Configure(vq::HighPassFilter::kMinCornerHz, 48000, 4), vq::kStatusOk);
    EXPECT_EQ(filter.Configure(vq::HighPassFilter::kMaxCornerHz, 48000, 4), vq::kStatusOk);
    EXPECT_EQ(filter.Configure(200.0, 445, 1), vq::kStatusOk);
}

}  // namespace
