// A whole conversion through the record: B-format and 5.1 end to end, every way the run
// can fail, cancels, and the faults it guards against.
#include "DecodeModes.h"
#include "JobFixture.h"

#include "common/EngineStatus.h"
#include "convolver/ConvolverFixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <functional>
#include <cmath>
#include <filesystem>
#include <fstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr int kFloat = VQParams::kFormatFloat;

TEST(Convert, BFormatOutputsAreTheConvolutionAtTheGainInDecibels)
{
    for (int layout : {0, 1, 2}) {
        JobSetup setup;
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_fileLayout = layout;
        p.UpdateOutputNames();
        p.m_bformatFormat = kFloat;
        p.m_bformatGain = -6.0;
        ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
        EXPECT_EQ(p.m_status, 0);
        const int files = layout == 0 ? 4 : layout == 1 ? 2 : 1;
        std::vector<std::string> names;
        for (int i = 0; i < files; ++i)
            names.push_back(std::string(p.GetOutputPath(i).utf8_str()));
        EXPECT_EQ(names[0], layout == 0 ? "take_W.wav" : layout == 1 ? "take_XW.wav" : "take_WXYZ.wav");
        // -6 dB is an amplitude factor of 10^(-6/20) = 0.501, not a power ratio.
        const auto expected = setup.ExpectedBFormat(-6.0);
        const auto actual = ReadBFormat(names, files);
        for (int j = 0; j < 4; ++j)
            EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6) << "layout " << layout << " output " << j;
        EXPECT_EQ(setup.view.stages, std::vector<std::string>{"VessarQuilix|Converting to B-Format..."});
        EXPECT_EQ(setup.view.open, 0);
    }
}

// The 5.1 channels from W, X, Y by the decoding equations: L and R at +-A/2, Ls and Rs at
// +-(A/6 + 120) degrees, X to the front and Y to the left.
std::array<Signal, 6> Decode(const std::array<Signal, 4>& wxyz, double gain, double angle)
{
    const double pi = 3.141592653589793;
    const double a = 0.5 * angle * pi / 180.0;
    const double b = 0.5 * (double(0.3333f) * angle + 240.0) * pi / 180.0;
    const double cm = gain * double(float(std::pow(10.0, -0.2)));
    const double rm = gain * double(float(std::pow(10.0, -0.5)));
    std::array<Signal, 6> out;
    for (Signal& s : out)
        s.assign(wxyz[0].size(), 0.0);
    for (std::size_t n = 0; n < wxyz[0].size(); ++n) {
        const double w = float(wxyz[0][n]), x = float(wxyz[1][n]), y = float(wxyz[2][n]);
        out[0][n] = gain * (std::sqrt(0.5) * w + 0.75 * std::cos(a) * x + 0.75 * std::sin(a) * y);
        out[1][n] = gain * (std::sqrt(0.5) * w + 0.75 * std::cos(a) * x - 0.75 * std::sin(a) * y);
        out[2][n] = cm * (std::sqrt(2.0) * w + 0.5 * x);
        out[4][n] = rm * (std::sqrt(2.0) * w + 0.5 * std::cos(b) * x + 0.5 * std::sin(b) * y);
        out[5][n] = rm * (std::sqrt(2.0) * w + 0.5 * std::cos(b) * x - 0.5 * std::sin(b) * y);
    }
    return out;
}

TEST(Convert, SurroundDecodesInThePassAndKeepsAFloatBFormat)
{
    JobSetup setup;
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_outputMode = 1;
    p.m_fileLayout = 1;
    p.UpdateOutputNames();
    p.m_bformatFormat = VQParams::kFormatPcm16;  // the intermediate is float all the same
    p.m_surroundFormat = kFloat;
    p.m_bformatGain = 12.0;  // the B-format output's own controls do not act on a 5.1 run
    p.m_bformatAutorange = true;
    p.m_surroundGain = -3.0;
    p.m_openingAngle = 70;
    p.m_keepBFormat = "bformat.wav";
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    EXPECT_EQ(setup.view.stages, std::vector<std::string>{"VessarQuilix|Converting to 5.1 format..."})
        << "one pass: the decode needs no second reading of the B-format";

    const Audio intermediate = ReadAudio(setup.File("bformat.wav"));
    EXPECT_EQ(intermediate.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
    EXPECT_EQ(intermediate.info.channels, 4);

    // The B-format stage runs at the default -3 dB, so that the default 5.1 levels stay.
    const auto expected = Decode(setup.ExpectedBFormat(-3.0), std::pow(10.0, -3.0 / 20.0), 70.0);
    const char* names[] = {"take_LR.wav", "take_CLfe.wav", "take_LsRs.wav"};
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(p.GetOutputPath(f), names[f]);
        const Audio pair = ReadAudio(setup.File(names[f]));
        ASSERT_EQ(pair.info.channels, 2);
        for (int c = 0; c < 2; ++c)
            EXPECT_LT(MaxAbsDifference(pair.Channel(c), expected[2 * f + c]), 1e-6) << names[f] << " channel " << c;
    }
}

