// The quantiser to integer samples: its error against the exact value (plain rounding and
// with TPDF dither), saturation and the count of samples beyond full scale, and files
// written with sf_writef_int that hold exactly the quantised integers.
#include "common/EngineStatus.h"
#include "common/SampleQuantizer.h"
#include "support/TestAudio.h"

#include <cmath>
#include <cstdint>
#include <limits>

using namespace vqtest;

namespace {

// Quantises `in` with a quantiser set to `bits` and `dither`.
std::vector<int> Quantized(const Signal& in, int bits, bool dither = false, std::uint64_t seed = 7)
{
    vq::SampleQuantizer quantizer;
    EXPECT_EQ(quantizer.Configure(bits, dither, seed), vq::kStatusOk);
    std::vector<int> out(in.size());
    quantizer.Quantize(in.data(), out.data(), static_cast<std::int64_t>(in.size()));
    return out;
}

// The integer sample a left-justified value stands for.
std::int64_t SampleValue(int leftJustified, int bits)
{
    return static_cast<std::int64_t>(leftJustified) / (std::int64_t{1} << (32 - bits));
}

// Mean and variance of the errors (output - exact input) in LSB.
struct ErrorStatistics {
    double mean = 0.0;
    double variance = 0.0;
    double largest = 0.0;  // of the magnitudes
};

ErrorStatistics Errors(const Signal& exact, const Signal& output, int bits)
{
    const double lsb = std::ldexp(1.0, 1 - bits);
    ErrorStatistics e;
    for (std::size_t i = 0; i < exact.size(); ++i) {
        const double error = (output[i] - exact[i]) / lsb;
        e.mean += error;
        e.variance += error * error;
        e.largest = std::max(e.largest, std::fabs(error));
    }
    e.mean /= exact.size();
    e.variance = e.variance / exact.size() - e.mean * e.mean;
    return e;
}

// The full-scale-normalised value of left-justified samples, as libsndfile reads them.
Signal Normalised(const std::vector<int>& samples)
{
    Signal s;
    for (int v : samples)
        s.push_back(v / 2147483648.0);
    return s;
}

TEST(Quantizer, RoundingErrorIsAtMostHalfAnLsbAndUnbiased)
{
    const Signal in = Noise(100000, 70, 0.99);
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        const std::vector<int> out = Quantized(in, bits);
        for (int v : out)
            ASSERT_EQ(SampleValue(v, bits) * (std::int64_t{1} << (32 - bits)), v) << "the low bits are zero";
        const ErrorStatistics e = Errors(in, Normalised(out), bits);
        EXPECT_NEAR(e.mean, 0.0, 0.01);
        EXPECT_LE(e.largest, 0.5);
        EXPECT_NEAR(e.variance, 1.0 / 12, 0.005);
    }
}

TEST(Quantizer, SixteenBitFileReadBackAsDoubleIsWithinHalfAnLsb)
{
    const Signal in = Noise(100000, 71, 0.99);
    const std::vector<int> out = Quantized(in, 16);
    TempDir dir;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(dir.File("q.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(sf_writef_int(file, out.data(), static_cast<sf_count_t>(out.size())),
              static_cast<sf_count_t>(out.size()));
    sf_close(file);
    const Audio read = ReadAudio(dir.File("q.wav"));
    ASSERT_EQ(read.samples.size(), in.size());
    const ErrorStatistics e = Errors(in, read.samples, 16);
    EXPECT_NEAR(e.mean, 0.0, 0.01);
    EXPECT_LE(e.largest, 0.5);
}

TEST(Quantizer, TiesRoundToEven)
{
    const double lsb = 1.0 / 32768;
    const Signal in = {0.5 * lsb, -0.5 * lsb, 1.5 * lsb, 2.5 * lsb, -2.5 * lsb, 0.49 * lsb, -0.51 * lsb};
    std::vector<std::int64_t> values;
    for (int v : Quantized(in, 16))
        values.push_back(SampleValue(v, 16));
    EXPECT_EQ(values, (std::vector<std::int64_t>{0, 0, 2, 2, -2, 0, -1}));
}

// With TPDF dither the error's mean and variance (1/12 LSB^2 of rounding plus 1/6 of the
// dither) do not depend on the signal: checked at constant offsets within an LSB and on
// noise. With 200000 samples the tolerances are over five standard deviations.
TEST(Quantizer, DitheredErrorHasMeanZeroAndAQuarterLsbSquaredOfVariance)
{
    const std::size_t count = 200000;
    const double lsb = 1.0 / 32768;
    std::vector<Signal> signals;
    for (double offset : {0.0, 0.25, 0.5, 0.75})
        signals.push_back(Signal(count, (1000.0 + offset) * lsb));
    signals.push_back(Noise(count, 72, 0.9));
    for (const Signal& in : signals) {
        SCOPED_TRACE(testing::Message() << "input starting " << in[0] / lsb << " LSB");
        const ErrorStatistics e = Errors(in, Normalised(Quantized(in, 16, true)), 16);
        EXPECT_NEAR(e.mean, 0.0, 0.01);
        EXPECT_NEAR(e.variance, 1.0 / 12 + 1.0 / 6, 0.01);
        EXPECT_LT(e.largest, 1.5);
    }
}

// Zero plus a triangular dither in [-1, 1) rounds to +-1 when |d| >= 0.5, with probability
// 1/8 each; successive dither values are uncorrelated.
TEST(Quantizer, DitherIsTriangularAndWhite)
{
    const std::size_t count = 400000;
    const std::vector<int> out = Quantized(Signal(count, 0.0), 16, true);
    std::int64_t plus = 0, minus = 0, lagProduct = 0, squares = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t v = SampleValue(out[i], 16);
        ASSERT_LE(std::abs(v), 1);
        plus += v == 1;
        minus += v == -1;
        squares += v * v;
        if (i > 0)
            lagProduct += v * SampleValue(out[i - 1], 16);
    }
    // Binomial standard deviation sqrt(n p (1 - p)) is 209 for p = 1/8.
    EXPECT_NEAR(plus, count / 8.0, 1200);
    EXPECT_NEAR(minus, count / 8.0, 1200);
    EXPECT_NEAR(static_cast<double>(lagProduct) / squares, 0.0, 0.01);
}

