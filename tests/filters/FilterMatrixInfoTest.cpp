// What a filter-matrix file says about itself: the designer writes its description and
// delay into the file's LIST/INFO chunk (checked here byte by byte), the reader gives them
// back, and a matrix without them gets its delay estimated from W's group delay.
#include "filters/PlaneWaveSimulation.h"
#include "filters/StagedFiles.h"
#include "filters/ToolRunner.h"
#include "support/TestAudio.h"

#include "common/EngineStatus.h"
#include "common/FilterMatrixInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>

using namespace vqtest;

namespace {

// The texts of the INFO list of a RIFF WAVE file, by chunk id, read straight from its bytes.
std::map<std::string, std::string> InfoTexts(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    std::map<std::string, std::string> texts;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = u32(at + 4);
        if (bytes.compare(at, 4, "LIST") == 0 && bytes.compare(at + 8, 4, "INFO") == 0)
            for (std::size_t sub = at + 12; sub + 8 <= at + 8 + size;) {
                const std::uint32_t length = u32(sub + 4);
                const std::string text = bytes.substr(sub + 8, length);
                texts[bytes.substr(sub, 4)] = text.substr(0, text.find('\0'));
                sub += 8 + length + (length & 1);
            }
        at += 8 + size + (size & 1);
    }
    return texts;
}

// A matrix whose four filters into W are `w` and whose other filters are random, written
// with `comment` as its INFO comment (none when empty).
void WriteMatrix(const std::string& path, const Signal& w, const std::string& comment = "", int channels = 4)
{
    FilterMatrix filters = RandomFilterMatrix(static_cast<int>(w.size()), 7);
    for (int k = 0; k < 4; ++k)
        filters[k][0] = w;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    if (!comment.empty())
        sf_set_string(file, SF_STR_COMMENT, comment.c_str());
    const std::size_t taps = w.size();
    std::vector<double> frames(4 * taps * static_cast<std::size_t>(channels), 0.0);
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < std::min(channels, 4); ++j)
            for (std::size_t n = 0; n < taps; ++n)
                frames[(k * taps + n) * static_cast<std::size_t>(channels) + static_cast<std::size_t>(j)] =
                    filters[k][j][n];
    sf_writef_double(file, frames.data(), static_cast<sf_count_t>(4 * taps));
    sf_close(file);
}

// A band-limited impulse at `at` samples (Hann-windowed sinc), `taps` long.
Signal DelayedImpulse(double at, int taps)
{
    Signal h(static_cast<std::size_t>(taps), 0.0);
    for (int n = 0; n < taps; ++n) {
        const double x = n - at;
        if (std::fabs(x) < 24.0)
            h[static_cast<std::size_t>(n)] =
                (x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x)) * 0.5 * (1.0 + std::cos(kPi * x / 24.0));
    }
    return h;
}

TEST(FilterMatrixInfo, TheDesignerWritesItsDescriptionAndDelayIntoTheInfoChunk)
{
    TempDir dir;
    const ToolRun run = RunTool(VQ_MKFILTERS, "--preset tetramic --rates 48000 --date 2024-02-29 --out " + dir.Path());
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string path = dir.File("FilterMatrix_48000.wav");
    const auto texts = InfoTexts(path);
    ASSERT_EQ(texts.count("INAM"), 1u);
    ASSERT_EQ(texts.count("ICMT"), 1u);
    EXPECT_EQ(texts.at("INAM"),
              "preset tetramic (Core Sound TetraMic): 17.7 mm cardioid, 512 taps, delay 25 frames, "
              "designed 2024-02-29");
    for (const char* line : {"design=preset tetramic (Core Sound TetraMic)\n", "radius_mm=17.7\n", "pattern=cardioid\n",
                             "capsules=FLU,FRD,BLD,BRU\n", "taps=512\n", "delay_frames=25\n", "date=2024-02-29\n"})
        EXPECT_NE(texts.at("ICMT").find(line), std::string::npos) << line;

    vq::FilterMatrixInfo info;
    vq::FailureDetail failure;
    ASSERT_EQ(vq::ReadFilterMatrixInfo(path, &info, &failure), vq::kStatusOk) << failure.reason;
    // The modelling delay, 24 frames, and the 0.83 frames by which W's filters undo the lead
    // of 17.7 mm cardioids' sum over the centre, (1 - a) r / (3 a c).
    EXPECT_EQ(info.delay, 25);
    EXPECT_EQ(info.delaySource, vq::DelaySource::Stored);
    EXPECT_EQ(info.description, texts.at("INAM"));
    EXPECT_EQ(vq::FieldValue(info, "radius_mm"), "17.7");
    EXPECT_EQ(info.taps, 512);
    EXPECT_EQ(info.sampleRate, 48000);
    EXPECT_EQ(vq::DescribeDelay(info), "25 frames (stored in the matrix)");
}

