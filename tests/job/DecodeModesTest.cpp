// Every decode mode of a conversion: the decoded files named after the take, made in the
// same pass as the B-format, and what they hold against the decoding equations; rotation.
#include "DecodeModes.h"
#include "JobFixture.h"

#include "common/EngineStatus.h"
#include "convolver/ConvolverFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.141592653589793;

TEST(DecodeModes, EachModeWritesItsNamedFileInOnePass)
{
    struct Case {
        int mode;
        const char* file;
        const char* message;
        int channels;
    };
    const Case cases[] = {
        {vq::DecodeModeIndex("stereo"), "take_stereo.wav", "Converting to stereo...", 2},
        {vq::DecodeModeIndex("uhj"), "take_UHJ.wav", "Converting to UHJ stereo...", 2},
        {vq::DecodeModeIndex("binaural"), "take_binaural.wav", "Converting to binaural (headphones)...", 2},
        {vq::DecodeModeIndex("5.1"), "take_5.1.wav", "Converting to 5.1 format...", 6},
    };
    for (const Case& c : cases) {
        JobSetup setup(6000, 16);
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_outputMode = c.mode;
        p.UpdateOutputNames();
        ASSERT_EQ(p.GetOutputPath(0), c.file) << "named after the take";
        ASSERT_TRUE(p.Convert()) << c.file << ": " << p.GetErrorMessage();
        EXPECT_EQ(setup.view.stages, std::vector<std::string>{std::string("VessarQuilix|") + c.message});
        const Audio out = ReadAudio(setup.File(c.file));
        EXPECT_EQ(out.info.channels, c.channels) << c.file;
        EXPECT_EQ(out.info.frames, 6000 + 16) << c.file << ": as long as the B-format";
        EXPECT_FALSE(fs::exists(setup.File("bformat.wav"))) << "the B-format is kept only when asked";
    }
}

TEST(DecodeModes, TheStereoPairIsTwoVirtualMicrophones)
{
    JobSetup setup(5000, 16);
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_outputMode = vq::DecodeModeIndex("stereo");
    p.m_pairPattern = 0.25;  // hypercardioid
    p.m_pairAngle = 110.0;
    p.m_pairAim = 20.0;
    p.m_surroundGain = -6.0;
    p.m_surroundFormat = VQParams::kFormatFloat;
    p.UpdateOutputNames();
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    // The B-format stage of a decode runs at -3 dB; a microphone aimed at phi gives
    // a * sqrt(2) W + (1 - a)(cos phi X + sin phi Y).
    const auto b = setup.ExpectedBFormat(-3.0);
    const double g = std::pow(10.0, -6.0 / 20.0), a = 0.25;
    const Audio out = ReadAudio(setup.File("take_stereo.wav"));
    for (int side = 0; side < 2; ++side) {
        const double phi = (20.0 + (side == 0 ? 55.0 : -55.0)) * kPi / 180.0;
        Signal expected(b[0].size());
        for (std::size_t n = 0; n < expected.size(); ++n)
            expected[n] = g * (a * std::sqrt(2.0) * b[0][n] + (1 - a) * (std::cos(phi) * b[1][n] + std::sin(phi) * b[2][n]));
        EXPECT_LT(MaxAbsDifference(out.Channel(side), expected), 1e-6) << (side == 0 ? "L" : "R");
    }
}

TEST(DecodeModes, RotationTurnsTheFieldBeforeItIsWritten)
{
    JobSetup setup(3000, 16);
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_bformatFormat = VQParams::kFormatFloat;
    p.m_yaw = 90.0;  // a front source goes to the left: X becomes Y, Y becomes -X
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    const auto b = setup.ExpectedBFormat(-3.0);
    const auto out = ReadBFormat({setup.File("take_WXYZ.wav")}, 1);
    Signal minusY(b[2].size());
    for (std::size_t n = 0; n < minusY.size(); ++n)
        minusY[n] = -b[2][n];
    EXPECT_LT(MaxAbsDifference(out[0], b[0]), 1e-6);
    EXPECT_LT(MaxAbsDifference(out[1], minusY), 1e-6);
    EXPECT_LT(MaxAbsDifference(out[2], b[1]), 1e-6);
    EXPECT_LT(MaxAbsDifference(out[3], b[3]), 1e-6);
}

