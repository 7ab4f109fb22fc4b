// What a batch must never do, whatever its options: crash on two names of one file, write
// over a recording or an existing file without -y, let one take's output replace another's,
// report success for a file that does not open, or turn a damaged recording into nothing.
#include "CommandFixture.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> Args(std::vector<std::string> more)
{
    std::vector<std::string> args = {"--filters", "filters", "--format", "float"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class SafetyCommand : public CommandTest {
protected:
    // A 4-channel take (FLU, FRD, BLD, BRU) in one file.
    void WriteWholeTake(const std::string& name, std::int64_t frames, unsigned seed) const
    {
        std::vector<Signal> capsules;
        for (unsigned k = 0; k < 4; ++k)
            capsules.push_back(Noise(frames, seed * 4 + k, 0.4));
        WriteChannels(File(name), capsules);
    }
    // A 4-channel Ogg Vorbis take; its bytes.
    std::string WriteOggTake(const std::string& name, std::int64_t frames, unsigned seed) const
    {
        std::vector<Signal> capsules;
        for (unsigned k = 0; k < 4; ++k)
            capsules.push_back(Noise(frames, seed + k, 0.3));
        WriteChannels(File(name), capsules, 48000, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        return Bytes(name);
    }
};

TEST_F(SafetyCommand, TwoNamesOfOneOutputAreAUsageErrorNamingBoth)
{
    WriteTake("take", 500, 1);
    struct Case {
        std::vector<std::string> args;
        std::string mention;
    };
    const Case cases[] = {
        {{"--files", "2", "-o", "a.wav", "-o", "./a.wav", "takeF.wav"}, "'-o a.wav' and '-o ./a.wav' name the same file"},
        {{"--mode", "5.1", "--files", "3", "-o", "a.wav", "-o", "b.wav", "-o", "a.wav", "takeF.wav"},
         "'-o a.wav' and '-o a.wav' name the same file"},
        {{"--mode", "stereo", "--keep-bformat", "s.wav", "-o", "./s.wav", "takeF.wav"},
         "'-o ./s.wav' and '--keep-bformat s.wav' name the same file"},
    };
    for (const Case& c : cases) {
        const auto before = Listing();
        const CommandResult r = Convert(Args(c.args));
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_TRUE(Contains(r.err, c.mention)) << c.mention << " in\n" << r.err;
        EXPECT_EQ(Listing(), before);
    }
}

TEST_F(SafetyCommand, NoOutputOfABatchMayBeARecordingOfItEvenWithForce)
{
    WriteTake("t", 500, 1);
    WriteWholeTake("q.wav", 500, 2);
    WriteWholeTake("t_WXYZ.wav", 500, 3);  // a recording named like the first take's output
    fs::create_directory(File("sub"));
    struct Case {
        std::vector<std::string> args;
        std::string mention;
    };
    const Case cases[] = {
        // The first take's B-format would be kept over the second take's recording.
        {{"--mode", "stereo", "--keep-bformat", "q.wav", "-d", ".", "tF.wav", "q.wav"}, "--keep-bformat q.wav"},
        // The first take's output is the second take's recording, however it is spelled.
        {{"-y", "tF.wav", "t_WXYZ.wav"}, "'t_WXYZ.wav' of the take 'tF.wav' is the recording 't_WXYZ.wav'"},
        {{"-y", "-d", "sub/..", "tF.wav", "./t_WXYZ.wav"}, "which it would overwrite"},
    };
    for (const Case& c : cases) {
        const auto before = Listing();
        const std::string recordings = Bytes("q.wav") + Bytes("t_WXYZ.wav");
        const CommandResult r = Convert(Args(c.args));
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_TRUE(Contains(r.err, c.mention)) << c.mention << " in\n" << r.err;
        EXPECT_EQ(Bytes("q.wav") + Bytes("t_WXYZ.wav"), recordings);
        EXPECT_EQ(Listing(), before);
    }
}

// Whatever the batch writes (outputs, the kept B-format, the map's files, the report) is
// checked against whatever it reads (every file of every part of every take, the filter
// matrix, the SOFA file, the clip, the head-locked file), however either is spelled, before
// anything runs: a usage error, with or without -y, and every file stays as it was.
TEST_F(SafetyCommand, NothingTheBatchWritesMayBeAFileItReads)
{
    WriteTake("t", 500, 1);
    WriteTake("p_001", 500, 2);
    WriteTake("p_002", 500, 3);
    std::ofstream(File("head.sofa")) << "a SOFA file";
    std::ofstream(File("clip.mp4")) << "a clip";
    WriteChannels(File("music.wav"), {Noise(500, 4), Noise(500, 5)});
    fs::create_symlink("tR.wav", File("link.wav"));
    const std::vector<std::string> movie = {"--convention", "ambix", "--container", "mov"};
    const auto with = [](std::vector<std::string> first, const std::vector<std::string>& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    struct Case {
        std::vector<std::string> args;
        std::string said;
    };
    const Case cases[] = {
        {{"--report", "filters/FilterMatrix_48000.wav", "tF.wav"}, "is the filter matrix 'filters/FilterMatrix_48000.wav'"},
        {{"--report", "./filters/../filters/FilterMatrix_48000.wav", "tF.wav"}, "filter matrix"},
        {{"--report", "link.wav", "tF.wav"}, "is the recording 'tR.wav' of the take 'tF.wav'"},
        {{"--join", "--report", "p_002F.wav", "p_001F.wav", "p_002F.wav"}, "is the recording 'p_002F.wav'"},
        {{"--join", "--report", "p_002R.wav", "p_001F.wav", "p_002F.wav"}, "is the recording 'p_002R.wav'"},
        {{"--mode", "binaural", "--hrtf", "head.sofa", "--report", "head.sofa", "tF.wav"}, "the SOFA file 'head.sofa'"},
        {with(movie, {"--video", "clip.mp4", "--report", "clip.mp4", "tF.wav"}), "the video clip 'clip.mp4'"},
        {with(movie, {"--head-locked", "music.wav", "--report", "music.wav", "tF.wav"}),
         "the head-locked file 'music.wav'"},
        {{"-o", "filters/FilterMatrix_48000.wav", "tF.wav"}, "is its filter matrix"},
        {{"-o", "tR.wav", "tF.wav"}, "'-o tR.wav' of the take 'tF.wav' is its recording 'tR.wav'"},
        {{"--join", "--map-data", "./p_002R.wav", "p_001F.wav", "p_002F.wav"}, "is its recording 'p_002R.wav'"},
        {{"--mode", "binaural", "--hrtf", "head.sofa", "--keep-bformat", "head.sofa", "tF.wav"}, "is its SOFA file"},
        {with(movie, {"--video", "clip.mp4", "-o", "clip.mp4", "tF.wav"}), "is its video clip"},
    };
    for (const Case& c : cases) {
        for (const bool force : {false, true}) {
            const auto before = Listing();
            std::string files;
            for (const std::string& name : before)
                if (name != "filters")
                    files += Bytes(name);
            files += Bytes("filters/FilterMatrix_48000.wav");
            std::vector<std::string> args = force ? std::vector<std::string>{"-y"} : std::vector<std::string>();
            args.insert(args.end(), c.args.begin(), c.args.end());
            const CommandResult r = Convert(Args(args));
            EXPECT_EQ(r.exitCode, 2) << c.said << "\n" << r.err;
            EXPECT_TRUE(Contains(r.err, c.said)) << c.said << " in\n" << r.err;
            EXPECT_TRUE(Contains(r.err, "which it would overwrite")) << r.err;
            std::string after;
            for (const std::string& name : before)
                if (name != "filters")
                    after += Bytes(name);
            EXPECT_EQ(after + Bytes("filters/FilterMatrix_48000.wav"), files) << c.said;
            EXPECT_EQ(Listing(), before) << c.said;
        }
    }
}

TEST_F(SafetyCommand, AKeptBFormatIsAnOutputLikeTheOthers)
{
    WriteTake("t", 500, 1);
    WriteTake("u", 500, 2);
    std::ofstream(File("k.wav")) << "an earlier file";
    const std::vector<std::string> stereo = {"--mode", "stereo"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = stereo;
        args.insert(args.end(), more.begin(), more.end());
        return Args(args);
    };
    // An existing file is replaced only with -y, and then listed with the outputs.
    CommandResult r = Convert(with({"--keep-bformat", "k.wav", "tF.wav"}));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "k.wav: give --force (-y) to replace it")) << r.err;
    EXPECT_EQ(Bytes("k.wav"), "an earlier file");
    EXPECT_FALSE(fs::exists(File("t_stereo.wav")));
    r = Convert(with({"-y", "--keep-bformat", "k.wav", "tF.wav"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out), "Wrote t_stereo.wav\nWrote k.wav\n")) << r.out;
    EXPECT_EQ(ReadAudio(File("k.wav")).info.channels, 4);

    // One file for several takes would keep only the last one's: a folder names each after its take.
    r = Convert(with({"-y", "--keep-bformat", "k.wav", "tF.wav", "uF.wav"}));
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, "give a folder (ending in /)")) << r.err;
    r = Convert(with({"-y", "--keep-bformat", "kept/", "tF.wav", "uF.wav"}));
    EXPECT_NE(r.exitCode, 0) << "a folder that does not exist is not made";
    fs::create_directory(File("kept"));
    r = Convert(with({"-y", "--keep-bformat", "kept", "tF.wav", "uF.wav"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out), "Wrote kept/t_WXYZ.wav\n")) << r.out;
    EXPECT_TRUE(fs::exists(File("kept/t_WXYZ.wav")) && fs::exists(File("kept/u_WXYZ.wav")));
}

