// The decoder's outputs against the decoding equations in every layout, the directions of
// its virtual microphones, block-length independence, progress, cancel and saturation.
#include "surround/SurroundFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace vqtest;

namespace {

struct DecodeCase {
    const char* name;
    int fileCount;
    DecodeSettings settings;
    std::int64_t frames;
    std::int64_t request;  // requested block length in frames
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class DecodeMatchesEquations : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeMatchesEquations, EveryChannelInItsPlace)
{
    const DecodeCase c = GetParam();
    TempDir dir;
    const BFormat input = RandomBFormat(c.frames, 3);
    WriteBFormat(dir.File("bformat.wav"), input, c.settings.rate);
    const auto names = OutputNames(dir, c.fileCount);
    {
        RecordingSurrounder engine(60.0, c.fileCount);
        Configure(engine, dir.File("bformat.wav"), c.settings, names);
        engine.m_requestedBufferLength = c.request;
        engine.m_outputInfo.format = kFloat64Wav;
        ASSERT_EQ(engine.Run(), 0);
        EXPECT_TRUE(engine.m_finished);
        EXPECT_FALSE(engine.m_aborted);
        EXPECT_EQ(engine.starts, 1);
        EXPECT_EQ(engine.ends, 1);
        EXPECT_EQ(engine.lastTitle, "(null)");
        EXPECT_EQ(engine.m_clippedSamples, 0);
    }
    const FiveOne expected = ExpectedFiveOne(input, c.settings);
    const FiveOne actual = ReadFiveOne(names, c.fileCount);
    for (int k = 0; k < 6; ++k) {
        ASSERT_EQ(actual[k].size(), expected[k].size()) << kChannelNames[k];
        EXPECT_LT(MaxAbsDifference(actual[k], expected[k]), 1e-12) << kChannelNames[k];
    }
    EXPECT_EQ(ReadAudio(names[0]).info.samplerate, c.settings.rate);
    if (!c.settings.lfe) {
        EXPECT_EQ(MaxAbsDifference(actual[kLfe], Signal(c.frames, 0.0)), 0.0) << "LFE must be silent";
    }
}

// Z is random in every case and must change nothing; the equations ignore it.
INSTANTIATE_TEST_SUITE_P(
    Layouts, DecodeMatchesEquations,
    testing::Values(DecodeCase{"OneFileLfeSeveralBlocks", 1, {60.0, 1.0, true, 48000}, 2500, 1000},
                    DecodeCase{"ThreeFilesNoLfeOneBlock", 3, {45.0, 0.5, false, 44100}, 2500, 524288},
                    DecodeCase{"SixFilesLfeOddBlocks", 6, {90.0, 2.0, true, 96000}, 3001, 777},
                    DecodeCase{"SixFilesNoLfeNarrowAngle", 6, {15.0, 1.0, false, 48000}, 100, 7},
                    DecodeCase{"ThreeFilesLfeLongBlocks", 3, {60.0, 1.0, true, 48000}, 50000, 1 << 20}),
    CaseName());

// Direction in degrees (0 front, 90 left) of the largest sample of `s`, frame i at i * step.
double PeakDirection(const Signal& s, double step)
{
    const auto loudest = std::max_element(s.begin(), s.end());
    return double(loudest - s.begin()) * step;
}

double AngleBetween(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

TEST(Decode, EachVirtualMicrophoneFacesItsLoudspeaker)
{
    // A plane wave circling the listener: frame i comes from i * step degrees.
    const double step = 0.25;
    const int frames = static_cast<int>(360.0 / step);
    BFormat wave;
    for (Signal& s : wave)
        s.resize(frames);
    const double pi = 3.141592653589793;
    for (int i = 0; i < frames; ++i) {
        const double theta = i * step * pi / 180.0;
        wave[0][i] = 1.0 / std::sqrt(2.0);
        wave[1][i] = std::cos(theta);
        wave[2][i] = std::sin(theta);
        wave[3][i] = 0.0;
    }
    TempDir dir;
    WriteBFormat(dir.File("circle.wav"), wave);
    for (double angle : {15.0, 60.0, 90.0}) {
        const auto names = OutputNames(dir, 1);
        {
            Surrounder engine(angle, 1);
            Configure(engine, dir.File("circle.wav"), {angle, 1.0, false, 48000}, names);
            engine.m_outputInfo.format = kFloat64Wav;
            ASSERT_EQ(engine.Run(), 0);
        }
        const FiveOne out = ReadFiveOne(names, 1);
        // Loudspeakers of 5.1: L and R at plus and minus half the opening angle, the
        // surrounds at 120 degrees plus a sixth of it (130 for the usual 60).
        const double front = angle / 2.0, rear = 120.0 + angle / 6.0;
        const double directions[6] = {front, -front, 0.0, 0.0, rear, -rear};
        for (int k : {kL, kR, kC, kLs, kRs})
            EXPECT_LE(AngleBetween(PeakDirection(out[k], step), directions[k]), step)
                << kChannelNames[k] << " at opening angle " << angle;
        const int left = static_cast<int>(90.0 / step);
        EXPECT_GT(out[kL][left], out[kR][left]) << "a source at the left is louder in L";
        EXPECT_GT(out[kLs][left], out[kRs][left]) << "and in Ls than in Rs";
    }
}

TEST(Decode, BlockLengthDoesNotChangeASingleSample)
{
    TempDir dir;
    // Longer than the decoder's inner pieces, so that blocks of every kind of size meet.
    const std::int64_t frames = 40000;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(frames, 17));
    std::vector<FiveOne> results;
    for (std::int64_t request : {std::int64_t(1) << 22, std::int64_t(20001), std::int64_t(1000), std::int64_t(1)}) {
        const auto names = OutputNames(dir, 3);
        {
            Surrounder engine(60.0, 3);
            Configure(engine, dir.File("in.wav"), {60.0, 1.5, true, 48000}, names);
            engine.m_requestedBufferLength = request;
            engine.m_outputInfo.format = kFloat64Wav;
            ASSERT_EQ(engine.Run(), 0);
            EXPECT_EQ(engine.m_bufferLength, std::min(request, frames));
        }
        results.push_back(ReadFiveOne(names, 3));
    }
    for (std::size_t r = 1; r < results.size(); ++r)
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(results[r][k], results[0][k]) << kChannelNames[k] << " with request " << r;
}

TEST(Decode, ProgressReportsTheFramesDoneAfterEachBlock)
{
    const std::int64_t n = 1000;
    using Updates = std::vector<std::pair<std::int64_t, std::int64_t>>;
    struct Case {
        std::int64_t frames;
        Updates updates;
    };
    const Case cases[] = {
        {n, {{n, n}}},
        {n + 1, {{n, n + 1}, {n + 1, n + 1}}},
        {3 * n, {{n, 3 * n}, {2 * n, 3 * n}, {3 * n, 3 * n}}},
        {0, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteBFormat(dir.File("in.wav"), RandomBFormat(c.frames, 2));
        const auto names = OutputNames(dir, 6);
        {
            RecordingSurrounder engine(60.0, 6);
            Configure(engine, dir.File("in.wav"), {}, names);
            engine.m_requestedBufferLength = n;
            ASSERT_EQ(engine.Run(), 0) << c.frames << " frames";
            EXPECT_EQ(engine.updates, c.updates) << c.frames << " frames";
            EXPECT_EQ(engine.starts, 1);
            EXPECT_EQ(engine.ends, 1);
        }
        for (const auto& name : names)
            EXPECT_EQ(ReadAudio(name).info.frames, c.frames);
    }
}

TEST(Decode, BlocksStayBoundedWhateverIsRequested)
{
    TempDir dir;
    const std::int64_t frames = (std::int64_t(1) << 20) + 5;
    WriteBFormat(dir.File("long.wav"), RandomBFormat(frames, 4), 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    RecordingSurrounder engine(60.0, 1);
    Configure(engine, dir.File("long.wav"), {}, OutputNames(dir, 1));
    engine.m_requestedBufferLength = std::int64_t(1) << 40;
    ASSERT_EQ(engine.Run(), 0);
    EXPECT_EQ(engine.m_bufferLength, std::int64_t(1) << 20);
    const std::vector<std::pair<std::int64_t, std::int64_t>> updates = {{std::int64_t(1) << 20, frames},
                                                                        {frames, frames}};
    EXPECT_EQ(engine.updates, updates);
}

TEST(Decode, CancelStopsAtOnceAndLeavesNoOutput)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), RandomBFormat(50000, 8));
    const auto names = OutputNames(dir, 3);
    WriteChannels(names[1], {Signal(10, 0.25), Signal(10, 0.25)});  // an earlier file of that name
    {
        RecordingSurrounder engine(60.0, 3);
        Configure(engine, dir.File("in.wav"), {60.0, 1.0, true, 48000}, names);
        engine.m_requestedBufferLength = 20000;
        engine.cancelAt = 1;
        EXPECT_EQ(engine.Run(), -1);
        EXPECT_TRUE(engine.m_aborted);
        EXPECT_FALSE(engine.m_finished);
        EXPECT_EQ(engine.updates.size(), 1u);
        EXPECT_EQ(engine.ends, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(names[0]));
    EXPECT_FALSE(std::filesystem::exists(names[2]));
    EXPECT_EQ(ReadAudio(names[1]).samples, Signal(20, 0.25)) << "an earlier file is left as it was";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 2)
        << "no temporary is left behind";
}

