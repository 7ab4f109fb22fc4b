// Opening and checking the engine's files: every status code, the lengths derived from
// the files, and what is (not) created when a check fails.
#include "convolver/ConvolverFixture.h"

#include "common/EngineStatus.h"
#include "common/FiniteSamples.h"

#include <sys/resource.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

struct Files {
    explicit Files(const TempDir& d) : dir(d) {}
    const TempDir& dir;
    std::string Stereo(const std::string& name, std::int64_t frames, int rate = 48000, int channels = 2)
    {
        WriteChannels(dir.File(name), std::vector<Signal>(channels, Noise(frames, 1)), rate);
        return dir.File(name);
    }
    std::string Matrix(const std::string& name, std::int64_t frames, int rate = 48000, int channels = 4)
    {
        WriteChannels(dir.File(name), std::vector<Signal>(channels, Noise(frames, 2, 0.1)), rate);
        return dir.File(name);
    }
};

TEST(EngineFiles, SecondInputIsCheckedAgainstTheFirst)
{
    TempDir dir;
    Files f(dir);
    const std::string first = f.Stereo("a.wav", 1000);
    struct Case {
        const char* what;
        std::string second;
        int expected;
    };
    const Case cases[] = {
        {"other rate, channels and length", f.Stereo("b.wav", 999, 44100, 1), vq::kSampleRateMismatch},
        {"other channel count", f.Stereo("c.wav", 1000, 48000, 1), vq::kChannelCountMismatch},
        {"other length", f.Stereo("d.wav", 1001), vq::kLengthMismatch},
        {"not a sound file", dir.File("missing.wav"), vq::kInputOpenFailed},
        {"same description", f.Stereo("e.wav", 1000), vq::kStatusOk},
    };
    for (const Case& c : cases) {
        QConvolver engine(1);
        ASSERT_EQ(engine.OpenInputFile(first.c_str(), 0), 0);
        EXPECT_EQ(engine.OpenInputFile(c.second.c_str(), 1), c.expected) << c.what;
    }
    QConvolver engine(1);
    EXPECT_EQ(engine.OpenInputFile(first.c_str(), 4), vq::kBadParameter);
    EXPECT_EQ(engine.OpenInputFile(nullptr, 0), vq::kBadParameter);
}

TEST(EngineFiles, ARefusedInputIsClosedSoThatRunCannotPass)
{
    TempDir dir;
    Files f(dir);
    QConvolver engine(1);
    ASSERT_EQ(engine.OpenInputFile(f.Stereo("a.wav", 1000).c_str(), 0), 0);
    EXPECT_EQ(engine.OpenInputFile(f.Stereo("b.wav", 999).c_str(), 1), vq::kLengthMismatch);
    EXPECT_EQ(engine.m_inputFiles[1], nullptr);
    EXPECT_EQ(engine.m_failure.path, dir.File("b.wav"));
    EXPECT_EQ(engine.m_failure.reason, "999 frames, the other input 1000");
    ASSERT_EQ(engine.LoadFilterMatrix(f.Matrix("m.wav", 64).c_str()), 0);
    EXPECT_EQ(engine.Run(), vq::kMissingInputFile);
}

TEST(EngineFiles, OperationsOutOfOrderAreRefused)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 300, 16, 2);
    QConvolver engine(1);
    OpenRecording(engine, rec, {dir.File("out.wav")});
    EXPECT_EQ(engine.Autorange(), vq::kBadState) << "before Run";
    EXPECT_EQ(engine.SetOutputFileName(1, dir.File("x.wav")), vq::kBadParameter) << "one output file only";
    engine.m_autorange = true;
    ASSERT_EQ(engine.Run(), 0);
    EXPECT_EQ(engine.Run(), vq::kBadState) << "a second Run";
    EXPECT_EQ(engine.OpenInputFile(rec.front.c_str(), 0), vq::kBadState);
    EXPECT_EQ(engine.LoadFilterMatrix(rec.matrix.c_str()), vq::kBadState);
    ASSERT_EQ(engine.Autorange(), 0);
    const double peak = engine.m_peak;
    EXPECT_EQ(engine.Autorange(), vq::kBadState) << "a second Autorange would scale twice";
    EXPECT_EQ(engine.m_peak, peak);
}

TEST(EngineFiles, AMatrixWhoseFramesAreNotFourFiltersIsRefused)
{
    TempDir dir;
    Files f(dir);
    for (int extra : {1, 2, 3}) {
        QConvolver engine(1);
        const std::string matrix = f.Matrix("m.wav", 4 * 64 + extra);
        EXPECT_EQ(engine.LoadFilterMatrix(matrix.c_str()), vq::kFilterMatrixLength) << extra;
        EXPECT_EQ(engine.m_failure.reason, std::to_string(4 * 64 + extra) + " frames");
    }
}

