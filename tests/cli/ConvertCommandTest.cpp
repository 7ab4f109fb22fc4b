// vessarquilix-convert as a user runs it, with no display: options, exit codes, the
// result against an independent convolution, Ctrl-C, and the settings it only reads.
#include "CommandRunner.h"

#include "convolver/ConvolverFixture.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

const std::string kProgram = VQ_CONVERT_PATH;

class ConvertCommand : public testing::Test {
protected:
    ConvertCommand() : runner(work.Path(), home.Path())
    {
        for (int k = 0; k < 4; ++k)
            capsules[k] = Noise(6000, 70 + k, 0.4);
        filters = RandomFilterMatrix(24, 90);
        WriteAFormat(work.File("liveF.wav"), work.File("liveR.wav"), capsules, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
        fs::create_directory(work.File("filters"));
        WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), filters);
    }

    CommandResult Convert(std::vector<std::string> args) const
    {
        args.insert(args.begin(), kProgram);
        return runner.Run(args);
    }

    // The capsule signals as read back from the 24-bit inputs.
    std::array<Signal, 4> Inputs() const
    {
        const Audio front = ReadAudio(work.File("liveF.wav"));
        const Audio rear = ReadAudio(work.File("liveR.wav"));
        return {front.Channel(0), front.Channel(1), rear.Channel(0), rear.Channel(1)};
    }

    TempDir work, home;
    CommandRunner runner;
    std::array<Signal, 4> capsules;
    FilterMatrix filters;
};

TEST_F(ConvertCommand, MatchesADirectConvolutionInFloat)
{
    const CommandResult r = Convert({"--filters", "filters", "--format", "float", "--gain", "-3", "liveF.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Wrote live_WXYZ.wav"), std::string::npos) << r.out;
    const auto expected = ExpectedOutputs(Inputs(), filters, std::pow(10.0, -3.0 / 20.0), 6024);
    const auto actual = ReadBFormat({work.File("live_WXYZ.wav")}, 1);
    for (int j = 0; j < 4; ++j)
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6) << "output " << j;
}

// Values after '=' or glued to a short option, grouped flags and the input before the
// options reach the conversion like the spaced forms; the gain limits are inclusive.
TEST_F(ConvertCommand, EqualsFormsAndGroupedFlagsReachTheConversion)
{
    struct Case {
        const char* gainArgument;
        double gainDb;
    };
    const Case cases[] = {{"--gain=-60", -60.0}, {"--gain=+60", 60.0}, {"--gain=-1.5", -1.5}};
    for (const Case& c : cases) {
        const CommandResult r =
            Convert({"liveF.wav", "--filters=filters", "--format=float", c.gainArgument, "-qoout.wav"});
        ASSERT_EQ(r.exitCode, 0) << c.gainArgument << ": " << r.err;
        EXPECT_TRUE(r.out.empty() && r.err.empty()) << c.gainArgument << ": -q in a group is quiet";
        const double gain = std::pow(10.0, c.gainDb / 20.0);
        const auto expected = ExpectedOutputs(Inputs(), filters, gain, 6024);
        const auto actual = ReadBFormat({work.File("out.wav")}, 1);
        for (int j = 0; j < 4; ++j)
            EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6 * std::max(1.0, gain))
                << c.gainArgument << ", output " << j;
        fs::remove(work.File("out.wav"));
    }
}

