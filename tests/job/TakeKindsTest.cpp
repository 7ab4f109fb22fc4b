// The kinds of take a conversion reads: a B-format take (FuMa by its .amb header or as
// asked, AmbiX as asked) decodes as the A-format take it came from does, in every mode and
// turned; it is written as B-format again in another convention; four mono files are the
// take their capsules make.
#include "DecodeModes.h"
#include "JobFixture.h"

#include "TakeKinds.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr int kFloat = VQParams::kFormatFloat;

// W, X, Y, Z in a WAVE-EX file marked as Ambisonic B-format (the .amb of FuMa B-format).
void WriteAmbFile(const std::string& path, const std::array<Signal, 4>& wxyz, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 4;
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    ASSERT_EQ(sf_command(file, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT), SF_AMBISONIC_B_FORMAT);
    std::vector<double> frames(wxyz[0].size() * 4);
    for (std::size_t n = 0; n < wxyz[0].size(); ++n)
        for (int c = 0; c < 4; ++c)
            frames[n * 4 + static_cast<std::size_t>(c)] = wxyz[static_cast<std::size_t>(c)][n];
    ASSERT_EQ(sf_writef_double(file, frames.data(), static_cast<sf_count_t>(wxyz[0].size())),
              static_cast<sf_count_t>(wxyz[0].size()));
    sf_close(file);
}

struct BFormatTake {
    const char* name;
    vq::InputFormat read;
};

// The B-format of the set-up's take, -3 dB as a decode's B-format stage makes it, in three
// files: .amb (FuMa by its header), a plain WAV read as FuMa, and a plain WAV of AmbiX
// (W, Y, Z, X with W at full level).
std::vector<BFormatTake> WriteBFormatTakes(const JobSetup& setup)
{
    const auto b = setup.ExpectedBFormat(-3.0);
    WriteAmbFile(setup.File("fuma.amb"), b, 48000);
    WriteChannels(setup.File("fuma.wav"), {b[0], b[1], b[2], b[3]});
    Signal w(b[0]);
    for (double& s : w)
        s *= std::sqrt(2.0);
    WriteChannels(setup.File("ambix.wav"), {w, b[2], b[3], b[1]});
    return {{"fuma.amb", vq::InputFormat::Auto},
            {"fuma.wav", vq::InputFormat::FuMa},
            {"ambix.wav", vq::InputFormat::AmbiX}};
}

// Runs the record into its own folder and returns the first output's samples.
std::vector<double> ConvertInto(VQParams& p, const std::string& folder)
{
    fs::create_directory(folder);
    p.m_outputDir = folder;
    p.UpdateOutputNames();
    EXPECT_TRUE(p.Convert()) << p.GetErrorMessage();
    return ReadAudio(std::string(p.GetOutputPath(0).utf8_str())).samples;
}

TEST(BFormatTakes, DecodeInEveryModeAsTheirAFormatTakeDoes)
{
    JobSetup setup(3000, 16);
    const std::vector<BFormatTake> takes = WriteBFormatTakes(setup);
    for (int mode : {vq::DecodeModeIndex("5.1"), vq::DecodeModeIndex("stereo"), vq::DecodeModeIndex("uhj"), vq::DecodeModeIndex("binaural")}) {
        const auto configure = [&](VQParams& p) {
            setup.Configure(p);
            p.m_outputMode = mode;
            p.m_surroundFormat = kFloat;
            p.m_surroundGain = -1.0;
            p.m_yaw = 30.0, p.m_pitch = 10.0, p.m_roll = -5.0;
        };
        VQParams fromCapsules(nullptr);
        configure(fromCapsules);
        const std::vector<double> expected = ConvertInto(fromCapsules, setup.File("a" + std::to_string(mode)));
        ASSERT_FALSE(expected.empty());
        for (const BFormatTake& take : takes) {
            VQParams p(nullptr);
            configure(p);
            p.SetFileName(VQParams::kFluFrdInput, setup.File(take.name));
            p.m_inputFormat = take.read;
            const std::string folder = setup.File(std::string(take.name) + std::to_string(mode));
            const std::vector<double> decoded = ConvertInto(p, folder);
            ASSERT_EQ(decoded.size(), expected.size()) << take.name << " in mode " << mode;
            EXPECT_LT(MaxAbsDifference(decoded, expected), 2e-6) << take.name << " in mode " << mode;
            EXPECT_EQ(setup.view.open, 0);
        }
    }
}