struct FailureCase {
    const char* what;
    int status;
    std::function<void(JobSetup&, VQParams&)> arrange;
    // What the message must name, in the set-up's directory: files, folders, numbers.
    std::vector<std::string> mentions;
};

void WriteText(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("not a sound file\n", f);
    std::fclose(f);
}

// A copy of `signal` with `value` at sample `at`.
Signal With(Signal signal, std::size_t at, double value)
{
    signal[at] = value;
    return signal;
}

TEST(Convert, EveryFailureIsReportedWithItsCodeNamesItsFileAndCreatesNoOutput)
{
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    const FailureCase cases[] = {
        {"second input missing",
         VQParams::kMissingInput,
         [](JobSetup&, VQParams& p) { p.SetFileName(1, "nowhereR.wav"); },
         {"nowhereR.wav: no such file"}},
        {"an input that is a folder",
         VQParams::kMissingInput,
         [](JobSetup& s, VQParams& p) {
             fs::create_directory(s.File("dirR.wav"));
             p.SetFileName(1, s.File("dirR.wav"));
         },
         {"dirR.wav: a folder"}},
        {"no matrix for 44100 Hz",
         VQParams::kMissingFilterMatrix,
         [](JobSetup& s, VQParams& p) {
             WriteAFormat(s.File("lowF.wav"), s.File("lowR.wav"), s.capsules, 44100);
             p.SetFileName(0, s.File("lowF.wav"));
             p.SetFileName(1, s.File("lowR.wav"));
         },
         {"filters/FilterMatrix_44100.wav", "vessarquilix-mkfilters --rates 44100 --out "}},
        {"inputs at different rates",
         vq::kSampleRateMismatch,
         [](JobSetup& s, VQParams& p) {
             WriteChannels(s.File("oddR.wav"), {s.capsules[2], s.capsules[3]}, 44100);
             p.SetFileName(1, s.File("oddR.wav"));
         },
         {"oddR.wav: 44100 Hz, the other input 48000 Hz"}},
        {"inputs of different lengths",
         vq::kLengthMismatch,
         [](JobSetup& s, VQParams& p) {
             WriteChannels(s.File("oddR.wav"), {Signal(10, 0.1), Signal(10, 0.1)});
             p.SetFileName(1, s.File("oddR.wav"));
         },
         {"oddR.wav: 10 frames"}},
        {"a mono second input",
         vq::kChannelCountMismatch,
         [](JobSetup& s, VQParams& p) {
             WriteChannels(s.File("oddR.wav"), {s.capsules[2]});
             p.SetFileName(1, s.File("oddR.wav"));
         },
         {"oddR.wav: 1 channels"}},
        {"an input that is no sound file",
         vq::kInputOpenFailed,
         [](JobSetup& s, VQParams& p) {
             WriteText(s.File("textR.wav"));
             p.SetFileName(1, s.File("textR.wav"));
         },
         {"textR.wav: "}},
        {"NaN in the rear input",
         vq::kNonFiniteInput,
         [nan](JobSetup& s, VQParams& p) {
             WriteChannels(s.File("nanR.wav"), {s.capsules[2], With(s.capsules[3], 1234, nan)});
             p.SetFileName(1, s.File("nanR.wav"));
         },
         {"nanR.wav: frame 1234, channel 2 holds NaN"}},
        {"an infinity in the front input, a NaN later in the rear",
         vq::kNonFiniteInput,
         [nan, inf](JobSetup& s, VQParams& p) {
             WriteChannels(s.File("infF.wav"), {With(s.capsules[0], 3000, -inf), s.capsules[1]}, 48000,
                           SF_FORMAT_WAV | SF_FORMAT_FLOAT);
             WriteChannels(s.File("infR.wav"), {With(s.capsules[2], 3001, nan), s.capsules[3]}, 48000,
                           SF_FORMAT_WAV | SF_FORMAT_FLOAT);
             p.SetFileName(0, s.File("infF.wav"));
             p.SetFileName(1, s.File("infR.wav"));
         },
         {"infF.wav: frame 3000, channel 1 holds -infinity"}},
        {"NaN in the filter matrix",
         vq::kNonFiniteInput,
         [nan](JobSetup& s, VQParams&) {
             FilterMatrix filters = s.filters;
             filters[2][1][5] = nan;  // filter from BLD to X: frame 2 * 32 + 5, channel 2
             WriteFilterMatrix(s.File("filters/FilterMatrix_48000.wav"), filters);
         },
         {"FilterMatrix_48000.wav: frame 69, channel 2 holds NaN"}},
        {"a matrix that is no sound file",
         vq::kFilterMatrixOpenFailed,
         [](JobSetup& s, VQParams&) { WriteText(s.File("filters/FilterMatrix_48000.wav")); },
         {"filters/FilterMatrix_48000.wav"}},
        {"a two-channel matrix",
         vq::kFilterMatrixChannels,
         [](JobSetup& s, VQParams&) {
             WriteChannels(s.File("filters/FilterMatrix_48000.wav"), {Signal(64, 0.1), Signal(64, 0.1)});
         },
         {"filters/FilterMatrix_48000.wav: 2 rows"}},
        {"an output in a missing directory",
         vq::kOutputOpenFailed,
         [](JobSetup& s, VQParams& p) { p.SetOutputPath(0, s.File("missing/out.wav")); },
         {"missing: no such folder, so the output out.wav cannot be written"}},
        {"an output in a folder that is a file",
         vq::kOutputOpenFailed,
         [](JobSetup& s, VQParams& p) { p.SetOutputPath(0, s.File("takeF.wav/out.wav")); },
         {"takeF.wav: "}},
        {"an output that is an input",
         vq::kOutputOverwritesInput,
         [](JobSetup& s, VQParams& p) { p.SetOutputPath(0, s.File("takeR.wav")); },
         {"takeR.wav: the same file as /"}},
        {"an output that is the filter matrix",
         vq::kOutputOverwritesInput,
         [](JobSetup& s, VQParams& p) { p.SetOutputPath(0, s.File("filters/FilterMatrix_48000.wav")); },
         {"FilterMatrix_48000.wav: the same file as /"}},
        {"two outputs of one name",
         vq::kOutputOverwritesInput,
         [](JobSetup&, VQParams& p) {
             p.m_fileLayout = 0;
             p.UpdateOutputNames();
             p.SetOutputPath(3, "./take_W.wav");
         },
         {"./take_W.wav: the same file as the output take_W.wav"}},
        {"a 5.1 output named like the intermediate",
         vq::kOutputOverwritesInput,
         [](JobSetup& s, VQParams& p) {
             p.m_outputMode = 1;
             p.UpdateOutputNames();
             p.m_keepBFormat = "bformat.wav";
             p.SetOutputPath(0, s.File("bformat.wav"));
         },
         {"bformat.wav: the same file as the output /"}},
    };
    for (const FailureCase& c : cases) {
        JobSetup setup;
        VQParams p(nullptr);
        setup.Configure(p);
        c.arrange(setup, p);
        const auto before = std::distance(fs::directory_iterator(setup.dir.Path()), fs::directory_iterator());
        EXPECT_FALSE(p.Convert()) << c.what;
        EXPECT_EQ(p.m_status, c.status) << c.what;
        const std::string message(p.GetErrorMessage().utf8_str());
        EXPECT_EQ(
            message.find(vq::StatusMessage(c.status, std::string(p.GetFullPath(VQParams::kFilterMatrix).utf8_str()))),
            0u)
            << c.what << ": the table's text comes first\n"
            << message;
        for (const std::string& mention : c.mentions)
            EXPECT_NE(message.find(mention), std::string::npos) << c.what << ": " << mention << " in\n" << message;
        EXPECT_EQ(std::distance(fs::directory_iterator(setup.dir.Path()), fs::directory_iterator()), before)
            << c.what << ": no file may be created";
    }
}