TEST(DecodeModes, TheEnergyDecodeIsAnotherFiveOne)
{
    Signal virtualMics, energy;
    for (bool energyDecoder : {false, true}) {
        JobSetup setup(3000, 16);
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_outputMode = vq::DecodeModeIndex("5.1");
        if (energyDecoder)
            p.m_decoders["5.1"] = "energy";
        p.m_surroundFormat = VQParams::kFormatFloat;
        p.UpdateOutputNames();
        ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
        (energyDecoder ? energy : virtualMics) = ReadAudio(setup.File("take_5.1.wav")).samples;
    }
    EXPECT_EQ(energy.size(), virtualMics.size());
    EXPECT_GT(MaxAbsDifference(energy, virtualMics), 1e-3);
}

TEST(DecodeModes, AnUnreadableHrtfFileIsNamedAndNothingIsWritten)
{
    JobSetup setup(3000, 16);
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_outputMode = vq::DecodeModeIndex("binaural");
    p.m_hrtfFile = setup.File("head.sofa");
    p.UpdateOutputNames();
    EXPECT_FALSE(p.Convert());
    EXPECT_EQ(p.m_status, vq::kHrtfOpenFailed);
    EXPECT_NE(p.GetErrorMessage().Find(setup.File("head.sofa")), wxNOT_FOUND) << p.GetErrorMessage();
    EXPECT_FALSE(fs::exists(setup.File("take_binaural.wav")));
}

}  // namespace

namespace {

// Noise from one direction as a FuMa B-format take: W = s / sqrt 2, X = s cos az, Y = s sin az.
void WritePlaneWave(const std::string& path, double azimuthDeg, std::int64_t frames)
{
    const Signal s = Noise(frames, 91, 0.3);
    const double az = azimuthDeg * kPi / 180.0;
    Signal w(s), x(s), y(s), z(s.size(), 0.0);
    for (std::size_t n = 0; n < s.size(); ++n) {
        w[n] = s[n] / std::sqrt(2.0);
        x[n] = s[n] * std::cos(az);
        y[n] = s[n] * std::sin(az);
    }
    WriteChannels(path, {w, x, y, z});
}

double EnergyDb(const Signal& channel)
{
    double sum = 1e-30;
    for (double v : channel)
        sum += v * v;
    return 10.0 * std::log10(sum);
}

// The parametric decoders are rows' choices: 5.1 plays a source at 110 degrees from Ls
// alone (the virtual microphones spread it), and headphones hear a source on the left
// louder in the left ear.
TEST(DecodeModes, ParametricDecodesAreChoicesOfTheirModes)
{
    JobSetup setup(1000, 16);
    WritePlaneWave(setup.File("left-back.wav"), 110.0, 48000);
    WritePlaneWave(setup.File("left.wav"), 90.0, 48000);
    const auto decode = [&](const char* take, int mode, const char* decoder) {
        VQParams p(nullptr);
        setup.Configure(p);
        p.SetFileName(VQParams::kFluFrdInput, setup.File(take));
        p.m_inputFormat = vq::InputFormat::FuMa;
        p.m_outputMode = mode;
        p.m_surroundFormat = VQParams::kFormatFloat;
        p.m_decoders[mode == vq::DecodeModeIndex("5.1") ? "5.1" : "binaural"] = decoder;
        p.UpdateOutputNames();
        EXPECT_EQ(p.Decoder(), decoder);
        EXPECT_TRUE(p.Convert()) << p.GetErrorMessage();
        const Audio out = ReadAudio(std::string(p.GetOutputPath(0).utf8_str()));
        EXPECT_EQ(out.info.frames, 48000) << decoder << ": as long as the take";
        return out;
    };
    const int ls = 4;  // L, R, C, LFE, Ls, Rs
    for (const char* decoder : {"parametric", "virtual-mics"}) {
        const Audio out = decode("left-back.wav", vq::DecodeModeIndex("5.1"), decoder);
        double loudestOther = -1e9;
        for (int c : {0, 1, 2, 5})
            loudestOther = std::max(loudestOther, EnergyDb(out.Channel(c)));
        const double margin = EnergyDb(out.Channel(ls)) - loudestOther;
        if (std::string(decoder) == "parametric")
            EXPECT_GT(margin, 10.0) << "Ls alone";
        else
            EXPECT_LT(margin, 10.0) << "the virtual microphones spread the source";
    }
    const Audio ears = decode("left.wav", vq::DecodeModeIndex("binaural"), "parametric");
    EXPECT_GT(EnergyDb(ears.Channel(0)) - EnergyDb(ears.Channel(1)), 3.0) << "the left ear hears it louder";
}

}  // namespace
