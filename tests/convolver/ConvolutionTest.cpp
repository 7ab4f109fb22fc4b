// The engine's outputs against an independent direct convolution, in every layout, with
// one chunk, several chunks and inputs shorter than the filters; progress and cancel.
#include "convolver/ConvolverFixture.h"

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

struct ConvolutionCase {
    const char* name;
    int fileCount;
    int taps;
    std::int64_t frames;
    std::int64_t request;  // requested chunk length in frames
    double gain;
};

void PrintTo(const ConvolutionCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConvolutionMatchesDirect : public testing::TestWithParam<ConvolutionCase> {};

TEST_P(ConvolutionMatchesDirect, EveryOutputFrameIsTheLinearConvolution)
{
    const ConvolutionCase c = GetParam();
    TempDir dir;
    const Recording rec = MakeRecording(dir, c.frames, c.taps, 7);
    const auto names = OutputNames(dir, c.fileCount);
    {
        RecordingConvolver engine(c.fileCount);
        OpenRecording(engine, rec, names);
        engine.m_gain = c.gain;
        engine.m_requestedBufferLength = c.request;
        engine.m_outputInfo.format = kFloat64Wav;
        ASSERT_EQ(engine.Run(), 0);
        EXPECT_TRUE(engine.m_finished);
        EXPECT_FALSE(engine.m_aborted);
        EXPECT_EQ(engine.m_outputLength, c.frames + c.taps);
        EXPECT_EQ(engine.starts, 1);
        EXPECT_EQ(engine.ends, 1);
        EXPECT_TRUE(engine.threadsOk) << "progress must be reported on the calling thread";
        ASSERT_FALSE(engine.updates.empty());
        EXPECT_EQ(engine.updates.back().first, engine.updates.back().second);
        for (std::size_t i = 1; i < engine.updates.size(); ++i)
            EXPECT_GE(engine.updates[i].first, engine.updates[i - 1].first);
    }
    const auto expected = ExpectedOutputs(rec.capsules, rec.filters, c.gain, c.frames + c.taps);
    const auto actual = ReadBFormat(names, c.fileCount);
    for (int j = 0; j < 4; ++j) {
        ASSERT_EQ(actual[j].size(), expected[j].size()) << "output " << j;
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-12) << "output " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConvolutionMatchesDirect,
                         testing::Values(ConvolutionCase{"OneFileOneChunk", 1, 5, 1000, 524288, 1.0},
                                         ConvolutionCase{"TwoFilesRequestBelowOneHop", 2, 100, 20000, 1000, 0.5},
                                         ConvolutionCase{"FourFilesSeveralBlocksPerChunk", 4, 64, 50000, 9000, 2.0},
                                         ConvolutionCase{"InputShorterThanFilter", 1, 300, 17, 524288, 1.0},
                                         ConvolutionCase{"SingleTap", 2, 1, 3000, 700, 1.0},
                                         ConvolutionCase{"OddLengthManyChunks", 1, 513, 40000, 5000, 0.25}),
                         CaseName());

TEST(Convolution, EmptyInputsGiveEmptyOutputsAndStillReportStartAndEnd)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 0, 16, 3);
    const auto names = OutputNames(dir, 4);
    {
        RecordingConvolver engine(4);
        OpenRecording(engine, rec, names);
        EXPECT_EQ(engine.m_outputLength, 0);
        ASSERT_EQ(engine.Run(), 0);
        EXPECT_EQ(engine.starts, 1);
        EXPECT_EQ(engine.ends, 1);
    }
    for (const auto& name : names)
        EXPECT_EQ(ReadAudio(name).info.frames, 0);
}