TEST(Convert, AnOutputFolderThatCannotBeWrittenIsNamed)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write in any folder";
    JobSetup setup;
    fs::create_directory(setup.File("locked"));
    fs::permissions(setup.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    VQParams p(nullptr);
    setup.Configure(p);
    p.SetOutputPath(0, setup.File("locked/out.wav"));
    EXPECT_FALSE(p.Convert());
    EXPECT_EQ(p.m_status, vq::kOutputOpenFailed);
    EXPECT_NE(p.GetErrorMessage().Find(setup.File("locked") + ": cannot create files in it"), wxNOT_FOUND)
        << p.GetErrorMessage();
    fs::permissions(setup.File("locked"), fs::perms::owner_all);
}

// An output that cannot be created is known before anything is planned or computed, in
// 5.1 mode too, where the outputs come after a whole B-format pass.
TEST(Convert, OutputFoldersAreCheckedBeforeAnyStageBegins)
{
    for (int mode : {0, 1}) {
        JobSetup setup;
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_outputMode = mode;
        p.m_fileLayout = 1;
        p.UpdateOutputNames();
        p.SetOutputPath(1, setup.File("gone/second.wav"));
        EXPECT_FALSE(p.Convert()) << "mode " << mode;
        EXPECT_EQ(p.m_status, vq::kOutputOpenFailed) << "mode " << mode;
        EXPECT_TRUE(setup.view.stages.empty()) << "mode " << mode << ": " << setup.view.stages.size() << " stages";
        EXPECT_NE(p.GetErrorMessage().Find(setup.File("gone") + ": no such folder"), wxNOT_FOUND)
            << p.GetErrorMessage();
        EXPECT_FALSE(fs::exists(setup.File("bformat.wav"))) << "mode " << mode;
    }
}

