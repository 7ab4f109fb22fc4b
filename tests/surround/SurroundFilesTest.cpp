// Opening and checking the decoder's files: every status code, what is (not) created when
// a check fails, and the default input in the working directory.
#include "surround/SurroundFixture.h"

#include "common/EngineStatus.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

TEST(SurroundFiles, RunRefusesABadInputBeforeAnythingElse)
{
    TempDir dir;
    WriteChannels(dir.File("stereo.wav"), {Noise(500, 1), Noise(500, 2)});
    struct Case {
        const char* what;
        std::string input;  // empty: OpenInputFile is not called
        int openStatus;
        int runStatus;
    };
    const Case cases[] = {
        {"never opened", "", 0, vq::kMissingInputFile},
        {"missing file", dir.File("missing.wav"), vq::kInputOpenFailed, vq::kMissingInputFile},
        {"two channels", dir.File("stereo.wav"), 0, vq::kChannelCountMismatch},
    };
    for (const Case& c : cases) {
        const auto names = OutputNames(dir, 3);
        RecordingSurrounder engine(60.0, 3);
        if (!c.input.empty()) {
            EXPECT_EQ(engine.OpenInputFile(c.input), c.openStatus) << c.what;
        }
        for (int i = 0; i < 3; ++i)
            engine.m_outputFileNames[i] = names[i];
        EXPECT_EQ(engine.Run(), c.runStatus) << c.what;
        EXPECT_EQ(engine.starts + engine.ends + static_cast<int>(engine.updates.size()), 0) << c.what;
        EXPECT_FALSE(engine.m_finished);
        for (const auto& name : names)
            EXPECT_FALSE(fs::exists(name)) << c.what;
    }
}

TEST(SurroundFiles, OutputsThatCannotBeCreatedOrWouldReplaceTheInput)
{
    TempDir dir;
    const std::string input = dir.File("bformat.wav");
    WriteBFormat(input, RandomBFormat(500, 3));
    const auto inputBytes = fs::file_size(input);
    struct Case {
        const char* what;
        std::vector<std::string> outputs;
        int expected;
    };
    const Case cases[] = {
        {"a missing directory",
         {dir.File("L.wav"), dir.File("no/such/C.wav"), dir.File("Ls.wav")},
         vq::kOutputOpenFailed},
        {"the input", {dir.File("a.wav"), input, dir.File("b.wav")}, vq::kOutputOverwritesInput},
        {"the input by another path", {dir.Path() + "/./bformat.wav", "x", "y"}, vq::kOutputOverwritesInput},
        {"another output", {dir.File("c.wav"), dir.File("d.wav"), dir.File("c.wav")}, vq::kOutputOverwritesInput},
    };
    for (const Case& c : cases) {
        RecordingSurrounder engine(60.0, 3);
        Configure(engine, input, {}, c.outputs);
        EXPECT_EQ(engine.Run(), c.expected) << c.what;
        EXPECT_EQ(engine.starts, 0) << c.what;
        if (c.expected == vq::kOutputOverwritesInput) {  // the pair of names that clash
            EXPECT_NE(engine.m_failure.reason.find("the same file as"), std::string::npos) << c.what;
        }
    }
    EXPECT_FALSE(fs::exists(dir.File("L.wav"))) << "no output is left when one cannot be created";
    EXPECT_FALSE(fs::exists(dir.File("a.wav"))) << "nothing is created when an output names the input";
    EXPECT_EQ(fs::file_size(input), inputBytes);
    EXPECT_EQ(ReadAudio(input).info.frames, 500);
}

TEST(SurroundFiles, TheDefaultInputIsBFormatInTheWorkingDirectory)
{
    TempDir dir;
    WriteBFormat(dir.File("bformat.wav"), RandomBFormat(123, 4));
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    Surrounder engine(60.0, 1);
    const int status = engine.OpenInputFile();
    fs::current_path(previous);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(engine.m_length, 123);
    EXPECT_EQ(engine.m_inputInfo.channels, 4);
}

TEST(SurroundFiles, AnInputCutShortDuringTheRunIsReported)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(50000, 9));
    RecordingSurrounder engine(60.0, 1);
    Configure(engine, dir.File("in.wav"), {}, OutputNames(dir, 1));
    engine.m_requestedBufferLength = 10000;
    fs::resize_file(dir.File("in.wav"), 200000);
    EXPECT_EQ(engine.Run(), vq::kInputReadFailed);
    EXPECT_FALSE(engine.m_finished);
    EXPECT_FALSE(engine.m_aborted);
    EXPECT_EQ(engine.starts, 1);
    EXPECT_EQ(engine.ends, 1);
}

// A sample that is NaN or infinite would run on through the LFE filter: the decoder stops
// at the first one, names it, and keeps nothing.
TEST(SurroundFiles, SamplesThatAreNotNumbersAreRefused)
{
    for (const double bad : {std::nan(""), -HUGE_VAL}) {
        TempDir dir;
        BFormat wxyz = RandomBFormat(40000, 5);
        wxyz[1][30001] = bad;
        wxyz[3][30000] = bad;  // Z is not decoded, yet it is the earlier frame
        WriteBFormat(dir.File("in.wav"), wxyz);
        const auto names = OutputNames(dir, 1);
        RecordingSurrounder engine(60.0, 1);
        Configure(engine, dir.File("in.wav"), {}, names);
        engine.m_requestedBufferLength = 7000;
        EXPECT_EQ(engine.Run(), vq::kNonFiniteInput);
        EXPECT_EQ(engine.m_failure.path, dir.File("in.wav"));
        EXPECT_EQ(engine.m_failure.reason, std::string("frame 30000, channel 4 holds ") +
                                               (std::isnan(bad) ? "NaN" : "-infinity") +
                                               " (frames count from 0, channels from 1)");
        EXPECT_FALSE(fs::exists(names[0]));
        EXPECT_EQ(engine.ends, 1);
    }
}

TEST(SurroundFilesDeathTest, AWriteThatTheDiskRefusesIsReported)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(100000, 4));
    auto run = [&] {
        LimitFileSize(64 * 1024);
        Surrounder engine(60.0, 1);
        Configure(engine, dir.File("in.wav"), {}, {dir.File("big.wav")});
        std::fprintf(stderr, "status=%d\n", engine.Run());
        std::exit(0);
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "status=522");
}

}  // namespace

namespace {

TEST(SurroundFiles, EachFileNamesTheLoudspeakersItHolds)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(300, 6));
    struct Case {
        int files;
        std::vector<unsigned> masks;  // front left 0x1, right 0x2, centre 0x4, LFE 0x8, back 0x10, 0x20
    };
    const Case cases[] = {
        {1, {0x3F}},
        {3, {0x3, 0xC, 0x30}},
        {6, {0x1, 0x2, 0x4, 0x8, 0x10, 0x20}},
    };
    for (const Case& c : cases) {
        const auto names = OutputNames(dir, c.files);
        {
            RecordingSurrounder engine(60.0, c.files);
            Configure(engine, dir.File("in.wav"), {}, names);
            ASSERT_EQ(engine.Run(), 0);
        }
        for (int f = 0; f < c.files; ++f)
            EXPECT_EQ(ChannelMask(names[f]), c.masks[f]) << c.files << " files, file " << f;
    }
}

}  // namespace
