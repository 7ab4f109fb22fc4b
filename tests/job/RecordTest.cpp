// The conversion record: defaults, the output naming rule, the settings it keeps, and
// the status messages.
#include "DecodeModes.h"
#include "VQConfig.h"
#include "VQParams.h"
#include "VessarQConvolver.h"

#include "common/EngineStatus.h"
#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        {0, 1, {"take_XW.wav", "take_ZY.wav", "", "", "", ""}},
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

TEST(Record, OneBufferSettingGivesBothEnginesTheSameBlockLength)
{
    // The setting is bytes (the preferences show KB); a block of 32-bit samples of one
    // channel fills it. Both engines get that many frames; an unusable setting, the default.
    VQParams p(nullptr);
    const std::pair<int, std::int64_t> cases[] = {
        {2097152, 524288}, {524288, 131072}, {67108864, 16777216}, {0, 524288}, {-5, 524288}, {3, 524288},
    };
    for (const auto& [bytes, frames] : cases) {
        p.m_ioBufferLength = bytes;
        EXPECT_EQ(p.BlockFrames(), frames) << bytes << " bytes";
    }
}

TEST(Record, EveryStatusCodeHasItsMessage)
{
    VQParams p(nullptr);
    p.SelectFilterMatrix(44100);
    const std::string matrix = std::string(p.GetFullPath(VQParams::kFilterMatrix).utf8_str());
    const std::string missingMatrix = "Missing filter matrix (" + matrix + ").\nPlease check your filters directory.";
    const std::pair<int, std::string> exact[] = {
        {263, missingMatrix},
        {265, "Selected file doesn't exist."},
        {512, missingMatrix},
        {513, "Missing input file(s)."},
        {514, "Filter matrix " + matrix + " has wrong number of rows.\nMust be 4."},
        {515, "The number of channels doesn't match.\nCheck the input file(s)."},
        {516, "Selected file has different sampling frequency than others already stored."},
        {517, "Selected file has different length than others already stored."},
        {518, "Error opening input file for reading."},
        {519, "Error opening output file for writing."},
        {520, "Error opening filter matrix file (" + matrix + ")."},
        {-1, "Unknown error."},
        {0, "Unknown error."},
        {999, "Unknown error."},
    };
    for (const auto& [code, text] : exact) {
        p.m_status = code;
        EXPECT_EQ(std::string(p.GetErrorMessage().utf8_str()), text) << code;
    }
    // The whole table: every code has a text of its own, and every code an engine or the
    // run can return is in it. Codes nothing returns are not.
    const std::vector<int> codes = vq::StatusCodes();
    std::vector<int> returned = {VQParams::kMissingFilterMatrix, VQParams::kMissingInput,
                                 VQParams::kUnrepresentablePath, vq::kPartsDisagree};
    for (int code = vq::kFilterMatrixNotOpen; code <= vq::kOutputExists; ++code)
        returned.push_back(code);
    for (int code = vq::kHrtfOpenFailed; code <= vq::kHrtfUnreadable; ++code)
        returned.push_back(code);
    for (int code = vq::kMovieCodecUnusable; code <= vq::kMovieWriterUnavailable; ++code)
        returned.push_back(code);
    returned.push_back(vq::kDirectionMapFailed);
    std::vector<int> sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    std::sort(returned.begin(), returned.end());
    EXPECT_EQ(sorted, returned);
    for (int code : codes) {
        const std::string text = vq::StatusMessage(code, "M.wav");
        EXPECT_NE(text, "Unknown error.") << code;
        EXPECT_EQ(text.find("%s"), std::string::npos) << code;
    }
    for (int removed : {256, 257, 258, 259, 260, 261, 262, 264, 266})
        EXPECT_EQ(vq::StatusMessage(removed), "Unknown error.") << removed;
    // How to make a missing matrix, with a directory the shell takes as one word.
    EXPECT_EQ(vq::FilterMatrixHint(44100, "/data/filters"),
              "To make one: vessarquilix-mkfilters --rates 44100 --out /data/filters");
    EXPECT_EQ(vq::FilterMatrixHint(48000, "/my filters/Bob's"),
              "To make one: vessarquilix-mkfilters --rates 48000 --out '/my filters/Bob'\\''s'");
    // The file and the reason follow the text.
    p.m_status = vq::kInputOpenFailed;
    p.m_failure = {"/takes/oddR.wav", "No such file or directory"};
    EXPECT_EQ(p.GetErrorMessage(), "Error opening input file for reading.\n/takes/oddR.wav: No such file or directory");
}

TEST(Record, ClippingWarningNamesTheStagesAndTheRemedies)
{
    VQParams p(nullptr);
    EXPECT_TRUE(p.GetClippingWarning().empty());
    p.m_clippedBFormat = 12;
    p.m_clippedSurround = 3;
    p.m_outputMode = vq::DecodeModeIndex("5.1");
    const wxString warning = p.GetClippingWarning();
    EXPECT_NE(warning.Find("12 samples of the B-format output"), wxNOT_FOUND);
    EXPECT_NE(warning.Find("3 samples of the 5.1 output"), wxNOT_FOUND);
    EXPECT_NE(warning.Find("Autorange"), wxNOT_FOUND);
    p.m_outputMode = vq::DecodeModeIndex("binaural");
    EXPECT_NE(p.GetClippingWarning().Find("3 samples of the binaural output"), wxNOT_FOUND);
}

TEST(Record, ProgressValuesInThousandths)
{
    EXPECT_EQ(ProgressPermille(1, 4), 250);
    EXPECT_EQ(ProgressPermille(9, 4), 1000);
    EXPECT_EQ(ProgressPermille(0, 0), 1000);
    EXPECT_EQ(ProgressPermille(-1, 7), 0);
    EXPECT_EQ(ProgressPermille(std::int64_t(1) << 40, std::int64_t(1) << 41), 500);
}

}  // namespace
