// The UHJ encoder against an independent encoding of the whole signal at once, in which
// j is computed exactly by FFT (zero the negative frequencies, double the positive ones:
// the imaginary part of the result is the Hilbert transform, and j is minus it); against
// single sines, whose encoding is a closed form; and its phase shifter's response.
#include "decoders/DecoderHarness.h"

#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "surround/UhjEncoder.h"
#include "surround/WidebandPhaseShifter.h"

#include <fftw3.h>

#include <cmath>
#include <complex>
#include <mutex>
#include <random>

using namespace vqtest;

namespace {

constexpr int kL = vq::UhjEncoder::kLeft;
constexpr int kR = vq::UhjEncoder::kRight;

using Spectrum = std::vector<std::complex<double>>;

// The discrete Fourier transform of `in` (inverse: unnormalised, sign +).
Spectrum Dft(const Spectrum& in, bool inverse)
{
    Spectrum out(in.size());
    fftw_plan plan;
    {
        std::lock_guard<std::mutex> lock(vq::FftwPlannerMutex());
        plan = fftw_plan_dft_1d(
            static_cast<int>(in.size()), reinterpret_cast<fftw_complex*>(const_cast<std::complex<double>*>(in.data())),
            reinterpret_cast<fftw_complex*>(out.data()), inverse ? FFTW_BACKWARD : FFTW_FORWARD, FFTW_ESTIMATE);
    }
    EXPECT_NE(plan, nullptr);
    fftw_execute(plan);
    {
        std::lock_guard<std::mutex> lock(vq::FftwPlannerMutex());
        fftw_destroy_plan(plan);
    }
    return out;
}

// j applied to one period of a periodic signal: a +90 degree shift at every frequency.
Signal ExactQuarterTurn(const Signal& x)
{
    const std::size_t n = x.size();
    const Spectrum spectrum = Dft(Spectrum(x.begin(), x.end()), false);
    Spectrum analytic(n);
    analytic[0] = spectrum[0];
    analytic[n / 2] = spectrum[n / 2];
    for (std::size_t k = 1; k < n / 2; ++k)
        analytic[k] = 2.0 * spectrum[k];
    const Spectrum a = Dft(analytic, true);
    Signal shifted(n);
    for (std::size_t i = 0; i < n; ++i)
        shifted[i] = -a[i].imag() / double(n);
    return shifted;
}

// One period of noise whose spectrum fills `low` to `high` Hz evenly, with random phases;
// RMS about 0.1.
Signal BandNoise(std::size_t n, int rate, double low, double high, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * kPi);
    Spectrum spectrum(n);
    std::size_t bins = 0;
    for (std::size_t k = 1; k < n / 2; ++k) {
        const double f = double(k) * rate / double(n);
        if (f >= low && f <= high) {
            spectrum[k] = std::polar(1.0, phase(generator));
            spectrum[n - k] = std::conj(spectrum[k]);
            ++bins;
        }
    }
    const Spectrum t = Dft(spectrum, true);
    Signal x(n);
    const double scale = 0.1 / std::sqrt(2.0 * double(bins));
    for (std::size_t i = 0; i < n; ++i)
        x[i] = t[i].real() * scale;
    return x;
}

// Gerzon's equations with the exact j.
Outputs ReferenceUhj(const WXYZ& in)
{
    const std::size_t n = in[0].size();
    Signal toShift(n);
    for (std::size_t i = 0; i < n; ++i)
        toShift[i] = -0.3420201 * in[0][i] + 0.5098604 * in[1][i];
    const Signal shifted = ExactQuarterTurn(toShift);
    Outputs out(2, Signal(n));
    for (std::size_t i = 0; i < n; ++i) {
        const double s = 0.9396926 * in[0][i] + 0.1855740 * in[1][i];
        const double d = shifted[i] + 0.6554516 * in[2][i];
        out[kL][i] = 0.5 * (s + d);
        out[kR][i] = 0.5 * (s - d);
    }
    return out;
}

// Error energy over signal energy in dB, over frames [from, to).
double ErrorDb(const Signal& actual, const Signal& expected, std::size_t from, std::size_t to)
{
    double error = 0.0, signal = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        error += (actual[i] - expected[i]) * (actual[i] - expected[i]);
        signal += expected[i] * expected[i];
    }
    return 10.0 * std::log10(error / signal);
}

