// Autorange: one common factor brings the peak of all outputs to 0.5 and the mean of all
// their samples to zero, computed from the unclipped convolution.
#include "convolver/ConvolverFixture.h"

#include <algorithm>
#include <cmath>

using namespace vqtest;

namespace {

// The autoranged outputs as closed-form math on the direct convolution.
std::array<Signal, 4> Autoranged(std::array<Signal, 4> outputs)
{
    double peak = 0.0, sum = 0.0, count = 0.0;
    for (const Signal& s : outputs)
        for (double v : s) {
            peak = std::max(peak, std::fabs(v));
            sum += v;
            count += 1.0;
        }
    const double a = 0.5 / peak;
    const double d = a * sum / count;
    for (Signal& s : outputs)
        for (double& v : s)
            v = a * v - d;
    return outputs;
}

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

class AutorangeMatchesClosedForm : public testing::TestWithParam<AutorangeCase> {};

TEST_P(AutorangeMatchesClosedForm, OutputsArePeakHalfAndZeroMean)
{
    const AutorangeCase c = GetParam();
    TempDir dir;
    const std::int64_t frames = 30000;
    const int taps = 48;
    const Recording rec = MakeRecording(dir, frames, taps, 21);
    const auto names = OutputNames(dir, c.fileCount);
    {
        RecordingConvolver engine(c.fileCount);
        OpenRecording(engine, rec, names);
        engine.m_autorange = true;
        engine.m_gain = c.gain;
        engine.m_requestedBufferLength = 7000;
        engine.m_outputInfo.format = c.format;
        ASSERT_EQ(engine.Run(), 0);
        ASSERT_EQ(engine.Autorange(), 0);
        EXPECT_EQ(engine.m_clippedSamples, 0) << "nothing clips at a peak of 0.5";
        EXPECT_EQ(engine.starts, 2);
        EXPECT_EQ(engine.ends, 2);
        EXPECT_EQ(engine.lastTitle, "VessarQuilix");
        EXPECT_EQ(engine.lastMessage, "Autoranging...");
    }
    const auto expected = Autoranged(ExpectedOutputs(rec.capsules, rec.filters, c.gain, frames + taps));
    const auto actual = ReadBFormat(names, c.fileCount);
    double sum = 0.0;
    for (int j = 0; j < 4; ++j) {
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), c.tolerance) << "output " << j;
        for (double v : actual[j])
            sum += v;
    }
    EXPECT_NEAR(sum / (4.0 * (frames + taps)), 0.0, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, AutorangeMatchesClosedForm,
                         testing::Values(AutorangeCase{"FourDoubleFiles", 4, kFloat64Wav, 1.0, 1e-12},
                                         AutorangeCase{"OneFloatFile", 1, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 3.0, 1e-6},
                                         // The first pass clips at this gain; the result must not carry it.
                                         AutorangeCase{"ClippedFirstPass16Bit", 2, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16,
                                                       12.0, 1.0 / 32768}),
                         CaseName());

TEST(Autorange, SilentOutputIsLeftAsItIs)
{
    TempDir dir;
    const std::array<Signal, 4> silence = {Signal(800, 0.0), Signal(800, 0.0), Signal(800, 0.0), Signal(800, 0.0)};
    WriteAFormat(dir.File("F.wav"), dir.File("R.wav"), silence);
    WriteFilterMatrix(dir.File("M.wav"), RandomFilterMatrix(8, 1));
    RecordingConvolver engine(1);
    ASSERT_EQ(engine.OpenInputFile(dir.File("F.wav").c_str(), 0), 0);
    ASSERT_EQ(engine.OpenInputFile(dir.File("R.wav").c_str(), 1), 0);
    ASSERT_EQ(engine.LoadFilterMatrix(dir.File("M.wav").c_str()), 0);
    engine.SetOutputFileName(0, dir.File("out.wav"));
    ASSERT_EQ(engine.Run(), 0);
    EXPECT_EQ(engine.m_peak, 0.0);
    EXPECT_EQ(engine.Autorange(), 0);
    EXPECT_EQ(engine.starts, 1) << "no second pass for a silent result";
}

TEST(Autorange, CancelStopsThePassAndLeavesValidFiles)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 60000, 32, 8);
    const auto names = OutputNames(dir, 2);
    {
        RecordingConvolver engine(2);
        OpenRecording(engine, rec, names);
        engine.m_requestedBufferLength = 3000;
        ASSERT_EQ(engine.Run(), 0);
        engine.cancelAt = static_cast<int>(engine.updates.size()) + 1;
        EXPECT_EQ(engine.Autorange(), -1);
        EXPECT_TRUE(engine.m_aborted);
        EXPECT_EQ(engine.ends, 2) << "Autorange closes its display itself";
    }
    for (const auto& name : names)
        EXPECT_EQ(ReadAudio(name).info.frames, 60032);
}

}  // namespace