TEST(FilterMatrixInfo, TheDateComesFromTheOptionThenSourceDateEpoch)
{
    TempDir dir;
    const std::string design = " --rates 8000 --taps 64 --force --out " + dir.Path();
    ASSERT_EQ(RunTool("SOURCE_DATE_EPOCH=1700000000 " + std::string(VQ_MKFILTERS), design).status, 0);
    EXPECT_EQ(InfoTexts(dir.File("FilterMatrix_8000.wav")).at("ICMT").find("date=2023-11-14\n") != std::string::npos,
              true);
    ASSERT_EQ(RunTool("SOURCE_DATE_EPOCH=1700000000 " + std::string(VQ_MKFILTERS), "--date 2001-02-03" + design).status,
              0);
    EXPECT_NE(InfoTexts(dir.File("FilterMatrix_8000.wav")).at("ICMT").find("date=2001-02-03\n"), std::string::npos);
    for (const char* bad : {"--date 2001-02-30", "--date 3.2.2001"})
        EXPECT_EQ(RunTool(VQ_MKFILTERS, bad + design).status, 2) << bad;
    EXPECT_EQ(RunTool("SOURCE_DATE_EPOCH=yesterday " + std::string(VQ_MKFILTERS), design).status, 2);
}

TEST(FilterMatrixInfo, TheStagedSetStoresWsDelayOfEveryRateAsTheEstimateWouldFindIt)
{
    // The modelling delay of 0.5 ms and the lead of 15 mm cardioids' sum over the centre,
    // (1 - a) r / (3 a c), that W's filters undo: what the stored delay rounds, and what a
    // copy of the matrix without its INFO chunk is estimated to delay by too.
    const double a = 0.5, r = 0.015, c = 343.0;
    for (int rate : kDefaultRates) {
        vq::FilterMatrixInfo info;
        vq::FailureDetail failure;
        ASSERT_EQ(vq::ReadFilterMatrixInfo(StagedFilterMatrix(rate), &info, &failure), vq::kStatusOk) << rate;
        EXPECT_EQ(info.delaySource, vq::DelaySource::Stored) << rate;
        EXPECT_LE(std::fabs(info.delay - (0.0005 + (1.0 - a) * r / (3.0 * a * c)) * rate), 0.52) << rate;

        TempDir dir;
        WriteFilterMatrix(dir.File("bare.wav"), SplitMatrix(ReadAudio(StagedFilterMatrix(rate))));
        vq::FilterMatrixInfo bare;
        ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("bare.wav"), &bare, &failure), vq::kStatusOk) << rate;
        EXPECT_EQ(bare.delaySource, vq::DelaySource::Estimated) << rate;
        EXPECT_EQ(bare.delay, info.delay) << rate;
    }
}

TEST(FilterMatrixInfo, WithoutAStoredDelayWsGroupDelayIsTaken)
{
    struct Case {
        const char* what;
        Signal w;
        std::string comment;
        double expected;  // frames, unrounded
    };
    Signal average(64, 0.0);  // (delta[n - 10] + delta[n - 11]) / 2: 10.5 frames exactly
    average[10] = average[11] = 0.5;
    const Case cases[] = {
        {"an impulse at frame 37", DelayedImpulse(37.0, 128), "", 37.0},
        {"a band-limited impulse at 30.3", DelayedImpulse(30.3, 128), "", 30.3},
        {"a two-tap average", average, "", 10.5},
        {"a stored delay beyond the filter", DelayedImpulse(5.0, 64), "delay_frames=64\n", 5.0},
        {"a stored delay that is no number", DelayedImpulse(5.0, 64), "delay_frames=five\n", 5.0},
        {"a negative stored delay", DelayedImpulse(5.0, 64), "delay_frames=-3\n", 5.0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteMatrix(dir.File("m.wav"), c.w, c.comment);
        vq::FilterMatrixInfo info;
        vq::FailureDetail failure;
        ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("m.wav"), &info, &failure), vq::kStatusOk) << c.what;
        EXPECT_EQ(info.delaySource, vq::DelaySource::Estimated) << c.what;
        EXPECT_NEAR(info.estimatedDelay, c.expected, 0.01) << c.what;
        EXPECT_EQ(info.delay, static_cast<int>(std::lround(c.expected))) << c.what;
        EXPECT_TRUE(info.description.empty()) << c.what;
    }
}