TEST_F(ConvertCommand, OptionsReachTheConversion)
{
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> files;  // outputs expected in the working directory
        int channels;
        int format;  // SF format of the first output
    };
    const int wavex = SF_FORMAT_WAVEX;
    const Case cases[] = {
        {"four mono files, 24-bit",
         {"--files", "4", "--format", "pcm24"},
         {"live_W.wav", "live_X.wav", "live_Y.wav", "live_Z.wav"},
         1,
         wavex | SF_FORMAT_PCM_24},
        {"stereo pairs named with -o, 16-bit",
         {"--files", "2", "-o", "front.wav", "-o", "back.wav", "--format", "pcm16"},
         {"front.wav", "back.wav"},
         2,
         wavex | SF_FORMAT_PCM_16},
        {"5.1 in three stereo files, at the take's 24 bits by default",
         {"--mode", "5.1", "--files", "3", "--angle", "45", "--lfe"},
         {"live_LR.wav", "live_CLfe.wav", "live_LsRs.wav"},
         2,
         wavex | SF_FORMAT_PCM_24},
        {"5.1 in one file, autoranged",
         {"--mode", "5.1", "--surround-autorange", "--format", "float"},
         {"live_5.1.wav"},
         6,
         wavex | SF_FORMAT_FLOAT},
        {"explicit second input, buffer, quiet, the take's precision asked",
         {"-q", "--buffer", "512", "--autorange", "--format", "take"},
         {"live_WXYZ.wav"},
         4,
         wavex | SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--filters", "filters", "liveF.wav", "liveR.wav"});
        const CommandResult r = Convert(args);
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err;
        for (const std::string& f : c.files)
            EXPECT_TRUE(fs::exists(work.File(f))) << c.what << ": " << f;
        const Audio first = ReadAudio(work.File(c.files[0]));
        EXPECT_EQ(first.info.channels, c.channels) << c.what;
        EXPECT_EQ(first.info.format, c.format) << c.what;
        for (const std::string& f : c.files)
            fs::remove(work.File(f));
    }
    // Quiet prints nothing on a success without warnings.
    const CommandResult quiet = Convert({"-q", "--format", "float", "--filters", "filters", "liveF.wav"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.out.empty() && quiet.err.empty()) << quiet.out << quiet.err;
}

TEST_F(ConvertCommand, AutorangeAndGainsAreApplied)
{
    ASSERT_EQ(Convert({"--filters", "filters", "--format", "float", "--autorange", "liveF.wav"}).exitCode, 0);
    double peak = 0.0;
    for (double v : ReadAudio(work.File("live_WXYZ.wav")).samples)
        peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, 0.5, 0.01);
}

