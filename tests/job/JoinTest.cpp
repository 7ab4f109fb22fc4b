// A recording the recorder split into several files, joined: the filters run on across the
// joins, so the joined take converts to what the unsplit recording would; it starts at the
// first part's time reference; parts that cannot be one recording are refused before any
// output, and parts whose time references do not follow on are a warning.
#include "JobFixture.h"

#include "StatusTable.h"
#include "TakeParts.h"

#include "deliver/RiffBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kStart = 172800000;  // an hour after midnight at 48 kHz

Signal Slice(const Signal& s, std::size_t from, std::size_t to)
{
    return Signal(s.begin() + static_cast<long>(from), s.begin() + static_cast<long>(to));
}

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

// How each part holds the capsules: <stem>_001F.wav and <stem>_001R.wav, four mono files
// <stem>_001_FLU.wav ..., or one 4-channel file <stem>_001.wav.
enum class Files { Pairs, Mono, Whole };

// The capsules of `setup` cut at `cuts` into parts, each file with the time reference of the
// part's first frame plus `shifts[p]`. Returns the first file of every part.
std::vector<wxString> WriteParts(const JobSetup& setup, const std::string& stem, const std::vector<std::size_t>& cuts,
                                 Files files, const std::vector<std::int64_t>& shifts = {})
{
    std::vector<std::size_t> bounds = {0};
    bounds.insert(bounds.end(), cuts.begin(), cuts.end());
    bounds.push_back(setup.capsules[0].size());
    std::vector<wxString> firsts;
    for (std::size_t p = 0; p + 1 < bounds.size(); ++p) {
        std::vector<Signal> c;
        for (const Signal& capsule : setup.capsules)
            c.push_back(Slice(capsule, bounds[p], bounds[p + 1]));
        const std::int64_t shift = p < shifts.size() ? shifts[p] : 0;
        const std::uint64_t reference = kStart + bounds[p] + static_cast<std::uint64_t>(shift);
        char number[24];
        std::snprintf(number, sizeof number, "_%03zu", p + 1);
        const std::string base = setup.File(stem + number);
        if (files == Files::Pairs) {
            WriteTimedChannels(base + "F.wav", {c[0], c[1]}, reference);
            WriteTimedChannels(base + "R.wav", {c[2], c[3]}, reference);
            firsts.push_back(base + "F.wav");
        } else if (files == Files::Mono) {
            const char* const capsules[4] = {"_FLU.wav", "_FRD.wav", "_BLD.wav", "_BRU.wav"};
            for (int k = 0; k < 4; ++k)
                WriteTimedChannels(base + capsules[k], {c[static_cast<std::size_t>(k)]}, reference);
            firsts.push_back(base + capsules[0]);
        } else {
            WriteTimedChannels(base + ".wav", c, reference);
            firsts.push_back(base + ".wav");
        }
    }
    return firsts;
}

// A record of the joined take: the first part in the input slots, the others joined to it.
void JoinParts(VQParams& p, JobSetup& setup, const std::vector<wxString>& firsts)
{
    setup.Configure(p);
    p.SetFileName(VQParams::kBldBruInput, vq::RearFileName(firsts[0]));
    p.SetFileName(VQParams::kFluFrdInput, firsts[0]);
    p.m_joinedParts.assign(firsts.begin() + 1, firsts.end());
    p.m_bformatFormat = p.m_surroundFormat = VQParams::kFormatFloat;
    p.UpdateOutputNames();
}

TEST(Join, ASplitTakeJoinedConvertsAsTheWholeRecordingAndKeepsItsStart)
{
    struct Case {
        const char* what;
        Files files;
        vq::InputFormat read;
    };
    const Case cases[] = {
        {"front and rear pairs through the filters", Files::Pairs, vq::InputFormat::Auto},
        {"four mono files through the filters", Files::Mono, vq::InputFormat::Auto},
        {"B-format files", Files::Whole, vq::InputFormat::FuMa},
    };
    for (const Case& c : cases) {
        // Cut at frames that fall inside the engines' blocks and reads.
        JobSetup setup(5000, 32);
        const std::vector<wxString> firsts = WriteParts(setup, "take", {1237, 4138}, c.files);
        VQParams p(nullptr);
        JoinParts(p, setup, firsts);
        p.m_inputFormat = c.read;
        p.m_ioBufferLength = 4096;  // blocks of 1024 frames
        ASSERT_TRUE(p.Convert()) << c.what << ": " << p.GetErrorMessage();
        EXPECT_TRUE(p.m_result.warnings.empty()) << p.m_result.warnings.front();
        EXPECT_EQ(p.m_result.joinedParts.size(), 3u) << c.what;

        const std::string output = Utf8(p.GetOutputPath(0));
        const Audio out = ReadAudio(output);
        const double gain = std::pow(10.0, -3.0 / 20.0);
        std::array<Signal, 4> expected = setup.ExpectedBFormat(-3.0);
        if (c.read != vq::InputFormat::Auto)
            for (int j = 0; j < 4; ++j) {
                expected[j] = setup.capsules[j];
                for (double& s : expected[j])
                    s *= gain;
            }
        ASSERT_EQ(out.info.frames, static_cast<sf_count_t>(expected[0].size())) << c.what;
        for (int j = 0; j < 4; ++j)
            EXPECT_LT(MaxAbsDifference(out.Channel(j), expected[j]), 1e-6) << c.what << ", channel " << j;

        const auto chunks = ChunksOf(ReadBytes(output));
        ASSERT_EQ(chunks.count("bext"), 1u) << c.what;
        EXPECT_EQ(TimeReferenceOf(chunks.at("bext").front()), kStart) << "the first part's start, " << c.what;
    }
}

