// Takes at the length users record: twenty seconds, many read pieces (16384 frames), transform
// blocks and chunks long, in every way a take is given and in the channel count its files
// really have. Built with the sanitizers (make test-sanitize), a buffer sized for the wrong
// width or length shows here; every result is checked against a direct convolution.
#include "ConversionRun.h"
#include "DecodeModes.h"
#include "JobFixture.h"

#include "common/EngineStatus.h"
#include "movie/MovieTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

using namespace vqtest;

namespace {

constexpr std::int64_t kFrames = 20 * 48000;
constexpr int kTaps = 16;
constexpr double kTolerance = 1e-6;  // float outputs
// Where the joined take is cut: inside the engines' read pieces, chunks and blocks.
const std::vector<std::int64_t> kCuts = {300007, 650011};

Signal Slice(const Signal& s, std::int64_t from, std::int64_t to)
{
    return Signal(s.begin() + from, s.begin() + to);
}

Signal Scaled(const Signal& s, double factor)
{
    Signal out = s;
    for (double& v : out)
        v *= factor;
    return out;
}

// The files of every case, written once: the capsules of one long take as each kind of take
// holds them, a poly file's neighbours (a boom and a lavalier), the matrix and the exact
// B-format the take converts to.
class LongTakes {
public:
    LongTakes()
    {
        for (int k = 0; k < 4; ++k)
            capsules[k] = AsFloats(Noise(kFrames, 900 + k, 0.4));
        others = {AsFloats(Noise(kFrames, 910, 0.9)), AsFloats(Noise(kFrames, 911, 0.9))};
        filters = RandomFilterMatrix(kTaps, 920);
        std::filesystem::create_directory(dir.File("filters"));
        WriteFilterMatrix(dir.File("filters/FilterMatrix_48000.wav"), filters);
        expected = ExpectedOutputs(capsules, filters, std::pow(10.0, -3.0 / 20.0), kFrames + kTaps);

        const int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        WriteChannels(File("whole.wav"), {capsules[0], capsules[1], capsules[2], capsules[3]}, 48000, format);
        WriteAFormat(File("takeF.wav"), File("takeR.wav"), capsules, 48000, format);
        const char* const names[4] = {"take_FLU.wav", "take_FRD.wav", "take_BLD.wav", "take_BRU.wav"};
        for (int k = 0; k < 4; ++k)
            WriteChannels(File(names[k]), {capsules[k]}, 48000, format);
        WriteChannels(File("poly.wav"), Poly(0, kFrames), 48000, format);
        std::vector<std::int64_t> bounds = {0};
        bounds.insert(bounds.end(), kCuts.begin(), kCuts.end());
        bounds.push_back(kFrames);
        for (std::size_t p = 0; p + 1 < bounds.size(); ++p)
            WriteChannels(File("part_00" + std::to_string(p + 1) + ".wav"), Poly(bounds[p], bounds[p + 1]), 48000,
                          format);
    }

    std::string File(const std::string& name) const { return dir.File(name); }

    // A recorder's six channels: the boom, the lavalier, then the four capsules.
    std::vector<Signal> Poly(std::int64_t from, std::int64_t to) const
    {
        std::vector<Signal> channels = {Slice(others[0], from, to), Slice(others[1], from, to)};
        for (const Signal& capsule : capsules)
            channels.push_back(Slice(capsule, from, to));
        return channels;
    }

