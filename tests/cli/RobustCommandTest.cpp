// The converter under what users and systems do to it: signals, a closed pipe, a file-size
// limit, broken inputs, a damaged settings file, a working directory that is gone; every
// message names its file, and no output appears under its name unless it is complete.
#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class RobustCommand : public CommandTest {
protected:
    // A pre-existing file of the first take's output name, to be left as it is.
    std::string WriteEarlierOutput(const std::string& name) const
    {
        WriteChannels(File(name), {Signal(10, 0.25)}, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        return Bytes(name);
    }
};

TEST_F(RobustCommand, EveryFailureNamesItsFile)
{
    WriteTake("good", 1000, 1);
    WriteTake("odd", 1000, 2);
    WriteChannels(File("oddR.wav"), {Noise(1000, 5), Noise(1000, 6)}, 44100);
    WriteTake("low", 1000, 3);
    for (const char* name : {"lowF.wav", "lowR.wav"})
        WriteChannels(File(name), {Noise(1000, 7), Noise(1000, 8)}, 44100);
    std::ofstream(File("textF.wav")) << "not a sound file\n";
    fs::copy_file(File("goodR.wav"), File("textR.wav"));
    auto nan = WriteTake("nan", 1000, 4);
    nan[3][777] = std::nan("");
    WriteChannels(File("nanR.wav"), {nan[2], nan[3]}, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {{"nowhereF.wav"}, {"Selected file doesn't exist.\nnowhereF.wav: no such file"}},
        {{"textF.wav"}, {"Error opening input file for reading.\ntextF.wav: "}},
        {{"oddF.wav"}, {"oddR.wav: 44100 Hz, the other input 48000 Hz"}},
        {{"lowF.wav"},
         {"Missing filter matrix (filters/FilterMatrix_44100.wav)",
          "To make one: vessarquilix-mkfilters --rates 44100 --out filters\n",
          "Or give the directory that holds it with --filters DIR."}},
        {{"-o", "missing/out.wav", "goodF.wav"}, {"missing: no such folder, so the output out.wav cannot be written"}},
        {{"nanF.wav"}, {"nanR.wav: frame 777, channel 2 holds NaN"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--filters", "filters"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto before = Listing();
        const CommandResult r = Convert(args);
        EXPECT_EQ(r.exitCode, 1) << c.args.back() << "\n" << r.err;
        for (const std::string& mention : c.mentions)
            EXPECT_TRUE(Contains(r.err, mention)) << mention << " in\n" << r.err;
        EXPECT_EQ(Listing(), before) << c.args.back() << ": nothing is written";
    }
}

TEST_F(RobustCommand, SignalsCancelCleanlyAndKeepEarlierFiles)
{
    WriteLongTake("long");
    WriteTake("short", 1000, 1);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir freshHome;  // no measured transform plans: the planning takes its time
        const CommandRunner runner(work.Path(), freshHome.Path());
        const std::string earlier = WriteEarlierOutput("long_WXYZ.wav");
        const auto before = Listing();
        RunOptions options;
        options.cue = "take 1/2: Converting to B-Format...";
        options.signal = signal;
        const CommandResult r =
            runner.Run({VQ_CONVERT_PATH, "-y", "--filters", "filters", "longF.wav", "shortF.wav"}, options);
        EXPECT_EQ(r.exitCode, 130) << strsignal(signal) << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, "cancelled in take 1/2 (longF.wav); no output of the take was written.")) << r.err;
        EXPECT_TRUE(Contains(r.out, "  cancelled longF.wav\n  cancelled shortF.wav\n")) << r.out;
        EXPECT_EQ(Bytes("long_WXYZ.wav"), earlier) << strsignal(signal);
        EXPECT_EQ(Listing(), before) << strsignal(signal) << ": no temporary, no output of the second take";
    }
}