TEST(Convert, NamesTheFileSystemCannotHoldAreRefusedNotGarbled)
{
    // File names in Latin-1 (G_FILENAME_ENCODING=ISO-8859-1) cannot hold Japanese text.
    wxCSConv latin1("ISO-8859-1");
    wxMBConv* const utf8 = wxConvFileName;
    wxConvFileName = &latin1;
    JobSetup setup;
    VQParams p(nullptr);
    setup.Configure(p);
    p.SetOutputPath(0, setup.File("out") + wxString::FromUTF8("\xE6\x97\xA5\xE6\x9C\xAC.wav"));
    EXPECT_FALSE(p.Convert());
    wxConvFileName = utf8;
    EXPECT_EQ(p.m_status, VQParams::kUnrepresentablePath);
    EXPECT_NE(p.GetErrorMessage().Find(wxString::FromUTF8("\xE6\x97\xA5\xE6\x9C\xAC")), wxNOT_FOUND);
    EXPECT_EQ(std::distance(fs::directory_iterator(setup.dir.Path()), fs::directory_iterator()), 3);
}

TEST(Convert, MissingMatrixMessageNamesTheFileForTheInputRate)
{
    JobSetup setup(1000, 16, 44100);
    fs::rename(setup.File("filters/FilterMatrix_44100.wav"), setup.File("filters/FilterMatrix_48000.wav"));
    VQParams p(nullptr);
    setup.Configure(p);
    EXPECT_FALSE(p.Convert());
    EXPECT_EQ(p.GetErrorMessage(), "Missing filter matrix (" + setup.File("filters/FilterMatrix_44100.wav") +
                                       ").\nPlease check your filters directory.\n"
                                       "To make one: vessarquilix-mkfilters --rates 44100 --out " +
                                       setup.File("filters"));
}

TEST(Convert, CancelLeavesNoOutputInAnyPass)
{
    for (int mode : {vq::DecodeModeIndex("b-format"), vq::DecodeModeIndex("5.1")}) {
        for (int stage : {1, 2}) {  // during the conversion, during its autorange
            JobSetup setup(20000, 16);
            VQParams p(nullptr);
            setup.Configure(p);
            p.m_outputMode = mode;
            p.UpdateOutputNames();
            p.m_bformatAutorange = p.m_surroundAutorange = true;
            p.m_keepBFormat = "bformat.wav";
            setup.view.cancelInStage = stage;
            EXPECT_TRUE(p.Convert());
            EXPECT_EQ(p.m_status, -1);
            EXPECT_EQ(setup.view.open, 0);
            for (const char* name : {"take_5.1.wav", "take_WXYZ.wav", "bformat.wav"})
                EXPECT_FALSE(fs::exists(setup.File(name))) << name << ", mode " << mode << ", stage " << stage;
            EXPECT_EQ(setup.view.stages.size(), static_cast<std::size_t>(stage));
        }
    }
}

