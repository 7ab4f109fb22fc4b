// The chain gives the samples today's engines give, for every mode, on an A-format take
// (against QConvolver) and a B-format take (against Surrounder), fed in blocks of 1, 7, 64,
// 1000 and 65536 frames and in random lengths, on the throughput plan and the live plan.
// The direction tap sees the B-format the engine keeps, and the meter tap the outputs.
#include "chain/ChainHarness.h"

#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

using namespace vqtest;

namespace {

// A low rate keeps the phase shift of UHJ (a fifth of a second of taps) cheap when the
// throughput plan is fed frame by frame; the live plan's quantum is 8 frames there, so its
// filters have many levels.
constexpr int kRate = 8000;
constexpr std::int64_t kTakeFrames = 2000;
constexpr int kTaps = 100;
// Several pieces of the throughput plan in one call, two threads: the pool overlaps the
// source of one piece with the rest of the chain on the piece before.
constexpr std::int64_t kPieceFrames = 768;

struct ModeCase {
    std::string name;
    bool aFormat;
    std::string decode;
    Settings settings;
    bool live;
};

void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << c.name;
}

Settings Everything(bool aFormat)
{
    Settings s;
    s.sourceGain = aFormat ? 0.7 : 1.0;
    s.gain = 1.3;
    s.highpassHz = 40.0;
    s.yaw = 30.0;
    s.pitch = 10.0;
    s.roll = -5.0;
    return s;
}

std::vector<ModeCase> Cases()
{
    const char* const decodes[] = {"b-format", "virtual-mics", "energy", "parametric-5.1", "stereo",
                                   "uhj",      "binaural",     "binaural-parametric"};
    std::vector<ModeCase> cases;
    for (bool live : {false, true}) {
        const std::string plan = live ? "_live" : "_throughput";
        for (const char* decode : decodes) {
            std::string name = decode;
            std::replace(name.begin(), name.end(), '-', '_');
            std::replace(name.begin(), name.end(), '.', '_');
            Settings aFormat = Everything(true);
            // QConvolver's B-format has the one gain, in its filters.
            if (name == "b_format")
                aFormat.gain = 1.0;
            cases.push_back({"AFormat_" + name + plan, true, decode, aFormat, live});
            cases.push_back({"BFormat_" + name + plan, false, decode, Everything(false), live});
        }
        // Keep sync, and the conventions of B-format in and out.
        Settings sync = Everything(true);
        sync.syncFrames = 37;
        cases.push_back({"AFormat_binaural_keep_sync" + plan, true, "binaural", sync, live});
        sync.syncFrames = 3;
        cases.push_back({"AFormat_uhj_keep_sync" + plan, true, "uhj", sync, live});
        sync.gain = 1.0;
        cases.push_back({"AFormat_b_format_keep_sync" + plan, true, "b-format", sync, live});
        Settings ambix = Everything(true);
        ambix.gain = 1.0;
        ambix.outputConvention = vq::BFormatConvention::AmbiX;
        cases.push_back({"AFormat_to_AmbiX" + plan, true, "b-format", ambix, live});
        Settings fromAmbiX = Everything(false);
        fromAmbiX.inputConvention = vq::BFormatConvention::AmbiX;
        cases.push_back({"BFormat_from_AmbiX_binaural" + plan, false, "binaural", fromAmbiX, live});
        fromAmbiX.outputConvention = vq::BFormatConvention::AmbiX;
        cases.push_back({"BFormat_AmbiX_to_AmbiX" + plan, false, "b-format", fromAmbiX, live});
    }
    return cases;
}

class ChainEqualsEngines : public testing::TestWithParam<ModeCase> {};

TEST_P(ChainEqualsEngines, InEveryBlockLength)
{
    const ModeCase& c = GetParam();
    TempDir dir;
    const Take take = c.aFormat ? MakeAFormatTake(dir, kTakeFrames, kTaps, kRate, 5)
                                : MakeBFormatTake(dir, kTakeFrames, kRate, c.settings.inputConvention, 5);
    const DecodeChoice decode = Decode(c.decode);
    const EngineResult engine = RunEngine(dir, take, decode, c.settings);
    const std::int64_t length = static_cast<std::int64_t>(engine.outputs.front().size());
    ASSERT_GT(length, 0);
    const double tolerance = 1e-11 * std::max(1.0, Peak(engine.outputs));

    for (const Feed& feed : EveryFeed()) {
        SCOPED_TRACE(feed.name);
        RecordingTap directions, meters;
        vq::ChainSetup setup =
            SetupFor(take, decode, c.settings, c.live ? vq::PartitionPlan::Live(kRate) : vq::PartitionPlan::Throughput());
        setup.threads = 2;
        setup.pieceFrames = kPieceFrames;
        setup.directionTap = &directions;
        setup.meterTap = &meters;
        setup.lengthFrames = length;
        vq::ProcessingChain chain;
        vq::FailureDetail failure;
        ASSERT_EQ(chain.Configure(setup, &failure), vq::kStatusOk) << failure.reason;

        const Signals out = RunChain(chain, take.input, length, feed);
        EXPECT_LT(MaxDifference(out, engine.outputs), tolerance);
        // The meters see the outputs in the decoder's order (Furse-Malham for B-format).
        const bool furseMalham = c.settings.outputConvention == vq::BFormatConvention::FuMa;
        if (decode.make || furseMalham) {
            EXPECT_LT(MaxDifference(meters.From0(length), out), tolerance);
        }
        // The direction map sees the B-format the engine keeps.
        if (!engine.keptBFormat.empty()) {
            EXPECT_LT(MaxDifference(directions.From0(length), engine.keptBFormat), tolerance);
        } else if (c.aFormat && furseMalham) {
            EXPECT_LT(MaxDifference(directions.From0(length), engine.outputs), tolerance);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ChainEqualsEngines, testing::ValuesIn(Cases()), CaseName());

// Twenty seconds at 48 kHz through the default filter length, keep sync and the headphone
// decode: many pieces of the throughput plan on every core, and every level of the live
// plan's partitions many times over, as a long take goes through them.
TEST(ChainLongTake, EqualsTheConvolverOnBothPlans)
{
    TempDir dir;
    const Take take = MakeAFormatTake(dir, 20 * 48000, 512, 48000, 31);
    const DecodeChoice decode = Decode("binaural");
    Settings s = Everything(true);
    s.syncFrames = 25;
    const EngineResult engine = RunEngine(dir, take, decode, s);
    const std::int64_t length = static_cast<std::int64_t>(engine.outputs.front().size());
    ASSERT_EQ(length, 20 * 48000);
    for (bool live : {false, true}) {
        SCOPED_TRACE(live ? "live plan" : "throughput plan");
        vq::ChainSetup setup =
            SetupFor(take, decode, s, live ? vq::PartitionPlan::Live(48000) : vq::PartitionPlan::Throughput());
        setup.threads = 0;
        setup.lengthFrames = length;
        vq::ProcessingChain chain;
        ASSERT_EQ(chain.Configure(setup), vq::kStatusOk);
        const Signals out = RunChain(chain, take.input, length, RandomFeed(8, live ? 8192 : 200000));
        EXPECT_LT(MaxDifference(out, engine.outputs), 1e-11 * std::max(1.0, Peak(engine.outputs)));
    }
}

}  // namespace