TEST(Quantizer, TheSameSeedGivesTheSameSamplesAcrossCalls)
{
    const Signal in = Noise(10000, 73, 0.8);
    const std::vector<int> once = Quantized(in, 24, true, 1234);
    vq::SampleQuantizer quantizer;
    ASSERT_EQ(quantizer.Configure(24, true, 1234), vq::kStatusOk);
    std::vector<int> pieces(in.size());
    quantizer.Quantize(in.data(), pieces.data(), 3);
    quantizer.Quantize(in.data() + 3, pieces.data() + 3, 4000);
    quantizer.Quantize(in.data() + 4003, pieces.data() + 4003, 10000 - 4003);
    EXPECT_EQ(pieces, once);
    EXPECT_NE(Quantized(in, 24, true, 1235), once) << "another seed, other dither";
    // Configure restarts the generator.
    ASSERT_EQ(quantizer.Configure(24, true, 1234), vq::kStatusOk);
    quantizer.Quantize(in.data(), pieces.data(), 10000);
    EXPECT_EQ(pieces, once);
}

TEST(Quantizer, SaturatesAndCountsWhatLiesBeyondFullScale)
{
    const double inf = std::numeric_limits<double>::infinity();
    const Signal in = {1.5, -1.5, 1.0, -1.0, 1.0000001, -1.0000001, inf, -inf, 0.25, std::nan("")};
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        const std::int64_t top = (std::int64_t{1} << (bits - 1)) - 1, bottom = -(top + 1);
        const std::int64_t quarter = std::int64_t{1} << (bits - 3);
        for (bool dither : {false, true}) {
            vq::SampleQuantizer quantizer;
            ASSERT_EQ(quantizer.Configure(bits, dither), vq::kStatusOk);
            std::vector<int> out(in.size());
            EXPECT_EQ(quantizer.Quantize(in.data(), out.data(), static_cast<std::int64_t>(in.size())), 6)
                << "+-1.5, +-1.0000001 and the infinities, not +-1.0 nor NaN";
            std::vector<std::int64_t> values;
            for (int v : out)
                values.push_back(SampleValue(v, bits));
            EXPECT_EQ(values[0], top);
            EXPECT_EQ(values[1], bottom);
            EXPECT_EQ(values[4], top);
            EXPECT_EQ(values[5], bottom);
            EXPECT_EQ(values[6], top);
            EXPECT_EQ(values[7], bottom);
            EXPECT_EQ(values[9], 0) << "NaN becomes silence";
            if (!dither) {
                EXPECT_EQ(values[2], top) << "+1.0 itself saturates";
                EXPECT_EQ(values[3], bottom) << "-1.0 is exact";
                EXPECT_EQ(values[8], quarter);
            }
        }
    }
}

TEST(Quantizer, RefusesOtherWordLengths)
{
    vq::SampleQuantizer quantizer;
    ASSERT_EQ(quantizer.Configure(24, true), vq::kStatusOk);
    for (int bits : {0, 1, 12, 20, 31, 64, -16})
        EXPECT_EQ(quantizer.Configure(bits, false), vq::kBadParameter) << bits;
    EXPECT_EQ(quantizer.Bits(), 24);
    EXPECT_TRUE(quantizer.Dither());
}

struct FileCase {
    std::string name;
    int format;
    int bits;
};

class QuantizedFile : public testing::TestWithParam<FileCase> {};

// sf_writef_int keeps the top bits of each int: the file holds the quantised integers,
// and sf_readf_int gives them back exactly.
TEST_P(QuantizedFile, HoldsExactlyTheQuantisedIntegers)
{
    const auto& [name, format, bits] = GetParam();
    Signal in = Noise(2 * 30000, 74, 1.2);  // some samples beyond full scale, to saturate
    in[0] = 1.0;
    in[1] = -1.0;
    const std::vector<int> written = Quantized(in, bits, true);

    TempDir dir;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = format;
    ASSERT_TRUE(sf_format_check(&info));
    SNDFILE* file = sf_open(dir.File("q").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_int(file, written.data(), 30000), 30000);
    sf_close(file);

    SF_INFO readInfo{};
    file = sf_open(dir.File("q").c_str(), SFM_READ, &readInfo);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(readInfo.format, format);
    std::vector<int> read(written.size());
    EXPECT_EQ(sf_readf_int(file, read.data(), 30000), 30000);
    sf_close(file);
    EXPECT_EQ(read, written);
}

INSTANTIATE_TEST_SUITE_P(Formats, QuantizedFile,
                         testing::Values(FileCase{"WavPcm8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8},
                                         FileCase{"WavPcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16},
                                         FileCase{"WavPcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 24},
                                         FileCase{"WavPcm32", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 32},
                                         FileCase{"Flac16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16},
                                         FileCase{"Flac24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 24},
                                         FileCase{"Aiff16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 16},
                                         FileCase{"Aiff24", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 24},
                                         FileCase{"Caf24", SF_FORMAT_CAF | SF_FORMAT_PCM_24, 24},
                                         FileCase{"W64Pcm16", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 16}),
                         CaseName());

}  // namespace