// A home whose cache folder cannot be made (a file has its name) keeps no transform plans:
// the take converts, and the toolkit says nothing of it.
TEST_F(RobustCommand, ACacheFolderThatCannotBeMadeIsNoConcern)
{
    WriteTake("take", 1000, 1);
    std::ofstream(home.File(".cache")) << "a file where the cache folder would be";
    const CommandResult r = Convert({"--filters", "filters", "takeF.wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(Contains(r.err, "Error")) << r.err;
    EXPECT_FALSE(Contains(r.err, ".cache")) << r.err;
    EXPECT_TRUE(fs::exists(File("take_WXYZ.wav")));
}

// `vessarquilix-convert ... 2>&1 | head -n 1`: the reader goes away after the first line.
TEST_F(RobustCommand, AClosedStandardErrorDoesNotStopTheRun)
{
    WriteLongTake("long");
    WriteTake("short", 1000, 1);
    RunOptions options;
    options.cue = "\n";
    options.closeErrorAtCue = true;
    const CommandResult r = Convert({"--filters", "filters", "longF.wav", "shortF.wav"}, options);
    EXPECT_EQ(r.exitCode, 0) << "ended by signal " << r.exitCode - 128;
    EXPECT_TRUE(fs::exists(File("long_WXYZ.wav")));
    EXPECT_TRUE(fs::exists(File("short_WXYZ.wav")));
}

// A file-size limit (ulimit -f) refuses writes as a full disk does: the take fails with
// the output named, and the file of that name from before is as it was.
TEST_F(RobustCommand, AFileSizeLimitFailsTheTakeLikeAFullDisk)
{
    WriteTake("take", 50000, 3);
    const std::string earlier = WriteEarlierOutput("take_WXYZ.wav");
    const auto before = Listing();
    RunOptions options;
    options.fileSizeLimit = 100000;  // the output needs 400 kB
    const CommandResult r = Convert({"-y", "--filters", "filters", "takeF.wav"}, options);
    EXPECT_EQ(r.exitCode, 1) << "ended by signal " << r.exitCode - 128;
    EXPECT_TRUE(Contains(r.err,
                         "Error writing an output file (is the disk full?).\nNo output file was changed.\n"
                         "take_WXYZ.wav: "))
        << r.err;
    EXPECT_EQ(Bytes("take_WXYZ.wav"), earlier);
    EXPECT_EQ(Listing(), before) << "no temporary is left";
}

TEST_F(RobustCommand, ADamagedSettingsFileIsOneWarningAndTheDefaultsApply)
{
    WriteTake("take", 1000, 4);
    const std::string conf = home.File(".config/VessarQuilix/VessarQuilix.conf");
    fs::create_directories(home.File(".config/VessarQuilix"));
    const std::string warning =
        "vessarquilix-convert: warning: the settings file " + conf + " is damaged; using the default settings\n";
    for (const char* text : {"[VessarQuilix]\nFiltersPath=/nowhere\n=x\n", "=x", "[VessarQuilix\nFiltersPath=/x\n",
                             "[VessarQuilix]\nFiltersPath /nowhere\n"}) {
        std::ofstream(conf) << text;
        const auto written = fs::last_write_time(conf);
        // The default filters directory is the working directory's filters/.
        const CommandResult r = Convert({"-qy", "--format", "float", "takeF.wav"});
        EXPECT_EQ(r.exitCode, 0) << text << "\n" << r.err;
        EXPECT_EQ(r.err, warning) << text;
        EXPECT_EQ(fs::last_write_time(conf), written) << "the damaged file is left as it is";
    }
}

TEST_F(RobustCommand, AWorkingDirectoryThatIsGoneIsOneClearLine)
{
    WriteTake("take", 1000, 5);
    fs::create_directory(File("gone"));
    const CommandRunner inGone(File("gone"), home.Path());
    RunOptions options;
    options.removeWorkingDirectory = true;
    const CommandResult r =
        inGone.Run({VQ_CONVERT_PATH, "--filters", File("filters"), "-d", work.Path(), File("takeF.wav")}, options);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "vessarquilix-convert: the current directory no longer exists (it was deleted or moved); "
              "change to an existing directory and start again\n");
}

}  // namespace