TEST(BFormatTakes, AreWrittenAgainTurnedAndInAnotherConvention)
{
    JobSetup setup(3000, 16);
    const std::vector<BFormatTake> takes = WriteBFormatTakes(setup);
    const auto configure = [&](VQParams& p) {
        setup.Configure(p);
        p.m_bformatFormat = kFloat;
        p.m_convention = vq::BFormatConvention::AmbiX;
        p.m_yaw = -40.0;
    };
    VQParams fromCapsules(nullptr);
    configure(fromCapsules);
    const std::vector<double> expected = ConvertInto(fromCapsules, setup.File("a"));
    for (const BFormatTake& take : takes) {
        VQParams p(nullptr);
        configure(p);
        p.SetFileName(VQParams::kFluFrdInput, setup.File(take.name));
        p.m_inputFormat = take.read;
        p.m_bformatGain = 0.0;  // the take is at -3 dB already
        const std::vector<double> written = ConvertInto(p, setup.File(std::string("b-") + take.name));
        EXPECT_EQ(p.GetOutputPath(0).AfterLast('/'), wxString(take.name).BeforeLast('.') + "_AmbiX.wav");
        ASSERT_EQ(written.size(), expected.size()) << take.name;
        EXPECT_LT(MaxAbsDifference(written, expected), 2e-6) << take.name;
    }
}

TEST(BFormatTakes, KeepNoOtherBFormatAndWarnWhenReadAsCapsules)
{
    JobSetup setup(2000, 16);
    WriteBFormatTakes(setup);
    VQParams keep(nullptr);
    setup.Configure(keep);
    keep.SetFileName(VQParams::kFluFrdInput, setup.File("fuma.amb"));
    keep.m_outputMode = vq::DecodeModeIndex("stereo");
    keep.m_keepBFormat = setup.File("kept.wav");
    keep.UpdateOutputNames();
    EXPECT_FALSE(keep.Convert());
    EXPECT_NE(keep.GetErrorMessage().Find("a B-format take is its own B-format"), wxNOT_FOUND)
        << keep.GetErrorMessage();
    EXPECT_FALSE(fs::exists(setup.File("kept.wav")));
    EXPECT_FALSE(fs::exists(setup.File("fuma_stereo.wav")));

    VQParams asCapsules(nullptr);
    setup.Configure(asCapsules);
    asCapsules.SetFileName(VQParams::kFluFrdInput, setup.File("fuma.amb"));
    asCapsules.m_inputFormat = vq::InputFormat::AFormat;
    asCapsules.UpdateOutputNames();
    ASSERT_TRUE(asCapsules.Convert()) << asCapsules.GetErrorMessage();
    ASSERT_EQ(asCapsules.m_result.warnings.size(), 1u);
    EXPECT_NE(asCapsules.m_result.warnings[0].find("marks it as Ambisonic B-format"), std::string::npos);
    EXPECT_EQ(asCapsules.m_result.filterTaps, 16) << "read through the filters";
}

TEST(FourMonoTakes, AreTheTakeTheirCapsulesMake)
{
    JobSetup setup(3000, 16);
    const char* const names[4] = {"take_FLU.wav", "take_FRD.wav", "take_BLD.wav", "take_BRU.wav"};
    for (int k = 0; k < 4; ++k)
        WriteChannels(setup.File(names[k]), {setup.capsules[static_cast<std::size_t>(k)]});

    VQParams p(nullptr);
    setup.Configure(p);
    p.SetFileName(VQParams::kFluFrdInput, setup.File("take_FLU.wav"));
    p.m_bformatFormat = kFloat;
    p.m_fileLayout = 0;  // four mono files out as well
    EXPECT_FALSE(p.FirstInputIsWholeTake());
    EXPECT_EQ(p.TakeName(), "take") << "the capsule and its separator go";
    fs::create_directory(setup.File("out"));
    p.m_outputDir = setup.File("out");
    p.UpdateOutputNames();
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    const auto expected = setup.ExpectedBFormat(-3.0);
    for (int j = 0; j < 4; ++j) {
        const Signal out = ReadAudio(std::string(p.GetOutputPath(j).utf8_str())).Channel(0);
        EXPECT_LT(MaxAbsDifference(out, expected[static_cast<std::size_t>(j)]), 1e-6) << j;
    }

    fs::remove(setup.File("take_BLD.wav"));
    VQParams missing(nullptr);
    setup.Configure(missing);
    missing.SetFileName(VQParams::kFluFrdInput, setup.File("take_FLU.wav"));
    EXPECT_FALSE(missing.Convert());
    EXPECT_EQ(missing.m_status, VQParams::kMissingInput);
    EXPECT_NE(missing.GetErrorMessage().Find("take_BLD.wav"), wxNOT_FOUND) << missing.GetErrorMessage();
}

}  // namespace
