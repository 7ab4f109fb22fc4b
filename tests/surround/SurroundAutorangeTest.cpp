// Autorange of the 5.1 outputs: one common factor brings the peak of all six channels to
// 0.5, computed from the decoding equations, not from what the first pass wrote.
#include "surround/SurroundFixture.h"

#include <filesystem>

using namespace vqtest;

namespace {

struct AutorangeCase {
    const char* name;
    int fileCount;
    int format;
    double gain;
    double tolerance;
};

void PrintTo(const AutorangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SurroundAutorange : public testing::TestWithParam<AutorangeCase> {};

TEST_P(SurroundAutorange, PeakIsHalfAndChannelRatiosAreKept)
{
    const AutorangeCase c = GetParam();
    TempDir dir;
    const BFormat input = RandomBFormat(6000, 31);
    WriteBFormat(dir.File("in.wav"), input);
    const DecodeSettings settings{75.0, c.gain, true, 48000};
    const FiveOne decoded = ExpectedFiveOne(input, settings);
    const auto names = OutputNames(dir, c.fileCount);
    {
        RecordingSurrounder engine(75.0, c.fileCount);
        Configure(engine, dir.File("in.wav"), settings, names);
        engine.m_autorange = true;
        engine.m_requestedBufferLength = 2500;
        engine.m_outputInfo.format = c.format;
        ASSERT_EQ(engine.Run(), 0);
        const bool clips = Peak(decoded) > 1.0 && c.format != kFloat64Wav;
        EXPECT_EQ(engine.m_clippedSamples > 0, clips);
        ASSERT_EQ(engine.Autorange(), 0);
        EXPECT_EQ(engine.m_clippedSamples, 0) << "nothing clips at a peak of 0.5";
        EXPECT_EQ(engine.starts, 2);
        EXPECT_EQ(engine.ends, 2);
        EXPECT_EQ(engine.lastTitle, "VessarQuilix");
        EXPECT_EQ(engine.lastMessage, "Autoranging...");
        const std::vector<std::pair<std::int64_t, std::int64_t>> pass = {{2500, 6000}, {5000, 6000}, {6000, 6000}};
        std::vector<std::pair<std::int64_t, std::int64_t>> twoPasses = pass;
        twoPasses.insert(twoPasses.end(), pass.begin(), pass.end());
        EXPECT_EQ(engine.updates, twoPasses);
    }
    const FiveOne expected = Scaled(decoded, 0.5 / Peak(decoded));
    const FiveOne actual = ReadFiveOne(names, c.fileCount);
    for (int k = 0; k < 6; ++k)
        EXPECT_LT(MaxAbsDifference(actual[k], expected[k]), c.tolerance) << kChannelNames[k];
    EXPECT_NEAR(Peak(actual), 0.5, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, SurroundAutorange,
                         testing::Values(AutorangeCase{"SixDoubleFiles", 6, kFloat64Wav, 1.0, 1e-12},
                                         AutorangeCase{"OneFloatFile", 1, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 0.2, 1e-6},
                                         // The first pass clips at this gain; the result must not carry it.
                                         AutorangeCase{"ClippedFirstPass16Bit", 3, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16,
                                                       6.0, 1.5 / 32768}),
                         CaseName());

TEST(SurroundAutorange, SilenceIsLeftAsItIs)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), {Signal(700, 0.0), Signal(700, 0.0), Signal(700, 0.0), Signal(700, 0.0)});
    const auto names = OutputNames(dir, 1);
    {
        RecordingSurrounder engine(60.0, 1);
        Configure(engine, dir.File("in.wav"), {60.0, 1.0, true, 48000}, names);
        ASSERT_EQ(engine.Run(), 0);
        EXPECT_EQ(engine.m_peak, 0.0);
        EXPECT_EQ(engine.Autorange(), 0);
        EXPECT_EQ(engine.starts, 1) << "no second pass for a silent result";
    }
    const Audio out = ReadAudio(names[0]);
    EXPECT_EQ(out.info.frames, 700);
    EXPECT_EQ(MaxAbsDifference(out.samples, Signal(6 * 700, 0.0)), 0.0);
}

TEST(SurroundAutorange, CancelStopsThePassAndLeavesNoOutput)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(9000, 2));
    const auto names = OutputNames(dir, 6);
    {
        RecordingSurrounder engine(60.0, 6);
        Configure(engine, dir.File("in.wav"), {}, names);
        engine.m_requestedBufferLength = 3000;
        engine.m_autorange = true;
        ASSERT_EQ(engine.Run(), 0);
        engine.cancelAt = static_cast<int>(engine.updates.size()) + 1;
        EXPECT_EQ(engine.Autorange(), -1);
        EXPECT_TRUE(engine.m_aborted);
        EXPECT_EQ(engine.ends, 2);
    }
    for (const auto& name : names)
        EXPECT_FALSE(std::filesystem::exists(name)) << "nothing under a final name unless complete";
}

}  // namespace