// Uneven block lengths, a single frame among them.
const std::vector<std::int64_t> kUnevenBlocks = {4097, 1, 30000, 17, 65536, 12345, 999};

class UhjAgainstExactShift : public testing::TestWithParam<int> {};

TEST_P(UhjAgainstExactShift, WithinMinus60Db)
{
    const int rate = GetParam();
    const std::size_t n = std::size_t(1) << 18;  // 5.5 s at 48 kHz
    const WXYZ input = {BandNoise(n, rate, 60.0, 15000.0, 1), BandNoise(n, rate, 60.0, 15000.0, 2),
                        BandNoise(n, rate, 60.0, 15000.0, 3), BandNoise(n, rate, 60.0, 15000.0, 4)};
    vq::UhjEncoder encoder;
    const Outputs actual = RunDecoder(encoder, input, rate, kUnevenBlocks);
    EXPECT_EQ(encoder.OutputChannels(), 2);
    EXPECT_EQ(encoder.LatencyFrames(), std::llround(0.1 * rate));
    const Outputs expected = ReferenceUhj(input);
    // The file's ends differ: the encoder meets silence beyond them, the reference the
    // periodic continuation. The filter reaches a latency either way.
    const std::size_t margin = static_cast<std::size_t>(2 * encoder.LatencyFrames());
    for (int c : {kL, kR}) {
        const double db = ErrorDb(actual[c], expected[c], margin, n - margin);
        EXPECT_LT(db, -60.0) << (c == kL ? "L" : "R");
        RecordProperty(c == kL ? "errorDbL" : "errorDbR", testing::PrintToString(db));
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, UhjAgainstExactShift, testing::Values(44100, 48000));

TEST(UhjEncoder, BlockCuttingChangesNothing)
{
    const WXYZ input = NoiseWXYZ(100000, 21);
    vq::UhjEncoder encoder;
    const Outputs whole = RunDecoder(encoder, input, 48000, {100000});
    const std::vector<std::int64_t> cuttings[] = {kUnevenBlocks, {1, 2, 3, 4093}, {16384}, {16385, 7}};
    for (const std::vector<std::int64_t>& blocks : cuttings) {
        const Outputs cut = RunDecoder(encoder, input, 48000, blocks);
        for (int c : {kL, kR})
            EXPECT_LT(MaxAbsDifference(cut[c], whole[c]), 1e-12) << "blocks of " << blocks[0] << ", ...";
    }
}

TEST(UhjEncoder, PrepareClearsTheFilterMemory)
{
    const WXYZ input = NoiseWXYZ(20000, 8);
    vq::UhjEncoder encoder;
    const Outputs first = RunDecoder(encoder, input, 48000, {5000});
    // Left over from an interrupted pass: half a file, then a new pass from the start.
    const double* in[4] = {input[0].data(), input[1].data(), input[2].data(), input[3].data()};
    Signal l(10000), r(10000);
    double* out[2] = {l.data(), r.data()};
    encoder.Decode(in, out, 10000);
    const Outputs second = RunDecoder(encoder, input, 48000, {5000});
    EXPECT_EQ(second[kL], first[kL]);
    EXPECT_EQ(second[kR], first[kR]);
}

// A sine of amplitude 1 in one channel, and what Gerzon's equations make of it, with
// j cos = -sin: L = lc cos + ls sin, R = rc cos + rs sin.
struct SineCase {
    const char* name;
    int channel;  // 0 W, 1 X, 2 Y
    double frequency;
    double lc, ls, rc, rs;
};

void PrintTo(const SineCase& c, std::ostream* os)
{
    *os << c.name;
}

class UhjSine : public testing::TestWithParam<SineCase> {};

TEST_P(UhjSine, FollowsTheEncodingEquations)
{
    const SineCase& c = GetParam();
    const int rate = 48000;
    const std::int64_t frames = 4 * rate;
    WXYZ input;
    for (Signal& s : input)
        s.assign(static_cast<std::size_t>(frames), 0.0);
    for (std::int64_t i = 0; i < frames; ++i)
        input[c.channel][i] = std::cos(2.0 * kPi * c.frequency * double(i) / rate);
    vq::UhjEncoder encoder;
    const Outputs out = RunDecoder(encoder, input, rate, {8192});
    const std::int64_t margin = 2 * encoder.LatencyFrames();
    double worst = 0.0;
    for (std::int64_t i = margin; i < frames - margin; ++i) {
        const double phase = 2.0 * kPi * c.frequency * double(i) / rate;
        worst = std::max(worst, std::fabs(out[kL][i] - (c.lc * std::cos(phase) + c.ls * std::sin(phase))));
        worst = std::max(worst, std::fabs(out[kR][i] - (c.rc * std::cos(phase) + c.rs * std::sin(phase))));
    }
    EXPECT_LT(worst, 2e-4);
}

// W: S = 0.9396926 cos, D = j(-0.3420201 cos) = 0.3420201 sin.
// X: S = 0.1855740 cos, D = j(0.5098604 cos) = -0.5098604 sin.
// Y: S = 0, D = 0.6554516 cos.
INSTANTIATE_TEST_SUITE_P(Channels, UhjSine,
                         testing::Values(SineCase{"W1kHz", 0, 1000.0, 0.4698463, 0.17101005, 0.4698463, -0.17101005},
                                         SineCase{"X1kHz", 1, 1000.0, 0.092787, -0.2549302, 0.092787, 0.2549302},
                                         SineCase{"Y1kHz", 2, 1000.0, 0.3277258, 0.0, -0.3277258, 0.0},
                                         SineCase{"X25Hz", 1, 25.0, 0.092787, -0.2549302, 0.092787, 0.2549302},
                                         SineCase{"W20Hz", 0, 20.0, 0.4698463, 0.17101005, 0.4698463, -0.17101005},
                                         SineCase{"X15kHz", 1, 15000.0, 0.092787, -0.2549302, 0.092787, 0.2549302}),
                         CaseName());

TEST(WidebandPhaseShifter, QuarterTurnAtEveryFrequencyFrom20Hz)
{
    for (int rate : {44100, 48000, 96000}) {
        const std::vector<double> taps = vq::WidebandPhaseShifter::DesignTaps(rate);
        const std::int64_t m = vq::WidebandPhaseShifter::HalfLength(rate);
        ASSERT_EQ(taps.size(), static_cast<std::size_t>(2 * m + 1));
        // Antisymmetric about the middle tap: after the delay, the response is imaginary.
        for (std::int64_t k = 0; k <= m; ++k)
            ASSERT_EQ(taps[m + k], -taps[m - k]) << k;
        for (double f : {20.0, 30.0, 60.0, 1000.0, 10000.0, rate / 2.0 - 20.0}) {
            // H(f) e^{2 pi i f m / rate} = sum taps[m + k] e^{-2 pi i f k / rate}, must be +i.
            std::complex<double> h = 0.0;
            for (std::int64_t k = -m; k <= m; ++k)
                h += taps[m + k] * std::polar(1.0, -2.0 * kPi * f * double(k) / rate);
            EXPECT_NEAR(h.real(), 0.0, 1e-9) << f << " Hz at " << rate;
            EXPECT_NEAR(h.imag(), 1.0, 1.5e-4) << f << " Hz at " << rate;
        }
    }
}

TEST(UhjEncoder, RefusesRatesAndBlockLengthsOutOfRange)
{
    vq::UhjEncoder encoder;
    EXPECT_EQ(encoder.Prepare(0, 1024), vq::kBadParameter);
    EXPECT_EQ(encoder.Prepare(48000, -1), vq::kBadParameter);
    EXPECT_EQ(encoder.Prepare(16729216, 1024), vq::kBadParameter) << "a header's absurd rate, refused at once";
    EXPECT_EQ(encoder.Prepare(vq::UhjEncoder::kMaxSampleRate, 1024), 0);
    EXPECT_EQ(encoder.Prepare(48000, 0), 0);
    EXPECT_EQ(encoder.Prepare(8000, 1), 0);
    EXPECT_EQ(encoder.LatencyFrames(), 800);
}

}  // namespace