TEST_F(SafetyCommand, OfTwoRunsWritingOneNameAtOnceOneFailsAndTheOtherResultStays)
{
    // Long enough that the two runs overlap: both find no output when they start.
    const auto first = WriteTake("a", 48000 * 8, 1);
    const auto second = WriteTake("b", 48000 * 8, 2);
    for (int round = 0; round < 2; ++round) {
        fs::remove(File("same.wav"));
        auto runA = std::async(std::launch::async, [&] { return Convert(Args({"-q", "-o", "same.wav", "aF.wav"})); });
        auto runB = std::async(std::launch::async, [&] { return Convert(Args({"-q", "-o", "same.wav", "bF.wav"})); });
        const CommandResult a = runA.get();
        const CommandResult b = runB.get();
        ASSERT_EQ((a.exitCode == 0) + (b.exitCode == 0), 1) << "round " << round << "\n" << a.err << b.err;
        const CommandResult& loser = a.exitCode == 0 ? b : a;
        EXPECT_EQ(loser.exitCode, 1);
        EXPECT_TRUE(Contains(loser.err, "already exists")) << loser.err;
        const auto expected = Expected(a.exitCode == 0 ? first : second);
        const auto written = ReadWxyz(File("same.wav"));
        EXPECT_LT(MaxAbsDifference(written[0], expected[0]), 1e-6) << "the file holds the winner's result";
        EXPECT_EQ(Listing().size(), 6u) << "the takes, the filters folder and the output; no temporaries";
    }
}