TEST(FilterMatrixInfo, TheDefaultDesignsDelayIsEstimatedWithItsWEqualiser)
{
    // The default design at 48 kHz without its INFO chunk. For plane waves it delays by its
    // modelling delay, 24 frames; W's own filters add the phase that undoes the lead of
    // outward-pointing cardioids' sum over the centre, (1 - a) r / (3 a c) = 14.6 us, so
    // that W's summed response lags by 24.70 frames, which rounds to 25.
    TempDir dir;
    WriteFilterMatrix(dir.File("bare.wav"), SplitMatrix(ReadAudio(StagedFilterMatrix(48000))));
    vq::FilterMatrixInfo info;
    vq::FailureDetail failure;
    ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("bare.wav"), &info, &failure), vq::kStatusOk);
    const double a = 0.5, r = 0.015, c = 343.0;
    EXPECT_EQ(info.delaySource, vq::DelaySource::Estimated);
    EXPECT_NEAR(info.estimatedDelay, 24.0 + (1.0 - a) * r / (3.0 * a * c) * 48000, 0.02);
    EXPECT_EQ(info.delay, 25);
    EXPECT_EQ(vq::DescribeDelay(info), "25 frames (estimated from W's group delay, 24.70 frames)");
}

TEST(FilterMatrixInfo, AWWithoutLowFrequenciesLeavesTheDelayUnknown)
{
    Signal difference(64, 0.0);  // delta[n - 8] - delta[n - 9]: nothing at 0 Hz, little below 500 Hz
    difference[8] = 1.0;
    difference[9] = -1.0;
    TempDir dir;
    WriteMatrix(dir.File("silent.wav"), Signal(64, 0.0));
    vq::FilterMatrixInfo info;
    vq::FailureDetail failure;
    ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("silent.wav"), &info, &failure), vq::kStatusOk);
    EXPECT_EQ(info.delaySource, vq::DelaySource::Unknown);
    EXPECT_EQ(info.delay, 0);
    // A difference still has a group delay (8.5 frames) where it is not silent.
    WriteMatrix(dir.File("difference.wav"), difference);
    ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("difference.wav"), &info, &failure), vq::kStatusOk);
    EXPECT_NEAR(info.estimatedDelay, 8.5, 1e-6);
}

TEST(FilterMatrixInfo, FilesThatAreNoMatrixAreReportedWithTheirName)
{
    TempDir dir;
    WriteMatrix(dir.File("two.wav"), DelayedImpulse(5.0, 32), "", 2);
    Signal poisoned = DelayedImpulse(5.0, 32);
    poisoned[3] = std::numeric_limits<double>::quiet_NaN();
    WriteMatrix(dir.File("nan.wav"), poisoned);
    WriteChannels(dir.File("odd.wav"), std::vector<Signal>(4, Signal(33, 0.1)));
    const struct {
        std::string path;
        int status;
    } cases[] = {{dir.File("missing.wav"), vq::kFilterMatrixOpenFailed},
                 {dir.File("two.wav"), vq::kFilterMatrixChannels},
                 {dir.File("nan.wav"), vq::kNonFiniteInput},
                 {dir.File("odd.wav"), vq::kFilterMatrixLength}};
    for (const auto& c : cases) {
        vq::FilterMatrixInfo info;
        vq::FailureDetail failure;
        EXPECT_EQ(vq::ReadFilterMatrixInfo(c.path, &info, &failure), c.status) << c.path;
        EXPECT_EQ(failure.path, c.path);
        EXPECT_FALSE(failure.reason.empty()) << c.path;
    }
}

}  // namespace
