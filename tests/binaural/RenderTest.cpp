// Plane waves encoded as B-format and rendered through the built-in head model: what a
// listener needs to hear a direction (the interaural delay and level difference, a centred
// front source, front and back told apart), and a result independent of the block lengths.
#include "binaural/BinauralDecoder.h"
#include "binaural/BinauralProbe.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using vqtest::Decibels;
using vqtest::kPi;
using vqtest::Signal;

constexpr int kRate = 48000;
constexpr std::int64_t kFrames = 4096;
constexpr double kWoodworth90 = 0.0875 / 343.0 * (kPi / 2.0 + 1.0);  // 655.8 microseconds

class HeadModelRender : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_decoder.Prepare(kRate, kFrames), vq::kStatusOk) << m_decoder.Reason(); }

    std::array<Signal, 2> Render(double azimuth, double elevation)
    {
        return vqtest::DecodeInBlocks(m_decoder, vqtest::PlaneWaveImpulse(azimuth, elevation, kFrames));
    }

    vq::BinauralDecoder m_decoder{std::make_shared<vq::SphericalHeadHrirs>()};
};

TEST_F(HeadModelRender, SourceOnTheLeftReachesTheLeftEarFirstByWoodworthsDelay)
{
    const std::array<Signal, 2> ears = Render(90, 0);
    // The interaural phase delay at low frequencies (right ear minus left ear).
    for (double hz : {50.0, 100.0, 150.0}) {
        const double delay =
            std::arg(vqtest::Dtft(ears[0], hz, kRate) / vqtest::Dtft(ears[1], hz, kRate)) / (2.0 * kPi * hz);
        EXPECT_NEAR(delay, kWoodworth90, 50e-6) << hz << " Hz";
    }
}

TEST_F(HeadModelRender, SourceOnTheLeftIsLouderInTheLeftEarAbove2kHz)
{
    const std::array<Signal, 2> ears = Render(90, 0);
    const double left = vqtest::BandEnergy(ears[0], 2000, 20000, kRate);
    const double right = vqtest::BandEnergy(ears[1], 2000, 20000, kRate);
    EXPECT_GE(Decibels(left / right), 6.0);
}

TEST_F(HeadModelRender, SourceInFrontGivesEqualEars)
{
    const std::array<Signal, 2> ears = Render(0, 0);
    // Third-octave bands from 100 Hz to 16 kHz.
    for (double centre = 100.0; centre < 17000.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
        const double low = centre / std::pow(2.0, 1.0 / 6.0);
        const double high = centre * std::pow(2.0, 1.0 / 6.0);
        const double left = vqtest::BandEnergy(ears[0], low, high, kRate, 30);
        const double right = vqtest::BandEnergy(ears[1], low, high, kRate, 30);
        EXPECT_NEAR(Decibels(left / right), 0.0, 0.5) << centre << " Hz";
    }
}

TEST_F(HeadModelRender, SourceBehindSoundsDifferentFromTheMirroredOneInFront)
{
    // The ear entrances sit behind the interaural axis, so the head shadows a source in front
    // more than its mirror image behind: the back one is brighter at high frequencies.
    const std::array<Signal, 2> front = Render(0, 0);
    const std::array<Signal, 2> back = Render(180, 0);
    for (int ear = 0; ear < 2; ++ear) {
        const double frontEnergy = vqtest::BandEnergy(front[static_cast<std::size_t>(ear)], 3000, 12000, kRate);
        const double backEnergy = vqtest::BandEnergy(back[static_cast<std::size_t>(ear)], 3000, 12000, kRate);
        EXPECT_GE(Decibels(backEnergy / frontEnergy), 1.0) << "ear " << ear;
    }
}

TEST(BinauralDecoder, OutputDoesNotDependOnBlockLengths)
{
    vq::BinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    const std::array<Signal, 4> input = vqtest::NoiseBFormat(12000, 7);
    ASSERT_EQ(decoder.Prepare(kRate, 12000), vq::kStatusOk);
    const std::array<Signal, 2> whole = vqtest::DecodeInBlocks(decoder, input);
    for (const std::vector<std::int64_t>& blocks : {std::vector<std::int64_t>{1}, {37}, {4096}, {1, 5000, 3, 2047}}) {
        ASSERT_EQ(decoder.Prepare(kRate, 10000), vq::kStatusOk);
        const std::array<Signal, 2> pieces = vqtest::DecodeInBlocks(decoder, input, blocks);
        EXPECT_LT(vqtest::MaxAbsDifference(pieces[0], whole[0]), 1e-12) << "first block " << blocks[0];
        EXPECT_LT(vqtest::MaxAbsDifference(pieces[1], whole[1]), 1e-12) << "first block " << blocks[0];
    }
}

TEST(BinauralDecoder, OutputIsTheDirectConvolutionWithItsFilters)
{
    vq::BinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    ASSERT_EQ(decoder.Prepare(44100, 3000), vq::kStatusOk);
    const std::array<Signal, 4> input = vqtest::NoiseBFormat(3000, 11);
    const std::array<Signal, 2> out = vqtest::DecodeInBlocks(decoder, input, {700});
    for (int ear = 0; ear < 2; ++ear) {
        Signal expected(input[0].size(), 0.0);
        for (int k = 0; k < 4; ++k) {
            const Signal full = vqtest::DirectConvolution(input[static_cast<std::size_t>(k)], decoder.Filter(k, ear));
            for (std::size_t i = 0; i < expected.size(); ++i)
                expected[i] += full[i];
        }
        EXPECT_LT(vqtest::MaxAbsDifference(out[static_cast<std::size_t>(ear)], expected), 1e-12) << "ear " << ear;
    }
}

TEST(BinauralDecoder, RefusesRatesOutsideItsRangeWithAReason)
{
    vq::BinauralDecoder decoder(std::make_shared<vq::SphericalHeadHrirs>());
    EXPECT_EQ(decoder.Prepare(2000, 1024), vq::kHrtfRateUnusable);
    EXPECT_NE(decoder.Reason().find("2000"), std::string::npos) << decoder.Reason();
    EXPECT_EQ(decoder.Prepare(kRate, 1024), vq::kStatusOk);
    EXPECT_TRUE(decoder.Reason().empty());
}

}  // namespace