TEST(Join, PartsThatCannotBeOneRecordingAreRefusedBeforeAnyOutput)
{
    struct Case {
        const char* what;
        int rate;
        int channels;
        const char* said;
    };
    const Case cases[] = {
        {"another rate", 44100, 4, "44100 Hz"},
        {"more channels", 48000, 6, "6 channels"},
    };
    for (const Case& c : cases) {
        JobSetup setup(2000, 16);
        const std::vector<wxString> firsts = WriteParts(setup, "take", {900}, Files::Whole);
        std::vector<Signal> odd(static_cast<std::size_t>(c.channels), Noise(700, 7));
        WriteTimedChannels(Utf8(firsts[1]), odd, kStart + 900, c.rate);
        VQParams p(nullptr);
        JoinParts(p, setup, firsts);
        p.m_channels = {0, 1, 2, 3};
        EXPECT_FALSE(p.Convert()) << c.what;
        EXPECT_EQ(p.m_status, vq::kPartsDisagree) << c.what;
        const std::string message = Utf8(p.GetErrorMessage());
        EXPECT_NE(message.find(Utf8(firsts[0])), std::string::npos) << message;
        EXPECT_NE(message.find(Utf8(firsts[1])), std::string::npos) << message;
        EXPECT_NE(message.find(c.said), std::string::npos) << message;
        for (const auto& entry : fs::directory_iterator(setup.dir.Path()))
            EXPECT_EQ(entry.path().filename().string().find("WXYZ"), std::string::npos) << entry.path();
    }
}

TEST(Join, PartsWhoseTimesDoNotFollowOnAreAWarningWithTheFrames)
{
    JobSetup setup(3000, 16);
    // The second part starts 480 frames late, the third 100 frames early.
    const std::vector<wxString> firsts = WriteParts(setup, "take", {1000, 2000}, Files::Pairs, {0, 480, 380});
    VQParams p(nullptr);
    JoinParts(p, setup, firsts);
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    const std::vector<std::string>& warnings = p.m_result.warnings;
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("480 frames"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("gap"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(Utf8(firsts[0])), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(Utf8(firsts[1])), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("100 frames"), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[1].find("overlap"), std::string::npos) << warnings[1];
}

TEST(Join, FilesLookLikeOneSplitRecordingByTheirNamesAndTimes)
{
    JobSetup setup(3000, 16);
    WriteParts(setup, "take", {1000, 2000}, Files::Whole);
    WriteParts(setup, "late", {1000}, Files::Whole, {0, 1});
    WriteParts(setup, "ZOOM", {1500}, Files::Whole);
    fs::rename(setup.File("ZOOM_001.wav"), setup.File("ZOOM0001_LR.wav"));
    fs::rename(setup.File("ZOOM_002.wav"), setup.File("ZOOM0002_LR.wav"));
    // Without time references the names tell.
    WriteChannels(setup.File("plain1.wav"), {setup.capsules[0]});
    WriteChannels(setup.File("plain2.wav"), {setup.capsules[1]});
    WriteChannels(setup.File("plain3.wav"), {setup.capsules[1]}, 44100);
    fs::create_directory(setup.File("elsewhere"));
    fs::copy_file(setup.File("take_002.wav"), setup.File("elsewhere/take_002.wav"));
    struct Case {
        const char* previous;
        const char* next;
        bool looks;
    };
    const Case cases[] = {
        {"take_001.wav", "take_002.wav", true},
        {"take_002.wav", "take_003.wav", true},
        {"ZOOM0001_LR.wav", "ZOOM0002_LR.wav", true},
        {"plain1.wav", "plain2.wav", true},
        {"take_001.wav", "take_003.wav", false},           // a part missing between them
        {"take_002.wav", "take_001.wav", false},           // counting down
        {"late_001.wav", "late_002.wav", false},           // starts a frame after the first ends
        {"plain2.wav", "plain3.wav", false},               // another rate
        {"take_001.wav", "elsewhere/take_002.wav", false},  // another folder
        {"take_001.wav", "late_002.wav", false},           // another name
    };
    for (const Case& c : cases)
        EXPECT_EQ(vq::LooksLikeNextPart(setup.File(c.previous), setup.File(c.next)), c.looks)
            << c.previous << " then " << c.next;

    const std::vector<wxString> batch = {setup.File("late_001.wav"), setup.File("take_001.wav"),
                                         setup.File("take_002.wav"), setup.File("take_003.wav"),
                                         setup.File("plain3.wav")};
    const auto runs = vq::SplitRecordingRuns(batch);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], std::make_pair(std::size_t(1), std::size_t(4)));
}

}  // namespace