TEST(Decode, OverRangeSamplesSaturateInIntegerFilesAndAreCounted)
{
    TempDir dir;
    const BFormat input = RandomBFormat(20000, 12);
    WriteBFormat(dir.File("in.wav"), input);
    const DecodeSettings settings{60.0, 4.0, true, 48000};
    const FiveOne expected = ExpectedFiveOne(input, settings);
    std::int64_t overFullScale = 0;
    FiveOne saturated = expected;
    for (Signal& channel : saturated)
        for (double& v : channel) {
            overFullScale += std::fabs(v) > 1.0;
            v = std::clamp(v, -1.0, 1.0);
        }
    ASSERT_GT(overFullScale, 0);

    struct Case {
        int format;
        std::int64_t clipped;
        const FiveOne& samples;
        double tolerance;
    };
    for (const Case& c : {Case{SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, overFullScale, saturated, 2.0 / 32768},
                          Case{SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, overFullScale, saturated, 2.0 / 8388608},
                          Case{SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 0, expected, 1e-6}}) {
        const auto names = OutputNames(dir, 1);
        {
            Surrounder engine(60.0, 1);
            Configure(engine, dir.File("in.wav"), settings, names);
            engine.m_outputInfo.format = c.format;
            ASSERT_EQ(engine.Run(), 0);
            EXPECT_EQ(engine.m_clippedSamples, c.clipped) << std::hex << c.format;
            EXPECT_NEAR(engine.m_peak, Peak(expected), 1e-12);
        }
        const FiveOne actual = ReadFiveOne(names, 1);
        for (int k = 0; k < 6; ++k)
            EXPECT_LT(MaxAbsDifference(actual[k], c.samples[k]), c.tolerance)
                << kChannelNames[k] << " of " << std::hex << c.format;
    }
}

TEST(Decode, BaseProgressIsSilentAndDefaults)
{
    Surrounder engine(60.0, 3);
    testing::internal::CaptureStdout();
    engine.ProgressStart(nullptr, nullptr);
    EXPECT_TRUE(engine.ProgressUpdate(25, 100));
    engine.ProgressEnd();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the engines print nothing";
    EXPECT_EQ(engine.m_outputFileNames[0], "out_000.wav");
    EXPECT_EQ(engine.m_outputFileNames[2], "out_002.wav");
    EXPECT_EQ(engine.m_outputInfo.channels, 2);
    EXPECT_EQ(engine.m_outputInfo.format, 0x130002);
    EXPECT_EQ(engine.m_requestedBufferLength, 524288);
    EXPECT_EQ(engine.m_openingAngle, 60.0);
    EXPECT_EQ(Surrounder(45.0, 6).m_outputInfo.channels, 1);
    EXPECT_EQ(Surrounder(45.0, 1).m_outputInfo.channels, 6);
}

}  // namespace
