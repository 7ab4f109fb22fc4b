// A recorder's take keeps its place on the timeline: every output of a conversion carries
// the take's bext chunk (time reference and all, one coding-history line added) and its iXML
// chunk byte for byte; a damaged chunk is a warning, never a failure; reruns are identical
// to the byte. The outputs are read back with the test's own chunk reader.
#include "DecodeModes.h"
#include "JobFixture.h"

#include "deliver/RiffBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

const std::string kHistory = "A=PCM,F=48000,W=16,M=4chn,T=field recorder\r\n";
const std::string kIxml = "<?xml version=\"1.0\"?><BWFXML><SCENE>12A</SCENE><TAKE>3</TAKE></BWFXML>";
constexpr std::uint64_t kTimeReference = 172800000;  // an hour at 48 kHz

std::string HistoryOf(const Bytes& bext)
{
    std::string history(bext.begin() + 602, bext.end());
    return history.substr(0, history.find('\0'));
}

std::string Convert(JobSetup& setup, const std::string& take, int mode, const std::string& folder)
{
    VQParams p(nullptr);
    setup.Configure(p);
    p.SetFileName(VQParams::kFluFrdInput, setup.File(take));
    p.m_outputMode = mode;
    fs::create_directory(setup.File(folder));
    p.m_outputDir = setup.File(folder);
    p.UpdateOutputNames();
    EXPECT_TRUE(p.Convert()) << p.GetErrorMessage();
    EXPECT_TRUE(p.m_result.warnings.empty()) << p.m_result.warnings.front();
    return std::string(p.GetOutputPath(0).utf8_str());
}

TEST(RecorderMetadata, TravelsWithEveryOutputAndRerunsAreIdentical)
{
    JobSetup setup(1000, 16);
    WriteBytes(setup.File("take.wav"),
               RecorderFile(Wave::Riff, {{"bext", BextBody("scene 12A", "788T", kTimeReference, kHistory)}},
                            {{"iXML", AsBytes(kIxml)}}, 2000));
    struct Case {
        int mode;
        const char* added;  // the start of the line added to the coding history
    };
    const Case cases[] = {
        {vq::DecodeModeIndex("b-format"), "A=PCM,F=48000,W=16,M=4chn,T=VessarQuilix "},
        {vq::DecodeModeIndex("stereo"), "A=PCM,F=48000,W=16,M=stereo,T=VessarQuilix "},
    };
    for (const Case& c : cases) {
        const std::string first = Convert(setup, "take.wav", c.mode, "a" + std::to_string(c.mode));
        const Bytes bytes = ReadBytes(first);
        const auto chunks = ChunksOf(bytes);
        ASSERT_EQ(chunks.count("bext"), 1u) << first;
        const Bytes& bext = chunks.at("bext").front();
        EXPECT_EQ(TimeReferenceOf(bext), kTimeReference) << first;
        const std::string history = HistoryOf(bext);
        ASSERT_EQ(history.compare(0, kHistory.size(), kHistory), 0) << history;
        EXPECT_EQ(history.compare(kHistory.size(), std::string(c.added).size(), c.added), 0) << history;
        EXPECT_EQ(history.substr(history.size() - 2), "\r\n");
        ASSERT_EQ(chunks.count("iXML"), 1u) << first;
        EXPECT_EQ(chunks.at("iXML").front(), AsBytes(kIxml)) << "verbatim";

        const std::string again = Convert(setup, "take.wav", c.mode, "b" + std::to_string(c.mode));
        EXPECT_TRUE(ReadBytes(again) == bytes) << first << " and " << again << " differ";
    }
}

TEST(RecorderMetadata, ADamagedChunkIsAWarningAndTheTakeIsConverted)
{
    JobSetup setup(1000, 16);
    // A bext chunk shorter than its fixed fields.
    WriteBytes(setup.File("damaged.wav"),
               RecorderFile(Wave::Riff, {{"bext", Bytes(40, 'x')}}, {{"iXML", AsBytes(kIxml)}}, 2000));
    VQParams p(nullptr);
    setup.Configure(p);
    p.SetFileName(VQParams::kFluFrdInput, setup.File("damaged.wav"));
    p.UpdateOutputNames();
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    ASSERT_EQ(p.m_result.warnings.size(), 1u);
    EXPECT_NE(p.m_result.warnings[0].find(setup.File("damaged.wav")), std::string::npos) << p.m_result.warnings[0];
    const auto chunks = ChunksOf(ReadBytes(setup.File("damaged_WXYZ.wav")));
    EXPECT_EQ(chunks.count("bext"), 0u);
    EXPECT_EQ(chunks.count("iXML"), 1u) << "the good chunk is kept";
}

// Recordings that libsndfile 1.2 misreads on its own are read as their chunks say: an RF64
// take whose bext has an odd size, correctly padded, and a Wave64 take with a chunk behind its
// data (whose bytes are no samples). Each converts to exactly what its samples give.
TEST(RecorderMetadata, SoundTakesOfEveryLayoutAreReadAsTheirChunksSay)
{
    constexpr int kFrames = 1200;
    JobSetup setup(kFrames, 16);
    std::vector<std::int16_t> samples;
    std::array<Signal, 4> capsules;
    for (int n = 0; n < kFrames; ++n)
        for (int k = 0; k < 4; ++k) {
            samples.push_back(static_cast<std::int16_t>(std::lround(setup.capsules[k][n] * 32767.0)));
            capsules[k].push_back(samples.back() / 32768.0);
        }
    const Bytes oddBext = BextBody("scene 12A", "788T", kTimeReference, kHistory + "odd");
    ASSERT_EQ(oddBext.size() % 2, 1u);
    const RawChunk after = {"LIST", Bytes(1000, 0x7F)};
    struct Case {
        const char* name;
        Wave kind;
        std::vector<RawChunk> before, after;
    };
    const Case cases[] = {
        {"rf64-odd-bext", Wave::Rf64, {{"bext", oddBext}}, {}},
        {"rf64-odd-bext-chunk-after", Wave::Rf64, {{"bext", oddBext}}, {after}},
        {"wave64-chunk-after", Wave::Wave64, {{"bext", oddBext}}, {after}},
        {"wav-chunk-after", Wave::Riff, {{"bext", oddBext}}, {after}},
    };
    const double gain = std::pow(10.0, -3.0 / 20.0);
    const auto expected = ExpectedOutputs(capsules, setup.filters, gain, kFrames + 16);
    for (const Case& c : cases) {
        WriteBytes(setup.File(std::string(c.name) + ".wav"), RecorderFile(c.kind, c.before, c.after, samples));
        VQParams p(nullptr);
        setup.Configure(p);
        p.SetFileName(VQParams::kFluFrdInput, setup.File(std::string(c.name) + ".wav"));
        p.m_bformatFormat = VQParams::kFormatFloat;
        p.UpdateOutputNames();
        ASSERT_TRUE(p.Convert()) << c.name << ": " << p.GetErrorMessage();
        EXPECT_TRUE(p.m_result.warnings.empty()) << c.name << ": " << p.m_result.warnings.front();
        const Audio out = ReadAudio(std::string(p.GetOutputPath(0).utf8_str()));
        ASSERT_EQ(out.info.frames, kFrames + 16) << c.name;
        for (int j = 0; j < 4; ++j)
            EXPECT_LT(MaxAbsDifference(out.Channel(j), expected[j]), 1e-6) << c.name << ", channel " << j;
    }
}

}  // namespace
