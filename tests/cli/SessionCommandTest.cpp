// A recorder's session on the command line: takes the recorder split are joined with --join
// and only then (a batch that looks split gets a hint), and a poly file's four capsule
// channels give what the 4-channel take gives.
#include "CommandFixture.h"

#include <gtest/gtest.h>

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

}  // namespace