TEST(EngineFiles, RunRefusesABadSetupBeforeCreatingAnyOutput)
{
    TempDir dir;
    Files f(dir);
    const std::string in = f.Stereo("in.wav", 500);
    const std::string mono = f.Stereo("mono.wav", 500, 48000, 1);
    const std::string matrix = f.Matrix("m.wav", 64);
    struct Case {
        const char* what;
        std::string input0, input1, filter;
        int loadStatus;
        int runStatus;
    };
    const Case cases[] = {
        {"no filter matrix", in, in, "", vq::kFilterMatrixOpenFailed, vq::kFilterMatrixNotOpen},
        {"two-channel matrix", in, in, f.Matrix("m2.wav", 64, 48000, 2), 0, vq::kFilterMatrixChannels},
        {"matrix at another rate", in, in, f.Matrix("m3.wav", 64, 44100), 0, vq::kSampleRateMismatch},
        {"second input missing", in, "", matrix, 0, vq::kMissingInputFile},
        {"mono inputs", mono, mono, matrix, 0, vq::kChannelCountMismatch},
        {"matrix of three frames", in, in, f.Matrix("m4.wav", 3), vq::kFilterMatrixLength, vq::kFilterMatrixLength},
    };
    for (const Case& c : cases) {
        const std::string out = dir.File("out.wav");
        QConvolver engine(1);
        engine.OpenInputFile(c.input0.c_str(), 0);
        if (!c.input1.empty())
            engine.OpenInputFile(c.input1.c_str(), 1);
        EXPECT_EQ(engine.LoadFilterMatrix(c.filter.c_str()), c.loadStatus) << c.what;
        engine.SetOutputFileName(0, out);
        EXPECT_EQ(engine.Run(), c.runStatus) << c.what;
        EXPECT_FALSE(fs::exists(out)) << c.what;
    }
}

TEST(EngineFiles, OutputsNeverReplaceTheFilesTheRunReads)
{
    TempDir dir;
    Files f(dir);
    const std::string front = f.Stereo("takeF.wav", 500);
    const std::string rear = f.Stereo("takeR.wav", 500);
    const std::string matrix = f.Matrix("m.wav", 64);
    const auto frontBytes = fs::file_size(front);
    struct Case {
        const char* what;
        std::vector<std::string> outputs;
        int expected;
    };
    const Case cases[] = {
        {"an input", {dir.File("W.wav"), front, dir.File("Y.wav"), dir.File("Z.wav")}, vq::kOutputOverwritesInput},
        {"the input by another path", {dir.Path() + "/./takeR.wav", "x", "y", "z"}, vq::kOutputOverwritesInput},
        {"the filter matrix", {matrix, "x", "y", "z"}, vq::kOutputOverwritesInput},
        {"another output", {dir.File("a.wav"), dir.File("b.wav"), dir.File("a.wav"), "z"}, vq::kOutputOverwritesInput},
        {"a missing directory", {dir.File("no/such/dir.wav"), "x", "y", "z"}, vq::kOutputOpenFailed},
    };
    for (const Case& c : cases) {
        QConvolver engine(4);
        ASSERT_EQ(engine.OpenInputFile(front.c_str(), 0), 0);
        ASSERT_EQ(engine.OpenInputFile(rear.c_str(), 1), 0);
        ASSERT_EQ(engine.LoadFilterMatrix(matrix.c_str()), 0);
        for (int i = 0; i < 4; ++i)
            engine.SetOutputFileName(i, c.outputs[i]);
        EXPECT_EQ(engine.Run(), c.expected) << c.what;
        if (c.expected == vq::kOutputOverwritesInput) {  // the pair of names that clash
            EXPECT_NE(engine.m_failure.reason.find("the same file as"), std::string::npos) << c.what;
        }
    }
    EXPECT_EQ(fs::file_size(front), frontBytes);
    EXPECT_EQ(ReadAudio(rear).info.frames, 500);
}

TEST(EngineFiles, LengthsComeFromTheFilesInEitherOpeningOrder)
{
    TempDir dir;
    Files f(dir);
    const std::string in = f.Stereo("in.wav", 1000);
    const std::string matrix = f.Matrix("m.wav", 16384);
    QConvolver inputsFirst(1), matrixFirst(1);
    ASSERT_EQ(inputsFirst.OpenInputFile(in.c_str(), 0), 0);
    ASSERT_EQ(inputsFirst.OpenInputFile(in.c_str(), 1), 0);
    ASSERT_EQ(inputsFirst.LoadFilterMatrix(matrix.c_str()), 0);
    ASSERT_EQ(matrixFirst.LoadFilterMatrix(matrix.c_str()), 0);
    ASSERT_EQ(matrixFirst.OpenInputFile(in.c_str(), 0), 0);
    ASSERT_EQ(matrixFirst.OpenInputFile(in.c_str(), 1), 0);
    for (QConvolver* e : {&inputsFirst, &matrixFirst}) {
        EXPECT_EQ(e->m_filterLength, 4096);
        EXPECT_EQ(e->m_outputLength, 5096);
    }
}

