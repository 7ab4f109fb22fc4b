// A recorder's session on the command line: takes the recorder split are joined with --join
// and only then (a batch that looks split gets a hint), and a poly file's four capsule
// channels give what the 4-channel take gives.
#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

Signal Slice(const Signal& s, std::size_t from, std::size_t to)
{
    return Signal(s.begin() + static_cast<long>(from), s.begin() + static_cast<long>(to));
}

class SessionCommand : public CommandTest {};

TEST_F(SessionCommand, SplitTakesAreJoinedOnlyWithJoinAndABatchThatLooksSplitIsTold)
{
    // One recording of 3000 frames, split by the recorder after 1234 frames into front and
    // rear files, each part with the time reference of its first frame.
    std::array<Signal, 4> capsules;
    for (int k = 0; k < 4; ++k)
        capsules[k] = Noise(3000, 300 + k, 0.4);
    const std::size_t cut = 1234;
    const std::uint64_t start = 48000 * 3600;
    for (int part = 0; part < 2; ++part) {
        const std::size_t from = part == 0 ? 0 : cut, to = part == 0 ? cut : 3000;
        std::vector<Signal> c;
        for (const Signal& capsule : capsules)
            c.push_back(Slice(capsule, from, to));
        const std::string name = "take_00" + std::to_string(part + 1);
        WriteTimedChannels(File(name + "F.wav"), {c[0], c[1]}, start + from);
        WriteTimedChannels(File(name + "R.wav"), {c[2], c[3]}, start + from);
    }
    fs::create_directory(File("apart"));

    const CommandResult apart = Convert({"--format", "float", "-d", "apart", "take_001F.wav", "take_002F.wav"});
    ASSERT_EQ(apart.exitCode, 0) << apart.err;
    EXPECT_TRUE(fs::exists(File("apart/take_001_WXYZ.wav")) && fs::exists(File("apart/take_002_WXYZ.wav")))
        << "not joined unasked";
    EXPECT_TRUE(Contains(apart.err, "hint: 'take_001F.wav' and 'take_002F.wav' look like the parts of one recording"))
        << apart.err;
    EXPECT_TRUE(Contains(apart.err, "--join")) << apart.err;

    const CommandResult joined = Convert({"--join", "--format", "float", "take_001F.wav", "take_002F.wav"});
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_FALSE(Contains(joined.err, "hint")) << joined.err;
    EXPECT_TRUE(Contains(joined.out, "Joined 2 parts into one take, in this order: take_001F.wav, take_002F.wav"))
        << joined.out;
    EXPECT_FALSE(fs::exists(File("take_002_WXYZ.wav")));
    const auto expected = Expected(capsules);
    const auto actual = ReadWxyz(File("take_001_WXYZ.wav"));
    ASSERT_EQ(actual[0].size(), expected[0].size());
    for (int j = 0; j < 4; ++j)
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6) << "output " << j;
}

