// The conversion record: defaults, the output naming rule, the settings it keeps, and
// the status messages.
#include "VQConfig.h"
#include "VQParams.h"
#include "VessarQConvolver.h"

#include "common/EngineStatus.h"
#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <filesystem>

using namespace vqtest;

namespace {

TEST(Record, DefaultsWithoutASettingsStore)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    const wxString here = wxGetCwd();
    {
        VQParams p(nullptr);
        EXPECT_EQ(p.m_status, 0);
        EXPECT_EQ(p.m_convolver, nullptr);
        EXPECT_EQ(p.m_surrounder, nullptr);
        EXPECT_EQ(p.m_sampleRate, 0);
        EXPECT_FALSE(p.m_bformatAutorange);
        EXPECT_EQ(p.m_bformatGain, -3.0);
        EXPECT_EQ(p.m_bformatFormat, 0x130002);
        EXPECT_FALSE(p.m_surroundAutorange);
        EXPECT_FALSE(p.m_lowFreqsInLfe);
        EXPECT_EQ(p.m_surroundGain, -3.0);
        EXPECT_EQ(p.m_openingAngle, 60);
        EXPECT_EQ(p.m_surroundFormat, 0x130002);
        EXPECT_EQ(p.m_ioBufferLength, 2097152);
        EXPECT_EQ(p.m_fileLayout, 2);
        EXPECT_EQ(p.m_outputMode, 0);
        EXPECT_EQ(p.m_statusBar, nullptr);
        EXPECT_EQ(p.GetFullPath(VQParams::kFluFrdInput), "Audio_file_01.wav");
        EXPECT_EQ(p.GetFullPath(VQParams::kBldBruInput), "Audio_file_02.wav");
        EXPECT_EQ(p.GetOutputPath(0), "Audio_file_0_WXYZ.wav");
        EXPECT_EQ(p.GetFiltersDir(), here + "/filters");
        EXPECT_EQ(p.GetDocsDir(), here + "/docs");
        EXPECT_EQ(p.GetFullPath(VQParams::kHelpPage), here + "/docs/VessarQuilix.html");
        p.SelectFilterMatrix(48000);
        EXPECT_EQ(p.GetFullPath(VQParams::kFilterMatrix), here + "/filters/FilterMatrix_48000.wav");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "nothing is written without a store";
}

struct NamingCase {
    int mode;
    int layout;
    std::vector<std::string> names;  // slots 2..7, "" for an output without a name
};

TEST(Record, OutputNamesFollowModeAndLayout)
{
    const NamingCase cases[] = {
        {0, 0, {"take_W.wav", "take_X.wav", "take_Y.wav", "take_Z.wav", "", ""}},
        {0, 1, {"take_WX.wav", "take_YZ.wav", "", "", "", ""}},
        {0, 2, {"take_WXYZ.wav", "", "", "", "", ""}},
        {1, 0, {"take_L.wav", "take_R.wav", "take_C.wav", "take_Lfe.wav", "take_Ls.wav", "take_Rs.wav"}},
        {1, 1, {"take_LR.wav", "take_CLfe.wav", "take_LsRs.wav", "", "", ""}},
        {1, 2, {"take_5.1.wav", "", "", "", "", ""}},
        {7, 2, {"take_5.1.wav", "", "", "", "", ""}},  // any nonzero mode is 5.1
        {0, 3, {"", "", "", "", "", ""}},              // an unknown layout names nothing
    };
    for (const NamingCase& c : cases) {
        VQParams p(nullptr);
        p.m_outputMode = c.mode;
        p.m_fileLayout = c.layout;
        p.SetFileName(VQParams::kFluFrdInput, "/rec/takeF.wav");
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(p.GetOutputPath(i), c.names[i].empty() ? wxString(" ") : wxString(c.names[i]))
                << "mode " << c.mode << " layout " << c.layout << " output " << i;
    }
}

TEST(Record, NamingEdgeCases)
{
    VQParams p(nullptr);
    p.SetFileName(VQParams::kFluFrdInput, "F.wav");  // a one-character name: empty base
    EXPECT_EQ(p.GetOutputPath(0), "_WXYZ.wav");

    p.SetOutputPath(0, "/elsewhere/mine.wav");
    p.SetFileName(VQParams::kBldBruInput, "/rec/otherR.wav");
    EXPECT_EQ(p.GetOutputPath(0), "/elsewhere/mine.wav") << "the second input renames nothing";
    p.SetFileName(VQParams::kFluFrdInput, "/rec/concertF.wav");
    EXPECT_EQ(p.GetOutputPath(0), "concert_WXYZ.wav") << "the first input discards picked outputs";

    p.m_outputMode = 1;
    p.m_fileLayout = 0;
    p.UpdateOutputNames();
    p.m_outputMode = 0;
    p.m_fileLayout = 2;
    p.UpdateOutputNames();
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(p.GetOutputPath(i), " ");

    p.SetFileName(VQParams::kFluFrdInput, "/rec/x.y/deep F.wav");
    p.ResetFileNames();
    EXPECT_EQ(p.GetOutputPath(0), "Audio_file_0_WXYZ.wav");
    EXPECT_EQ(p.m_sampleRate, 0);
}

TEST(Record, SettingsRoundTripThroughTheUsersConfigFile)
{
    TempDir home;
    ScopedHome scopedHome(home.Path());
    {
        VQConfig config;
        VQParams p(&config);
        EXPECT_EQ(p.m_ioBufferLength, 2097152) << "first start: default";
        p.SetFiltersDir("/data/filters");
        p.SetDocsDir("/data/docs");
        p.m_ioBufferLength = 524288;
    }
    const std::string file = home.File(".config/VessarQuilix/VessarQuilix.conf");
    ASSERT_TRUE(std::filesystem::exists(file)) << "the settings live in the XDG config directory";
    VQConfig config;
    wxString text;
    EXPECT_TRUE(config.Read("/VessarQuilix/FiltersPath", &text));
    EXPECT_EQ(text, "/data/filters");
    EXPECT_TRUE(config.Read("/VessarQuilix/IOBufferLength", &text));
    EXPECT_EQ(text, "524288");
    VQParams again(&config);
    EXPECT_EQ(again.GetFiltersDir(), "/data/filters");
    EXPECT_EQ(again.GetDocsDir(), "/data/docs");
    EXPECT_EQ(again.m_ioBufferLength, 524288);
}

TEST(Record, BufferLengthIsReadAsAWholeDecimalInteger)
{
    TempDir home;
    ScopedHome scopedHome(home.Path());
    const std::pair<const char*, int> cases[] = {
        {"4096k", 0}, {"-5", -5}, {"1048576", 1048576}, {"", 0}, {"0x100", 0}, {"99999999999", 0},
    };
    for (const auto& [text, expected] : cases) {
        VQConfig config;
        config.Write("/VessarQuilix/IOBufferLength", wxString(text));
        VQParams p(&config);
        EXPECT_EQ(p.m_ioBufferLength, expected) << "\"" << text << "\"";
    }
}

TEST(Record, EveryStatusCodeHasItsMessage)
{
    VQParams p(nullptr);
    p.SelectFilterMatrix(44100);
    const std::string matrix = std::string(p.GetFullPath(VQParams::kFilterMatrix).utf8_str());
    const std::string missingMatrix = "Missing filter matrix (" + matrix + ").\nPlease check your filters directory.";
    const std::string rows = "Filter matrix " + matrix + " has wrong number of rows.\nMust be 4.";
    const std::string channels = "The number of channels doesn't match.\nCheck the input file(s).";
    const std::string rate = "Selected file has different sampling frequency than others already stored.";
    const std::string length = "Selected file has different length than others already stored.";
    const std::string inputOpen = "Error opening input file for reading.";
    const std::string matrixOpen = "Error opening filter matrix file (" + matrix + ").";
    const std::pair<int, std::string> exact[] = {
        {263, missingMatrix},
        {265, "Selected file doesn't exist."},
        {512, missingMatrix},
        {513, "Missing input file(s)."},
        {514, rows},
        {515, channels},
        {516, rate},
        {517, length},
        {518, inputOpen},
        {519, "Error opening output file for writing."},
        {520, matrixOpen},
        {256, channels},
        {257, rate},
        {258, length},
        {259, "Error opening output file for writing.\nCheck permissions."},
        {260, inputOpen},
        {261, matrixOpen},
        {262, rows},
        {264, "Sample rate not supported: available filters doesn't match."},
        {266, "Missing input file(s)."},
        {-1, "Unknown error."},
        {0, "Unknown error."},
        {999, "Unknown error."},
    };
    for (const auto& [code, text] : exact) {
        p.m_status = code;
        EXPECT_EQ(std::string(p.GetErrorMessage().utf8_str()), text) << code;
    }
    // The codes added for reads, writes, memory, FFT set-up, unusable matrices, outputs
    // that would replace an input, and unrepresentable file names each say what happened.
    for (int code = vq::kInputReadFailed; code <= vq::kOutputOverwritesInput; ++code) {
        p.m_status = code;
        EXPECT_NE(p.GetErrorMessage(), "Unknown error.") << code;
    }
    p.m_status = vq::kBadParameter;
    EXPECT_NE(p.GetErrorMessage(), "Unknown error.");
    p.m_status = VQParams::kUnrepresentablePath;
    p.m_unrepresentablePath = "odd.wav";
    EXPECT_NE(p.GetErrorMessage().Find("odd.wav"), wxNOT_FOUND);
}

TEST(Record, ClippingWarningNamesTheStagesAndTheRemedies)
{
    VQParams p(nullptr);
    EXPECT_TRUE(p.GetClippingWarning().empty());
    p.m_clippedBFormat = 12;
    p.m_clippedSurround = 3;
    const wxString warning = p.GetClippingWarning();
    EXPECT_NE(warning.Find("12 samples of the B-format output"), wxNOT_FOUND);
    EXPECT_NE(warning.Find("3 samples of the 5.1 output"), wxNOT_FOUND);
    EXPECT_NE(warning.Find("Autorange"), wxNOT_FOUND);
}

TEST(Record, ProgressValuesInThousandths)
{
    EXPECT_EQ(ProgressPermille(1, 4), 250);
    EXPECT_EQ(ProgressPermille(9, 4), 1000);
    EXPECT_EQ(ProgressPermille(0, 0), 1000);
    EXPECT_EQ(ProgressPermille(-1, 7), 1000);
    EXPECT_EQ(ProgressPermille(std::int64_t(1) << 40, std::int64_t(1) << 41), 500);
}

}  // namespace