    TempDir dir;
    std::array<Signal, 4> capsules;
    std::array<Signal, 2> others;
    FilterMatrix filters;
    std::array<Signal, 4> expected;  // FuMa W, X, Y, Z at -3 dB

private:
    static Signal AsFloats(Signal s)
    {
        for (double& v : s)
            v = static_cast<float>(v);
        return s;
    }
};

struct LongCase {
    const char* name;
    bool movie;                      // the output is a movie, read back by ffmpeg
    std::vector<std::string> files;  // the take's files, as the request names them
    std::function<void(vq::ConversionRequest&)> change;
    // The output's channels as they should be, from the capsules and the exact B-format.
    std::function<std::array<Signal, 4>(const LongTakes&)> expected;
};

vq::ConversionRequest RequestOf(const LongTakes& takes, const LongCase& c, const std::string& output)
{
    vq::ConversionRequest r;
    for (const std::string& file : c.files)
        r.takeFiles.push_back(takes.File(file));
    r.outputs.container = vq::ContainerNamed("wav");
    r.outputs.sample = vq::SampleFormat::Float;
    r.outputNames = {output};
    r.run.filtersDir = takes.File("filters");
    r.run.threads = 2;
    c.change(r);
    return r;
}

std::array<Signal, 4> FuMa(const LongTakes& takes)
{
    return takes.expected;
}

// Compares the output of one case with what it should hold; the movie is read back by ffmpeg.
void CheckLongCase(const LongTakes& takes, const LongCase& c)
{
    SCOPED_TRACE(c.name);
    TempDir out;
    const std::string output = out.File(std::string(c.name) + (c.movie ? ".mov" : ".wav"));
    const vq::ConversionRequest request = RequestOf(takes, c, output);
    const vq::ConversionResult result = vq::RunConversion(request, vq::RunViews{});
    ASSERT_EQ(result.status, vq::kStatusOk) << result.Message();
    ASSERT_FALSE(result.outputs.empty());
    EXPECT_TRUE(result.outputs.front().loudness) << "measured over the whole take";
    EXPECT_EQ(static_cast<bool>(result.directionMap), request.map.keep);

    const std::array<Signal, 4> expected = c.expected(takes);
    std::array<Signal, 4> actual;
    if (c.movie) {
        const std::vector<float> decoded = DecodeFloat(output);
        for (int j = 0; j < 4; ++j)
            for (std::size_t i = static_cast<std::size_t>(j); i < decoded.size(); i += 4)
                actual[j].push_back(decoded[i]);
    } else {
        const Audio audio = ReadAudio(output);
        ASSERT_EQ(audio.info.channels, 4);
        for (int j = 0; j < 4; ++j)
            actual[j] = audio.Channel(j);
    }
    for (int j = 0; j < 4; ++j) {
        ASSERT_EQ(actual[j].size(), expected[j].size()) << "channel " << j;
        EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), kTolerance) << "channel " << j;
    }
}

const std::vector<int> kCapsulesOfPoly = {2, 3, 4, 5};

const LongCase kLongCases[] = {
    {"FourChannels", false, {"whole.wav"}, [](vq::ConversionRequest& r) { r.map.keep = true; }, FuMa},
    {"Pair", false, {"takeF.wav", "takeR.wav"}, [](vq::ConversionRequest&) {}, FuMa},
    {"Mono", false, {"take_FLU.wav", "take_FRD.wav", "take_BLD.wav", "take_BRU.wav"}, [](vq::ConversionRequest&) {}, FuMa},
    {"Poly", false, {"poly.wav"},
     [](vq::ConversionRequest& r) {
         r.take.channels = kCapsulesOfPoly;
         r.map.keep = true;
     },
     FuMa},
    {"JoinedPoly", false, {"part_001.wav"},
     [](vq::ConversionRequest& r) {
         r.take.channels = kCapsulesOfPoly;
         const std::string first = std::string(r.takeFiles.front().utf8_str());
         const std::string folder = first.substr(0, first.rfind('/') + 1);
         r.take.laterParts = {{folder + "part_002.wav"}, {folder + "part_003.wav"}};
     },
     FuMa},
    // The poly file read as B-format: W, X, Y, Z in four of its six channels, at 0 dB.
    {"BFormatPoly", false, {"poly.wav"},
     [](vq::ConversionRequest& r) {
         r.take.inputFormat = vq::InputFormat::FuMa;
         r.take.channels = {5, 2, 4, 3};
         r.bformat.gainDb = 0.0;
     },
     [](const LongTakes& t) {
         return std::array<Signal, 4>{t.capsules[3], t.capsules[0], t.capsules[2], t.capsules[1]};
     }},
    // AmbiX in a movie: W, Y, Z, X with W at +3 dB over FuMa's.
    {"Movie", true, {"whole.wav"},
     [](vq::ConversionRequest& r) {
         r.outputs.container = vq::ContainerNamed("mov");
         r.outputs.convention = vq::BFormatConvention::AmbiX;
     },
     [](const LongTakes& t) {
         return std::array<Signal, 4>{Scaled(t.expected[0], std::sqrt(2.0)), t.expected[2], t.expected[3],
                                      t.expected[1]};
     }},
};
// One process for every case: the take and the exact B-format are made once.
TEST(LongTake, EveryWayOfGivingATakeConvertsEveryFrameInItsRealChannelCount)
{
    // The movie helper of this build.
    setenv("VESSARQUILIX_MOVIE_HELPER", VQ_MOVIE_HELPER_PATH, 1);
    const LongTakes takes;
    for (const LongCase& c : kLongCases) {
        if (c.movie && !HaveFfmpeg())
            continue;  // the movie is read back with ffmpeg
        CheckLongCase(takes, c);
    }
}

}  // namespace