TEST_F(SafetyCommand, AKilledRunLeavesNoFileBehind)
{
    const int probe = open(work.Path().c_str(), O_TMPFILE | O_RDWR, 0600);
    if (probe < 0)
        GTEST_SKIP() << "this file system has no unnamed files: a killed run leaves its hidden temporaries";
    close(probe);
    WriteLongTake("long");
    const auto before = Listing();
    RunOptions kill;
    kill.cue = "Converting to B-Format";
    kill.signal = SIGKILL;
    const CommandResult r = Convert({"--filters", "filters", "longF.wav"}, kill);
    EXPECT_EQ(r.exitCode, 128 + SIGKILL) << r.err;
    EXPECT_EQ(Listing(), before);
}

TEST_F(SafetyCommand, AnEmptyTakeGivesFilesThatOpenInEveryContainer)
{
    WriteTake("empty", 0, 1);
    for (const char* container : {"wav", "flac", "caf"}) {
        for (const char* mode : {"b-format", "stereo"}) {
            const CommandResult r =
                Convert({"--filters", "filters", "-y", "--container", container, "--mode", mode, "emptyF.wav"});
            ASSERT_EQ(r.exitCode, 0) << container << " " << mode << "\n" << r.err;
            const std::string name = std::string(mode) == "stereo" ? "empty_stereo." : "empty_WXYZ.";
            SF_INFO info{};
            SNDFILE* file = sf_open(File(name + container).c_str(), SFM_READ, &info);
            ASSERT_NE(file, nullptr) << name << container << ": " << sf_strerror(nullptr);
            float sample[4];
            EXPECT_EQ(sf_readf_float(file, sample, 1), 0) << name << container;
            sf_close(file);
        }
    }
}