// The report of a take joined from three parts lists every file of every part under "inputs",
// in the order joined, and gives every output the first part's start, as samples and as
// timecode (25 frames a second without a clip or a rate from the recorder).
TEST_F(SessionCommand, TheReportOfAJoinedTakeListsEveryPartAndTheStartOfEveryOutput)
{
    const std::uint64_t start = 172800000;  // an hour after midnight at 48 kHz
    const std::size_t bounds[] = {0, 700, 1900, 3000};
    std::vector<std::string> firsts;
    for (int part = 0; part < 3; ++part) {
        const std::string name = "rec_00" + std::to_string(part + 1);
        const std::int64_t frames = static_cast<std::int64_t>(bounds[part + 1] - bounds[part]);
        for (const char* side : {"F", "R"})
            WriteTimedChannels(File(name + side + ".wav"), {Noise(frames, 40 + part, 0.3), Noise(frames, 50 + part, 0.3)},
                               start + bounds[part]);
        firsts.push_back(name + "F.wav");
    }
    std::vector<std::string> args = {"--join", "--mode", "5.1", "--files", "3", "--report", "run.json"};
    args.insert(args.end(), firsts.begin(), firsts.end());
    const CommandResult r = Convert(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    const std::string reader = "import json, sys\n"
                               "t = json.load(open(sys.argv[1]))[\"takes\"][0]\n"
                               "print(\" \".join(t[\"inputs\"]))\n"
                               "for o in t[\"outputs\"]:\n"
                               "    s = o[\"start\"]\n"
                               "    print(o[\"path\"], s[\"samples\"], s[\"timecode\"], s[\"timecode_rate\"])\n";
    std::ofstream(File("read.py")) << reader;
    FILE* pipe = popen(("python3 " + File("read.py") + " " + File("run.json") + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    for (int c; (c = std::fgetc(pipe)) != EOF;)
        out += static_cast<char>(c);
    if (pclose(pipe) != 0 && Contains(out, "not found"))
        GTEST_SKIP() << "python3 is not installed";
    EXPECT_EQ(out, "rec_001F.wav rec_001R.wav rec_002F.wav rec_002R.wav rec_003F.wav rec_003R.wav\n"
                   "rec_001_LR.wav 172800000 01:00:00:00 25\n"
                   "rec_001_CLfe.wav 172800000 01:00:00:00 25\n"
                   "rec_001_LsRs.wav 172800000 01:00:00:00 25\n");
}

TEST_F(SessionCommand, APolyFilesFourChannelsGiveExactlyWhatTheFourChannelTakeGives)
{
    std::vector<Signal> poly = {Noise(2000, 81, 0.2), Noise(2000, 82, 0.2)};
    for (int k = 0; k < 4; ++k)
        poly.push_back(Noise(2000, 83 + k, 0.4));
    WriteChannels(File("poly.wav"), poly);
    WriteChannels(File("four.wav"), std::vector<Signal>(poly.begin() + 2, poly.end()));
    for (const std::string format : {"float", "pcm24"}) {
        const std::vector<std::string> common = {"-y", "--format", format, "--capsule-order", "FRD,FLU,BLD,BRU"};
        std::vector<std::string> fromPoly = common;
        fromPoly.insert(fromPoly.end(), {"--channels", "3,4,5,6", "poly.wav"});
        std::vector<std::string> fromFour = common;
        fromFour.push_back("four.wav");
        for (const auto& args : {fromPoly, fromFour}) {
            const CommandResult r = Convert(args);
            ASSERT_EQ(r.exitCode, 0) << r.err;
        }
        EXPECT_EQ(Bytes("poly_WXYZ.wav"), Bytes("four_WXYZ.wav")) << format;
    }
}

// The index of the largest absolute sample.
std::size_t Peak(const Signal& s)
{
    std::size_t at = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (std::fabs(s[i]) > std::fabs(s[at]))
            at = i;
    return at;
}

// Keep sync with the default set: a 48000-frame take with an impulse in every capsule at
// frame 24000 gives 48000 frames at 48 and 192 kHz, with W's peak at frame 24000. At 48 kHz
// the matrix's stored delay is W's group delay at low frequencies, rounded: the modelling
// delay (24 frames) and the (1 - a) r / (3 a c) = 0.70 frames by which W's filters undo the
// lead of cardioids 15 mm out, 24.70, rounded to 25. Stripped of it, the matrix's delay is
// estimated from W's response to the same 25. At 192 kHz the peak of W's wide-band response
// lies a few frames after its low-frequency delay: only the length and that the take
// converts are checked there.
TEST_F(SessionCommand, WithAlignAnImpulseComesOutAtItsFrameWithTheDefaultSet)
{
    struct Case {
        int rate;
        bool stored;
        int lateFrames;  // how late W's peak may come; -1: not checked
    };
    fs::create_directory(File("estimated"));
    const Audio staged = ReadAudio(std::string(VQ_STAGE_DATA_DIR) + "/filters/FilterMatrix_48000.wav");
    std::vector<Signal> rows;
    for (int j = 0; j < 4; ++j)
        rows.push_back(staged.Channel(j));
    WriteChannels(File("estimated/FilterMatrix_48000.wav"), rows, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const Case c : {Case{48000, true, 0}, Case{48000, false, 0}, Case{192000, true, -1}}) {
        Signal impulse(48000, 0.0);
        impulse[24000] = 0.5;
        const std::string take = "impulse" + std::to_string(c.rate) + (c.stored ? "" : "e");
        const std::string what = take + (c.stored ? " (stored delay)" : " (estimated delay)");
        WriteChannels(File(take + ".wav"), {impulse, impulse, impulse, impulse}, c.rate);
        const std::string filters = c.stored ? std::string(VQ_STAGE_DATA_DIR) + "/filters" : File("estimated");
        const CommandResult r = Convert({"--align", "--format", "float", "--filters", filters, take + ".wav"});
        ASSERT_EQ(r.exitCode, 0) << what << ": " << r.err;
        EXPECT_TRUE(Contains(r.out, c.stored ? "(stored in the matrix)" : "(estimated")) << r.out;
        const auto wxyz = ReadWxyz(File(take + "_WXYZ.wav"));
        EXPECT_EQ(wxyz[0].size(), 48000u) << what;
        if (c.lateFrames < 0)
            continue;
        const std::size_t peak = Peak(wxyz[0]);
        EXPECT_GE(peak, 24000u) << what;
        EXPECT_LE(peak, 24000u + static_cast<std::size_t>(c.lateFrames)) << what;
    }
}

}  // namespace