TEST(EngineFiles, TransformLengthFitsTheFilter)
{
    TempDir dir;
    Files f(dir);
    for (int taps : {1, 4, 5, 100, 4096, 4097}) {
        QConvolver engine(1);
        ASSERT_EQ(engine.LoadFilterMatrix(f.Matrix("m.wav", 4 * taps).c_str()), 0);
        const int n = engine.m_fftLength;
        EXPECT_EQ(n & (n - 1), 0) << "power of two for L=" << taps;
        // At least 4096 points and four times the filter, and no more than needed for that.
        EXPECT_GE(n, 4096);
        EXPECT_GE(n, 4 * taps);
        EXPECT_TRUE(n == 4096 || n / 2 < 4 * taps) << "smallest such length for L=" << taps;
    }
}

TEST(EngineFiles, AnExistingLongerOutputIsReplacedByExactlyTheNewFrames)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 300, 20, 5);
    const std::string out = dir.File("out.wav");
    WriteChannels(out, std::vector<Signal>(2, Signal(100000, 0.1)), 44100);
    {
        QConvolver engine(1);
        engine.m_autorange = true;
        OpenRecording(engine, rec, {out});
        ASSERT_EQ(engine.Run(), 0);
        ASSERT_EQ(engine.Autorange(), 0);
    }
    const Audio a = ReadAudio(out);
    EXPECT_EQ(a.info.frames, 320);
    EXPECT_EQ(a.info.channels, 4);
    EXPECT_EQ(a.info.samplerate, 48000);
}

// Shortens a file behind the engine's back, as a failing disk or another program would.
void Truncate(const std::string& path, std::uintmax_t bytes)
{
    fs::resize_file(path, bytes);
}

TEST(EngineFiles, ReadFailuresDuringTheRunAreReported)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 50000, 32, 9);
    {
        QConvolver engine(1);
        OpenRecording(engine, rec, {dir.File("a.wav")});
        Truncate(rec.rear, 2000);
        EXPECT_EQ(engine.Run(), vq::kInputReadFailed);
        EXPECT_FALSE(engine.m_finished);
    }
    const Recording again = MakeRecording(dir, 500, 32, 9);
    QConvolver engine(1);
    OpenRecording(engine, again, {dir.File("b.wav")});
    Truncate(again.matrix, 300);
    EXPECT_EQ(engine.Run(), vq::kFilterMatrixReadFailed);
}

// The sweep for NaN and infinities, against a plain scan: every place, the tail after the
// last whole group of four, and the extremes of the finite numbers, which are no finding.
TEST(EngineFiles, NonFiniteSamplesAreFoundWhereverTheyAre)
{
    const double finite[] = {0.0, -0.0, DBL_MAX, -DBL_MAX, DBL_MIN / 8, 1e300};
    const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
    for (const int channels : {1, 2, 3, 4}) {
        const std::int64_t frames = 7;
        std::vector<double> samples(static_cast<std::size_t>(frames * channels));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = finite[i % 6];
        vq::NonFiniteSample found;
        EXPECT_FALSE(vq::FindNonFinite(samples.data(), frames, channels, &found)) << channels;
        for (std::size_t at = 0; at < samples.size(); ++at) {
            for (const double value : bad) {
                std::vector<double> copy = samples;
                if (at + 1 < copy.size())
                    copy.back() = bad[0];  // a later one does not hide the first
                copy[at] = value;
                ASSERT_TRUE(vq::FindNonFinite(copy.data(), frames, channels, &found)) << channels << " " << at;
                EXPECT_EQ(found.frame, static_cast<std::int64_t>(at) / channels);
                EXPECT_EQ(found.channel, static_cast<int>(at % channels));
                EXPECT_EQ(std::isnan(found.value), std::isnan(value));
            }
        }
    }
}

TEST(EngineFilesDeathTest, AWriteThatTheDiskRefusesIsReported)
{
    // A file-size limit makes the disk refuse writes past 64 KiB, as a full disk would.
    TempDir dir;
    const Recording rec = MakeRecording(dir, 100000, 16, 4);
    const std::string out = dir.File("big.wav");
    auto run = [&] {
        LimitFileSize(64 * 1024);
        QConvolver engine(1);
        OpenRecording(engine, rec, {out});
        std::fprintf(stderr, "status=%d\n", engine.Run());
        std::exit(0);
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "status=522");
}

TEST(EngineFilesDeathTest, MemoryThatCannotBeHadIsReported)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit allows";
#else
    // The longest filters (2^20 taps) need 512 MiB of filter spectra; the address space of
    // the process is limited below that.
    TempDir dir;
    WriteNoiseFile(dir.File("in.wav"), 2, 1000, 1);
    WriteNoiseFile(dir.File("m.wav"), 4, std::int64_t(4) << 20, 2, 0.01, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    auto run = [&] {
        const rlimit limit{400u << 20, 400u << 20};
        setrlimit(RLIMIT_AS, &limit);
        QConvolver engine(1);
        engine.OpenInputFile(dir.File("in.wav").c_str(), 0);
        engine.OpenInputFile(dir.File("in.wav").c_str(), 1);
        engine.LoadFilterMatrix(dir.File("m.wav").c_str());
        engine.SetOutputFileName(0, dir.File("out.wav"));
        std::fprintf(stderr, "status=%d\n", engine.Run());
        std::exit(0);
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "status=525");
#endif
}

}  // namespace