TEST(Convolution, CancelLeavesNoOutputAndEarlierFilesUntouched)
{
    TempDir dir;
    const std::int64_t frames = 120000;
    const Recording rec = MakeRecording(dir, frames, 64, 11);
    const auto names = OutputNames(dir, 1);
    WriteChannels(names[0], {Signal(10, 0.25)});  // a good file of the output's name
    const auto before = std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator());
    {
        RecordingConvolver engine(1);
        OpenRecording(engine, rec, names);
        engine.m_requestedBufferLength = 4000;
        engine.m_outputInfo.format = kFloat64Wav;
        engine.cancelAt = 1;
        EXPECT_EQ(engine.Run(), -1);
        EXPECT_TRUE(engine.m_aborted);
        EXPECT_FALSE(engine.m_finished);
        EXPECT_EQ(engine.updates.size(), 1u);
        EXPECT_EQ(engine.starts, 1);
        EXPECT_EQ(engine.ends, 1) << "a cancelled pass ends like any other";
    }
    EXPECT_EQ(ReadAudio(names[0]).samples, Signal(10, 0.25)) << "the earlier file is as it was";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), before)
        << "no temporary is left behind";
}

TEST(Convolution, OneToFourThreadsGiveIdenticalOutputs)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 50000, 300, 21);
    std::vector<std::vector<double>> results;
    for (int threads : {1, 2, 4}) {
        const std::string out = dir.File("out" + std::to_string(threads) + ".wav");
        {
            QConvolver engine(1);
            OpenRecording(engine, rec, {out});
            engine.m_threads = threads;
            engine.m_requestedBufferLength = 9000;  // several chunks
            engine.m_outputInfo.format = kFloat64Wav;
            engine.m_autorange = true;
            ASSERT_EQ(engine.Run(), 0);
            ASSERT_EQ(engine.Autorange(), 0);
        }
        results.push_back(ReadAudio(out).samples);
    }
    EXPECT_EQ(results[1], results[0]) << "2 threads";
    EXPECT_EQ(results[2], results[0]) << "4 threads";
}

TEST(Convolution, OverRangeSamplesSaturateInIntegerFilesAndAreCounted)
{
    // Identity matrix: output j is input j times the gain.
    TempDir dir;
    const std::int64_t frames = 100;
    FilterMatrix identity;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            identity[k][j] = Signal{k == j ? 1.0 : 0.0};
    const std::array<Signal, 4> capsules = {Signal(frames, 0.75), Signal(frames, -0.75), Signal(frames, 0.25),
                                            Signal(frames, 0.0)};
    WriteAFormat(dir.File("F.wav"), dir.File("R.wav"), capsules);
    WriteFilterMatrix(dir.File("M.wav"), identity);

    struct Case {
        int format;
        std::int64_t clipped;
        double w, x;
    };
    for (const Case c : {Case{SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2 * frames, 32767.0 / 32768.0, -1.0},
                         Case{SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2 * frames, 8388607.0 / 8388608.0, -1.0},
                         Case{SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 0, 1.5, -1.5}}) {
        const std::string out = dir.File("out.wav");
        {
            QConvolver engine(1);
            ASSERT_EQ(engine.OpenInputFile(dir.File("F.wav").c_str(), 0), 0);
            ASSERT_EQ(engine.OpenInputFile(dir.File("R.wav").c_str(), 1), 0);
            ASSERT_EQ(engine.LoadFilterMatrix(dir.File("M.wav").c_str()), 0);
            engine.SetOutputFileName(0, out);
            engine.m_gain = 2.0;
            engine.m_outputInfo.format = c.format;
            ASSERT_EQ(engine.Run(), 0);
            EXPECT_EQ(engine.m_clippedSamples, c.clipped) << std::hex << c.format;
            EXPECT_DOUBLE_EQ(engine.m_peak, 1.5);
        }
        const Audio a = ReadAudio(out);
        EXPECT_NEAR(a.Channel(0)[10], c.w, 1e-6) << "W of " << std::hex << c.format;
        EXPECT_NEAR(a.Channel(1)[10], c.x, 1e-6) << "X of " << std::hex << c.format;
        EXPECT_NEAR(a.Channel(2)[10], 0.5, 1e-4);
    }
}

TEST(Convolution, BaseProgressIsSilentAndDefaultOutputNames)
{
    QConvolver engine(1);
    testing::internal::CaptureStdout();
    engine.ProgressStart(nullptr, nullptr);
    EXPECT_TRUE(engine.ProgressUpdate(1, 4));
    engine.ProgressEnd();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the engines print nothing";
    EXPECT_EQ(engine.m_outputFileNames[0], "out_000.wav");
    EXPECT_EQ(engine.m_outputFileNames[3], "out_003.wav");
}

}  // namespace