TEST_F(ConvertCommand, UsageErrorsExitWithTwoAndAHint)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "liveF.wav"},
        {"--mode", "quad", "liveF.wav"},
        {"--files", "3", "liveF.wav"},
        {"--mode", "5.1", "--files", "4", "liveF.wav"},
        {"--files", "2", "-o", "only-one.wav", "liveF.wav"},
        {"--format", "mp3", "liveF.wav"},
        {"--gain", "loud", "liveF.wav"},
        {"--angle", "200", "liveF.wav"},
        {"--buffer", "-1", "liveF.wav"},
        {"--gain=61", "liveF.wav"},
        {"--gain", "-60.5", "liveF.wav"},
        {"--mode=5.1", "--surround-gain=-61", "liveF.wav"},
        {"--surround-gain", "1e3", "liveF.wav"},
        {"--gain=", "liveF.wav"},
        {"--lfe=yes", "liveF.wav"},
        {"-zq", "liveF.wav"},
        {"-o"},
        {"--gain"},
        {"a.wav", "b.wav", "c.wav"},
        {"noPairing.wav"},
    };
    for (const auto& args : cases) {
        const CommandResult r = Convert(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(r.exitCode, 2) << joined << r.err;
        EXPECT_NE(r.err.find("Try 'vessarquilix-convert --help'"), std::string::npos) << joined << r.err;
    }
    const CommandResult help = Convert({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("-h, --help"), std::string::npos) << help.out;
    const CommandResult shortHelp = Convert({"-h"});
    EXPECT_EQ(shortHelp.exitCode, 0);
    EXPECT_EQ(shortHelp.out, help.out);
    const CommandResult version = Convert({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "vessarquilix-convert 0.7.1b\n");
}

// The message names the program (not the path it was started by) and the argument as typed.
TEST_F(ConvertCommand, UsageMessagesNameTheProgramAndTheArgumentAsTyped)
{
    const struct {
        std::vector<std::string> args;
        std::string what;
    } cases[] = {
        {{"-zq", "liveF.wav"}, "unknown option '-z'"},
        {{"-qz", "liveF.wav"}, "unknown option '-z'"},
        {{"--gain=61", "liveF.wav"}, "option '--gain' takes a number from -60 to 60, not '61'"},
        {{"liveF.wav", "--surround-gain", "-61"}, "option '--surround-gain' takes a number from -60 to 60, not '-61'"},
        {{"--format", "mp3", "liveF.wav"}, "option '--format' takes pcm16, pcm24, float or take, not 'mp3'"},
    };
    for (const auto& c : cases) {
        const CommandResult r = Convert(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.what;
        EXPECT_EQ(r.err,
                  "vessarquilix-convert: " + c.what + "\nTry 'vessarquilix-convert --help' for more information.\n");
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(ConvertCommand, FailuresExitWithOneAndTheWindowsMessage)
{
    const CommandResult missing = Convert({"--filters", "nowhere", "liveF.wav"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Missing filter matrix ("), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("nowhere/FilterMatrix_48000.wav).\nPlease check your filters directory."),
              std::string::npos)
        << missing.err;

    // (An output that is an input is a usage error: SafetyCommand.NothingTheBatchWritesMayBeAFileItReads.)
    const CommandResult badName = Convert({"--filters", "filters", "-o", "caf\xE9.wav", "liveF.wav"});
    EXPECT_EQ(badName.exitCode, 1) << "a name that is not UTF-8 is refused, never garbled";
    EXPECT_FALSE(fs::exists(work.File("caf\xC3\xA9.wav")));
}

TEST(ConvertProgram, NeedsNoGuiLibraries)
{
    // It runs on a server without a display or GUI libraries: the toolkit's base library
    // only, no GTK and no X11 among its dynamic dependencies.
    std::FILE* ldd = popen(("ldd '" + kProgram + "'").c_str(), "r");
    ASSERT_NE(ldd, nullptr);
    std::string listing;
    char line[512];
    while (std::fgets(line, sizeof line, ldd))
        listing += line;
    ASSERT_EQ(pclose(ldd), 0) << listing;
    EXPECT_NE(listing.find("libwx_baseu"), std::string::npos) << listing;
    for (const char* gui : {"gtk", "gdk", "libX11", "libwx_gtk", "libxcb"})
        EXPECT_EQ(listing.find(gui), std::string::npos) << gui << " in\n" << listing;
}

// Without a settings store the program uses its own filters, those of the prefix it runs from
// (here the staged tree's 512-tap set, found from a working directory that holds none); a
// stored filters folder comes before them. The store is read, never written.
TEST_F(ConvertCommand, SettingsAreReadButNeverWritten)
{
    const std::string conf = home.File(".config/VessarQuilix/VessarQuilix.conf");
    fs::rename(work.File("filters"), work.File("stored-filters"));
    const CommandResult noStore = Convert({"--format", "float", "liveF.wav"});
    ASSERT_EQ(noStore.exitCode, 0) << noStore.err;
    EXPECT_EQ(ReadAudio(work.File("live_WXYZ.wav")).info.frames, 6000 + 512) << "the program's own filters";
    EXPECT_FALSE(fs::exists(conf));

    fs::create_directories(home.File(".config/VessarQuilix"));
    std::ofstream(conf) << "[VessarQuilix]\nFiltersPath=" << work.File("stored-filters") << "\n";
    const auto before = fs::last_write_time(conf);
    const CommandResult r = Convert({"--format", "float", "-y", "liveF.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto expected = ExpectedOutputs(Inputs(), filters, std::pow(10.0, -3.0 / 20.0), 6024);
    const auto actual = ReadBFormat({work.File("live_WXYZ.wav")}, 1);
    for (int j = 0; j < 4; ++j)
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6) << "the stored filters, output " << j;
    EXPECT_EQ(fs::last_write_time(conf), before);
}

TEST_F(ConvertCommand, CtrlCCancelsCleanlyWithExitCode130)
{
    // Long filters make the run take a while; Ctrl-C comes as soon as it has started.
    WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), RandomFilterMatrix(65536, 3));
    const std::int64_t frames = 48000 * 120;
    WriteNoiseFile(work.File("longF.wav"), 2, frames, 1);
    WriteNoiseFile(work.File("longR.wav"), 2, frames, 2);
    const CommandResult r =
        runner.RunAndInterrupt({kProgram, "--filters", "filters", "longF.wav"}, "Converting to B-Format...");
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_FALSE(fs::exists(work.File("long_WXYZ.wav"))) << "nothing under a final name unless complete";
}

}  // namespace

namespace {

TEST_F(ConvertCommand, FormatsConventionsAndDecodesReachTheFiles)
{
    // A whole take in one 4-channel file, in a recorder's own capsule order.
    const Audio front = ReadAudio(work.File("liveF.wav")), rear = ReadAudio(work.File("liveR.wav"));
    WriteChannels(work.File("quad.wav"), {front.Channel(1), front.Channel(0), rear.Channel(0), rear.Channel(1)});
    struct Case {
        std::vector<std::string> args;
        std::string file;
        int channels;
        int format;
    };
    const Case cases[] = {
        {{"--convention", "ambix", "--format", "pcm16", "liveF.wav"}, "live_AmbiX.wav", 4, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16},
        {{"--container", "flac", "--format", "pcm24", "liveF.wav"}, "live_WXYZ.flac", 4, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {{"-o", "named.caf", "liveF.wav"}, "named.caf", 4, SF_FORMAT_CAF | SF_FORMAT_PCM_24},
        {{"--container", "amb", "liveF.wav"}, "live_WXYZ.amb", 4, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
        {{"--capsule-order", "FRD,FLU,BLD,BRU", "quad.wav"}, "quad_WXYZ.wav", 4, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT},
        {{"--mode", "stereo", "--pattern", "figure-of-eight", "liveF.wav"}, "live_stereo.wav", 2,
         SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
        {{"--mode", "uhj", "liveF.wav"}, "live_UHJ.wav", 2, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
        {{"--mode", "binaural", "--rotate", "30,0,0", "liveF.wav"}, "live_binaural.wav", 2,
         SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
        {{"--mode", "5.1", "--decoder", "energy", "--keep-bformat", "kept.wav", "liveF.wav"}, "live_5.1.wav", 6,
         SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--filters", "filters"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandResult r = Convert(args);
        ASSERT_EQ(r.exitCode, 0) << c.file << ": " << r.err;
        const Audio out = ReadAudio(work.File(c.file));
        EXPECT_EQ(out.info.channels, c.channels) << c.file;
        EXPECT_EQ(out.info.format, c.format) << c.file;
        EXPECT_EQ(out.info.frames, 6000 + 24) << c.file;
    }
    EXPECT_EQ(ReadAudio(work.File("kept.wav")).info.channels, 4) << "the B-format a decode kept";
    // The 4-channel take gives, sample for sample, what its two stereo files give.
    ASSERT_EQ(Convert({"--filters", "filters", "--format", "float", "-y", "--capsule-order", "FRD,FLU,BLD,BRU", "quad.wav"})
                  .exitCode,
              0);
    ASSERT_EQ(Convert({"--filters", "filters", "--format", "float", "liveF.wav"}).exitCode, 0);
    EXPECT_EQ(ReadAudio(work.File("quad_WXYZ.wav")).samples, ReadAudio(work.File("live_WXYZ.wav")).samples);
}

// The stereo pair's settings have the window's words, Spread and Azimuth; the first names of
// the options still work and mean the same.
TEST_F(ConvertCommand, TheStereoPairTakesTheWindowsWordsAndItsFirstOptionNames)
{
    const auto stereo = [&](std::vector<std::string> pair, const std::string& out) {
        std::vector<std::string> args = {"--filters", "filters", "--mode", "stereo", "--format", "float", "-o", out};
        args.insert(args.end(), pair.begin(), pair.end());
        args.push_back("liveF.wav");
        const CommandResult r = Convert(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return ReadAudio(work.File(out)).samples;
    };
    const std::vector<double> words = stereo({"--spread", "120", "--azimuth", "30"}, "words.wav");
    EXPECT_EQ(stereo({"--pair-angle", "120", "--aim", "30"}, "names.wav"), words);
    EXPECT_EQ(stereo({"--spread=120", "--azi", "30"}, "short.wav"), words) << "forms and abbreviations";
    EXPECT_NE(stereo({}, "default.wav"), words) << "the settings act";
    EXPECT_NE(Convert({"--help"}).out.find("--spread DEG"), std::string::npos);
}

TEST_F(ConvertCommand, CombinationsThatCannotBeWrittenAreRefusedBeforeAnything)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--container", "flac", "--format", "float"},
        {"-o", "x.flac", "--format", "float"},
        {"--container", "amb", "--mode", "5.1"},
        {"--container", "amb", "--convention", "ambix"},
        {"--convention", "ambix", "--files", "2"},
        {"--highpass", "5"},
        {"--highpass", "250"},
        {"--capsule-order", "FLU,FLU,BLD,BRU"},
        {"--capsule-order", "FLU,FRD,BLD"},
        {"--rotate", "10,20"},
        {"--container", "mp3"},
        {"--convention", "nfu"},
        {"--mode", "stereo", "--pair-angle", "200"},
        {"--mode", "stereo", "--spread", "-10"},
        {"--mode", "stereo", "--azimuth", "190"},
        {"--mode", "stereo", "--pattern", "shotgun"},
        {"--mode", "stereo", "--files", "2"},
        {"--keep-bformat", "k.wav"},
    };
    const auto before = std::distance(fs::directory_iterator(work.Path()), fs::directory_iterator());
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--filters", "filters"};
        args.insert(args.end(), c.begin(), c.end());
        args.push_back("liveF.wav");
        const CommandResult r = Convert(args);
        EXPECT_EQ(r.exitCode, 2) << c[0] << " " << c[1] << ": " << r.err;
        bool named = false;  // the message names an option of the case
        for (const std::string& a : c)
            named = named || (a.rfind("--", 0) == 0 && r.err.find(a) != std::string::npos);
        EXPECT_TRUE(named) << r.err;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(work.Path()), fs::directory_iterator()), before);
}

}  // namespace