TEST_F(SafetyCommand, ARecordingWhoseHeaderClaimsAnAbsurdLengthIsCountedNotEmptied)
{
    // A 4-channel Ogg take whose last page is damaged: libsndfile then reports 2^63 - 1 frames.
    std::string bytes = WriteOggTake("damaged.ogg", 4800, 10);
    const std::size_t lastPage = bytes.rfind("OggS");
    ASSERT_NE(lastPage, std::string::npos);
    std::memset(&bytes[lastPage + 6], 0xFF, 8);  // granule position -1: "no packet ends here"
    std::ofstream(File("damaged.ogg"), std::ios::binary) << bytes;
    SF_INFO claimed{};
    SNDFILE* file = sf_open(File("damaged.ogg").c_str(), SFM_READ, &claimed);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    ASSERT_GT(claimed.frames, std::int64_t(1) << 60) << "the fixture no longer shows the damage";

    const CommandResult r = Convert(Args({"damaged.ogg"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Audio out = ReadAudio(File("damaged_WXYZ.wav"));
    EXPECT_GE(out.info.frames, 4800 - 1024) << "the audio before the damaged page is converted";
    EXPECT_LE(out.info.frames, 4800 + kTaps);
}

// A take whose header promises audio of which not a frame decodes is damaged, and says so;
// a recording of no frames is no damage and converts to empty outputs.
TEST_F(SafetyCommand, ATakeThatPromisesAudioAndDecodesNoneFailsAndAnEmptyOneConverts)
{
    // Every page after the two of the headers loses its capture pattern: the header stands,
    // the audio is gone, and the length cannot be told.
    std::string bytes = WriteOggTake("damaged.ogg", 4800, 20);
    std::size_t page = bytes.find("OggS", bytes.find("OggS", 1) + 1);
    ASSERT_NE(page, std::string::npos);
    for (; page != std::string::npos; page = bytes.find("OggS", page))
        bytes[page] = 'X';
    std::ofstream(File("damaged.ogg"), std::ios::binary) << bytes;
    WriteOggTake("empty.ogg", 0, 30);

    const auto before = Listing();
    const CommandResult damaged = Convert(Args({"damaged.ogg"}));
    EXPECT_EQ(damaged.exitCode, 1) << damaged.out;
    EXPECT_TRUE(Contains(damaged.err, "damaged.ogg: no audio could be decoded")) << damaged.err;
    EXPECT_EQ(Listing(), before) << "no output";

    const CommandResult empty = Convert(Args({"empty.ogg"}));
    ASSERT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(ReadAudio(File("empty_WXYZ.wav")).info.frames, 0);
}

}  // namespace
