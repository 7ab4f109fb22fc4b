// The parametric headphone decoder through the built-in head, held to the head's closed forms:
// Woodworth's interaural delay and Brown & Duda's level difference for single sources, the
// coherence of a diffuse field, two sources in different bands at once, and the linear
// decode it falls back to and lines up with.
#include "binaural/BinauralDecoder.h"
#include "binaural/SofaFixture.h"
#include "binaural/SofaHrirs.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/SpatialProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

namespace {

using vqtest::Outputs;
using vqtest::Signal;
using vqtest::WXYZ;

using vqtest::kSettled;

constexpr int kRate = vqtest::kSpatialRate;
constexpr std::int64_t kFrames = vqtest::kHalfSecond;
constexpr double kDelayTolerance = 60e-6;  // seconds
constexpr double kLevelTolerance = 1.5;    // dB
const std::vector<std::int64_t> kBlocks = {4096, 1000, 333};

Outputs DecodeParametric(const WXYZ& input, int rate = kRate, const std::vector<std::int64_t>& blocks = kBlocks)
{
    vq::ParametricBinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    return vqtest::RunDecoder(decoder, input, rate, blocks);
}

Outputs DecodeLinear(const WXYZ& input)
{
    vq::BinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    return vqtest::RunDecoder(decoder, input, kRate, kBlocks);
}

struct SourceCase {
    std::string name;
    double azimuth;
    double elevation;
};

void PrintTo(const SourceCase& c, std::ostream* os)
{
    *os << c.name;
}

class SingleSource : public testing::TestWithParam<SourceCase> {};

TEST_P(SingleSource, GivesTheHeadsDelayAndLevelDifference)
{
    const SourceCase& c = GetParam();
    const Outputs ears = DecodeParametric(vqtest::PlaneWaveNoise(c.azimuth, c.elevation));
    const Signal left = vqtest::Tail(ears[0], kSettled), right = vqtest::Tail(ears[1], kSettled);

    const double delay = vqtest::InterauralDelay(vqtest::BandLimited(left, 0, 1500, kRate),
                                                 vqtest::BandLimited(right, 0, 1500, kRate), kRate);
    EXPECT_NEAR(delay, vqtest::WoodworthDelay(c.azimuth, c.elevation), kDelayTolerance);

    const double level = vqtest::Decibels(vqtest::BandEnergy(left, 2000, 16000, kRate) /
                                          vqtest::BandEnergy(right, 2000, 16000, kRate));
    EXPECT_NEAR(level, vqtest::HeadShadowLevelDifference(c.azimuth, c.elevation, 2000, 16000, kRate),
                kLevelTolerance);
    RecordProperty("delay_us", std::to_string(delay * 1e6));
    RecordProperty("level_db", std::to_string(level));
}

INSTANTIATE_TEST_SUITE_P(Directions, SingleSource,
                         testing::Values(SourceCase{"Front", 0, 0}, SourceCase{"Left30", 30, 0},
                                         SourceCase{"Right30", -30, 0}, SourceCase{"Left45", 45, 0},
                                         SourceCase{"Left90", 90, 0}, SourceCase{"BackLeft135", 135, 0},
                                         SourceCase{"Back", 180, 0}, SourceCase{"Raised60Up30", 60, 30}),
                         vqtest::CaseName());

TEST(ParametricBinaural, SourceInFrontGivesEqualEars)
{
    const Outputs ears = DecodeParametric(vqtest::PlaneWaveNoise(0, 0));
    for (double centre = 100.0; centre < 17000.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
        const double low = centre / std::pow(2.0, 1.0 / 6.0), high = centre * std::pow(2.0, 1.0 / 6.0);
        EXPECT_NEAR(vqtest::Decibels(vqtest::BandEnergy(ears[0], low, high, kRate) /
                                     vqtest::BandEnergy(ears[1], low, high, kRate)),
                    0.0, 0.1)
            << centre << " Hz";
    }
}

TEST(ParametricBinaural, DiffuseFieldStaysDiffuseAtTheLinearDecodesLevel)
{
    const WXYZ field = vqtest::DiffuseField(200, 48000, 100);
    const Outputs ears = DecodeParametric(field);
    const Outputs linear = DecodeLinear(field);
    const Signal left = vqtest::Tail(ears[0], kSettled), right = vqtest::Tail(ears[1], kSettled);

    struct Band {
        double low, high, limit;
    };
    for (const Band& band : {Band{500, 1000, 0.6}, Band{1000, 2000, 0.3}, Band{2000, 4000, 0.3},
                             Band{4000, 8000, 0.3}, Band{8000, 16000, 0.3}}) {
        const double coherence = vqtest::PeakCoherence(vqtest::BandLimited(left, band.low, band.high, kRate),
                                                       vqtest::BandLimited(right, band.low, band.high, kRate), kRate);
        EXPECT_LE(coherence, band.limit) << band.low << " to " << band.high << " Hz";
        RecordProperty("coherence_" + std::to_string(int(band.low)), std::to_string(coherence));
    }
    const double level = vqtest::Decibels(
        (vqtest::Energy(left) + vqtest::Energy(right)) /
        (vqtest::Energy(vqtest::Tail(linear[0], kSettled)) + vqtest::Energy(vqtest::Tail(linear[1], kSettled))));
    EXPECT_NEAR(level, 0.0, 1.0);
    RecordProperty("level_db", std::to_string(level));
}

TEST(ParametricBinaural, TwoSourcesInDifferentBandsKeepTheirOwnCues)
{
    // 300-700 Hz noise at +60 degrees and 2-4 kHz noise at -60 degrees, at once.
    WXYZ field = vqtest::Silence(kFrames);
    vqtest::AddPlaneWave(field, vqtest::BandLimited(vqtest::Noise(kFrames, 21), 300, 700, kRate), 60, 0);
    vqtest::AddPlaneWave(field, vqtest::BandLimited(vqtest::Noise(kFrames, 22), 2000, 4000, kRate), -60, 0);
    const Outputs ears = DecodeParametric(field);
    const Signal left = vqtest::Tail(ears[0], kSettled), right = vqtest::Tail(ears[1], kSettled);

    const double delay = vqtest::InterauralDelay(vqtest::BandLimited(left, 300, 700, kRate),
                                                 vqtest::BandLimited(right, 300, 700, kRate), kRate);
    EXPECT_NEAR(delay, vqtest::WoodworthDelay(60, 0), kDelayTolerance);
    const double level = vqtest::Decibels(vqtest::BandEnergy(left, 2000, 4000, kRate) /
                                          vqtest::BandEnergy(right, 2000, 4000, kRate));
    EXPECT_NEAR(level, vqtest::HeadShadowLevelDifference(-60, 0, 2000, 4000, kRate), kLevelTolerance);
}

TEST(ParametricBinaural, RendersWithTheMeasurementsOfASofaFile)
{
    // Measurements every 15 degrees around and at +-45 and +-90 degrees elevation, each a pure
    // delay with a gain; the one on the left (90 degrees) reaches the left ear 20 frames
    // earlier and twice as loud.
    vqtest::SofaContent content;
    for (double elevation : {-90.0, -45.0, 0.0, 45.0, 90.0})
        for (double azimuth = -180.0; azimuth < 180.0; azimuth += 15.0) {
            vqtest::SofaMeasurement m;
            m.azimuth = azimuth;
            m.elevation = elevation;
            m.delay[0] = m.delay[1] = 20;
            if (azimuth == 90.0 && elevation == 0.0) {
                m.delay[0] = 10;
                m.delay[1] = 30;
                m.gain[1] = 0.5;
            }
            content.measurements.push_back(m);
        }
    vqtest::TempDir dir;
    vqtest::WriteSofa(dir.File("heads.sofa"), content);
    auto hrirs = std::make_shared<vq::SofaHrirs>();
    ASSERT_EQ(hrirs->Load(dir.File("heads.sofa")), vq::kStatusOk) << hrirs->Reason();

    vq::ParametricBinauralDecoder decoder(hrirs);
    const Outputs ears = vqtest::RunDecoder(decoder, vqtest::PlaneWaveNoise(90, 0), kRate, kBlocks);
    const Signal left = vqtest::Tail(ears[0], kSettled), right = vqtest::Tail(ears[1], kSettled);
    EXPECT_NEAR(vqtest::InterauralDelay(left, right, kRate), 20.0 / kRate, 5e-6);
    EXPECT_NEAR(vqtest::Decibels(vqtest::Energy(left) / vqtest::Energy(right)), 20.0 * std::log10(2.0), 0.1);
}

TEST(ParametricBinaural, NearSilenceFallsBackToTheLinearDecodeLinedUpWithIt)
{
    // At -150 dB the estimate is not trusted: what comes out is the linear decode, frame for frame.
    WXYZ field = vqtest::Silence(kFrames);
    vqtest::AddPlaneWave(field, vqtest::Noise(kFrames, 5, 3e-8), 40, 10);
    const Outputs parametric = DecodeParametric(field);
    const Outputs linear = DecodeLinear(field);
    for (int ear = 0; ear < 2; ++ear) {
        const double peak = std::sqrt(vqtest::Energy(linear[ear]) / kFrames);
        EXPECT_LT(vqtest::MaxAbsDifference(parametric[ear], linear[ear]), 1e-3 * peak) << "ear " << ear;
    }
}

TEST(ParametricBinaural, SameOutputBitForBitWhateverTheBlocksAndOnEveryPass)
{
    const WXYZ input = vqtest::NoiseWXYZ(30000, 9);
    vq::ParametricBinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    const Outputs whole = vqtest::RunDecoder(decoder, input, kRate, {30000});
    // The same decoder again (Prepare starts a new pass), and a fresh one.
    const Outputs again = vqtest::RunDecoder(decoder, input, kRate, {1, 511, 2048});
    EXPECT_EQ(again, whole);
    EXPECT_EQ(DecodeParametric(input, kRate, {16384}), whole);
}

TEST(ParametricBinaural, LagsByOneFrame)
{
    vq::ParametricBinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    ASSERT_EQ(decoder.Prepare(kRate, 4096), vq::kStatusOk) << decoder.Reason();
    EXPECT_EQ(decoder.FrameLength(), 1024);
    EXPECT_EQ(decoder.LatencyFrames(), 1024);
}

TEST(ParametricBinaural, RefusesRatesOutsideItsRangeWithAReason)
{
    vq::ParametricBinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    EXPECT_EQ(decoder.Prepare(2000, 1024), vq::kHrtfRateUnusable);
    EXPECT_NE(decoder.Reason().find("2000"), std::string::npos) << decoder.Reason();
    // Refused, it decodes to silence.
    const WXYZ input = vqtest::NoiseWXYZ(100, 1);
    Signal left(100, 1.0), right(100, 1.0);
    const double* in[4] = {input[0].data(), input[1].data(), input[2].data(), input[3].data()};
    double* out[2] = {left.data(), right.data()};
    decoder.Decode(in, out, 100);
    EXPECT_EQ(left, Signal(100, 0.0));
    EXPECT_EQ(right, Signal(100, 0.0));
    EXPECT_EQ(decoder.Prepare(kRate, 1024), vq::kStatusOk);
    EXPECT_TRUE(decoder.Reason().empty());
}

}  // namespace