// Measuring the transforms of long filters takes seconds: the stage begins before, and a
// cancel is heard before any output is created, so that Ctrl-C is not left waiting.
TEST(Convert, ACancelIsHeardWhileTheTransformsArePlanned)
{
    JobSetup setup(2000, 16);
    VQParams p(nullptr);
    setup.Configure(p);
    std::vector<std::string> seenAtFirstUpdate;
    setup.view.observe = [&](int) {
        if (setup.view.updates == 1)
            for (const auto& entry : fs::directory_iterator(setup.dir.Path()))
                seenAtFirstUpdate.push_back(entry.path().filename().string());
    };
    setup.view.cancelAtUpdate = 1;
    EXPECT_TRUE(p.Convert());
    EXPECT_EQ(p.m_status, -1);
    EXPECT_EQ(setup.view.stages, std::vector<std::string>{"VessarQuilix|Converting to B-Format..."});
    std::sort(seenAtFirstUpdate.begin(), seenAtFirstUpdate.end());
    EXPECT_EQ(seenAtFirstUpdate, (std::vector<std::string>{"filters", "takeF.wav", "takeR.wav"}))
        << "no output (not even a temporary) exists yet at the first chance to cancel";
    EXPECT_FALSE(fs::exists(setup.File("take_WXYZ.wav")));
}

TEST(Convert, FormatZeroTakesTheFirstInputsFormatAndKeepsIt)
{
    JobSetup setup;
    const int pcm24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    WriteAFormat(setup.File("takeF.wav"), setup.File("takeR.wav"), setup.capsules, 48000, pcm24);
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_bformatFormat = 0;
    ASSERT_TRUE(p.Convert());
    EXPECT_EQ(p.m_bformatFormat, pcm24);
    EXPECT_EQ(ReadAudio(setup.File("take_WXYZ.wav")).info.format, pcm24);
}

TEST(Convert, ClippedSamplesAreReportedWithASuccess)
{
    for (const int format : {VQParams::kFormatPcm16, kFloat}) {
        JobSetup setup(3000, 8, 48000, 0.9);
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_bformatGain = 15.0;
        p.m_bformatFormat = format;
        ASSERT_TRUE(p.Convert());
        if (format == kFloat) {
            EXPECT_EQ(p.m_clippedBFormat, 0) << "float keeps every value";
            EXPECT_TRUE(p.GetClippingWarning().empty());
        } else {
            EXPECT_GT(p.m_clippedBFormat, 0);
            EXPECT_FALSE(p.GetClippingWarning().empty());
        }
    }
}

TEST(Convert, MeasuredTransformPlansAreKeptForTheNextRun)
{
    JobSetup setup;
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_fftWisdomFile = setup.File("cache/VessarQuilix/fftw-wisdom");
    ASSERT_TRUE(p.Convert());
    std::ifstream kept(setup.File("cache/VessarQuilix/fftw-wisdom"));
    std::string first;
    std::getline(kept, first);
    EXPECT_NE(first.find("fftw_wisdom"), std::string::npos) << first;
    ASSERT_TRUE(p.Convert()) << "a run that starts from kept plans converts as well";
}

TEST(Convert, NonAsciiFileNamesWorkUnderTheCLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    JobSetup setup;
    const std::string front = setup.File("Aufnahme Straße F.wav");
    const std::string rear = setup.File("Aufnahme Straße R.wav");
    fs::rename(setup.File("takeF.wav"), front);
    fs::rename(setup.File("takeR.wav"), rear);
    VQParams p(nullptr);
    setup.Configure(p);
    p.SetFileName(0, wxString::FromUTF8(front.c_str()));
    p.SetFileName(1, wxString::FromUTF8(rear.c_str()));
    p.m_bformatFormat = kFloat;
    EXPECT_TRUE(p.Convert()) << p.GetErrorMessage();
    EXPECT_TRUE(fs::exists(setup.File("Aufnahme Straße _WXYZ.wav")));
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
