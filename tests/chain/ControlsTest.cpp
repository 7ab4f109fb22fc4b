// What the chain offers a plug-in besides the samples of a conversion: a latency within the
// live plan's bound, the gain and the rotation changed while it runs, a reset that starts a
// stream afresh, denormals flushed, and a setup it cannot run refused with a reason.
#include "chain/ChainHarness.h"

#include "common/EngineStatus.h"
#include "surround/UhjEncoder.h"

#include <gtest/gtest.h>

#if defined(__SSE2__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#include <cmath>

using namespace vqtest;

namespace {

constexpr double kPi = 3.141592653589793;

// A B-format chain with no filter of its own (B-format in and out), at 48 kHz.
vq::ChainSetup BFormatThrough(const vq::PartitionPlan& plan)
{
    vq::ChainSetup setup;
    setup.plan = plan;
    setup.input = vq::ChainInput::BFormat;
    return setup;
}

// W, X, Y, Z of a plane wave of amplitude 1 from the front, held.
Signals HeldFront(std::int64_t frames)
{
    const std::size_t n = static_cast<std::size_t>(frames);
    return {Signal(n, 1.0 / std::sqrt(2.0)), Signal(n, 1.0), Signal(n, 0.0), Signal(n, 0.0)};
}

// Runs `chain` over `input` in blocks of `block`, telling it `change` after `at` frames.
template <typename Change>
Signals RunWithChange(vq::ProcessingChain& chain, const Signals& input, std::int64_t block, std::int64_t at,
                      Change change)
{
    const std::int64_t frames = static_cast<std::int64_t>(input.front().size());
    Signals out(static_cast<std::size_t>(chain.OutputChannels()), Signal(static_cast<std::size_t>(frames)));
    for (std::int64_t done = 0; done < frames;) {
        if (done == at)
            change();
        const std::int64_t count = std::min({block, frames - done, done < at ? at - done : frames});
        const double* in[4];
        double* o[vq::ProcessingChain::kMaxOutputs];
        for (int c = 0; c < 4; ++c)
            in[c] = input[static_cast<std::size_t>(c)].data() + done;
        for (int c = 0; c < chain.OutputChannels(); ++c)
            o[c] = out[static_cast<std::size_t>(c)].data() + done;
        chain.Process(in, o, count);
        done += count;
    }
    return out;
}

TEST(ChainControls, LivePlanAddsAtMost64FramesAt48kHzScaledWithTheRate)
{
    for (int rate : {32000, 44100, 48000, 88200, 96000, 176400, 192000}) {
        TempDir dir;
        const Take take = MakeAFormatTake(dir, 16, 512, rate, 1);
        vq::ChainSetup setup = SetupFor(take, Decode("b-format"), Settings(), vq::PartitionPlan::Live(rate));
        vq::ProcessingChain chain;
        ASSERT_EQ(chain.Configure(setup), vq::kStatusOk);
        EXPECT_GT(chain.LatencyFrames(), 0) << rate << " Hz";
        EXPECT_LE(chain.LatencyFrames(), 64.0 * rate / 48000.0) << rate << " Hz";
    }
}

TEST(ChainControls, AGainChangeIsALinearRampNotAStep)
{
    vq::ProcessingChain chain;
    ASSERT_EQ(chain.Configure(BFormatThrough(vq::PartitionPlan::Throughput())), vq::kStatusOk);
    const Signals out = RunWithChange(chain, HeldFront(1000), 64, 300, [&] { chain.SetGain(3.0, 200); });
    for (std::size_t n = 0; n < 1000; ++n) {
        const double gain = n < 300 ? 1.0 : n < 500 ? 1.0 + 2.0 * double(n - 299) / 200.0 : 3.0;
        EXPECT_NEAR(out[1][n], gain, 1e-12) << "frame " << n;
    }
}

// A head turn told as a plug-in tells it (the rotation at the end of its block) gives every
// frame its own rotation, and the same samples however the stream is cut into blocks.
TEST(ChainControls, ARotationChangeTurnsTheFieldFrameByFrame)
{
    for (bool live : {false, true}) {
        SCOPED_TRACE(live ? "live plan" : "throughput plan");
        const vq::PartitionPlan plan = live ? vq::PartitionPlan::Live(48000) : vq::PartitionPlan::Throughput();
        const vq::FieldRotation turned = vq::FieldRotation::FromDegrees(120, 0, 0);
        Signals first;
        for (std::int64_t block : {64, 128, 1024}) {
            vq::ProcessingChain chain;
            ASSERT_EQ(chain.Configure(BFormatThrough(plan)), vq::kStatusOk);
            const Signals out =
                RunWithChange(chain, HeldFront(4096), block, 1024, [&] { chain.SetRotation(turned, 1024); });
            if (first.empty())
                first = out;
            EXPECT_EQ(out, first) << "blocks of " << block;
        }
        const std::size_t latency = live ? 64 : 0;
        double previous = 0.0;
        for (std::size_t n = latency; n < 4096; ++n) {
            const double azimuth = std::atan2(first[2][n], first[1][n]) * 180.0 / kPi;
            EXPECT_NEAR(std::hypot(first[1][n], first[2][n]), 1.0, 1e-12);
            EXPECT_LE(std::fabs(azimuth - previous), 1.5 * 120.0 / 1024) << "frame " << n;
            previous = azimuth;
        }
        EXPECT_NEAR(previous, 120.0, 1e-9);
    }
}

TEST(ChainControls, ResetStartsTheStreamAfresh)
{
    TempDir dir;
    const Take take = MakeAFormatTake(dir, 5000, 300, 48000, 3);
    Settings s;
    s.highpassHz = 30.0;
    for (const char* decode : {"binaural", "uhj", "binaural-parametric"}) {
        SCOPED_TRACE(decode);
        vq::ProcessingChain chain;
        ASSERT_EQ(chain.Configure(SetupFor(take, Decode(decode), s, vq::PartitionPlan::Live(48000))), vq::kStatusOk);
        const Feed feed = RandomFeed(4, 700);
        const Signals once = RunChain(chain, take.input, 8000, feed);
        chain.SetGain(0.5, 100);
        chain.Reset();
        chain.SetGain(1.0, 0);
        EXPECT_EQ(RunChain(chain, take.input, 8000, feed), once);
    }
}

#if defined(__SSE2__) || defined(__x86_64__)
// Reads the processor's flush-to-zero mode while the chain runs.
class ModeTap final : public vq::ChainTap {
public:
    void Take(const double* const[], int, std::int64_t, std::int64_t) override { flushing = _mm_getcsr() & 0x8000; }
    bool flushing = false;
};

TEST(ChainControls, DenormalsAreFlushedWhileTheChainRunsOnly)
{
    ModeTap tap;
    vq::ChainSetup setup = BFormatThrough(vq::PartitionPlan::Live(48000));
    setup.meterTap = &tap;
    vq::ProcessingChain chain;
    ASSERT_EQ(chain.Configure(setup), vq::kStatusOk);
    const unsigned before = _mm_getcsr();
    RunWithChange(chain, HeldFront(256), 256, -1, [] {});
    EXPECT_TRUE(tap.flushing);
    EXPECT_EQ(_mm_getcsr(), before);
}
#endif

// A decoder that cannot be made, for the table below.
std::unique_ptr<vq::BFormatDecoder> NoDecoder()
{
    return nullptr;
}

TEST(ChainControls, ASetupItCannotRunIsRefusedWithAReasonAndGivesSilence)
{
    TempDir dir;
    const Take take = MakeAFormatTake(dir, 16, 64, 48000, 2);
    struct Case {
        const char* name;
        void (*spoil)(vq::ChainSetup&);
    };
    const Case cases[] = {
        {"no filters", [](vq::ChainSetup& s) { s.filters.reset(); }},
        {"a capsule twice", [](vq::ChainSetup& s) { s.capsuleChannels[3] = 0; }},
        {"a capsule beyond the input", [](vq::ChainSetup& s) { s.capsuleChannels[3] = 4; }},
        {"B-format of six channels",
         [](vq::ChainSetup& s) {
             s.input = vq::ChainInput::BFormat;
             s.inputChannels = 6;
         }},
        {"a high-pass below 10 Hz", [](vq::ChainSetup& s) { s.highpassHz = 5.0; }},
        {"a negative sync delay", [](vq::ChainSetup& s) { s.syncFrames = -1; }},
        {"no rate", [](vq::ChainSetup& s) { s.sampleRate = 0; }},
        {"a decoder that cannot be made", [](vq::ChainSetup& s) { s.decoder = NoDecoder; }},
        {"a decode at a rate it refuses",
         [](vq::ChainSetup& s) {
             s.sampleRate = 1000000;
             s.decoder = [] { return std::make_unique<vq::UhjEncoder>(); };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vq::ChainSetup setup = SetupFor(take, Decode("b-format"), Settings(), vq::PartitionPlan::Live(48000));
        c.spoil(setup);
        vq::ProcessingChain chain;
        vq::FailureDetail failure;
        EXPECT_NE(chain.Configure(setup, &failure), vq::kStatusOk);
        EXPECT_FALSE(failure.reason.empty());
        Signals input(4, Noise(100, 1));
        input.resize(static_cast<std::size_t>(std::max(4, setup.inputChannels)), Noise(100, 2));
        const Signals out = RunChain(chain, input, 100, Feed{"", {100}});
        EXPECT_EQ(Peak(out), 0.0);
    }
}

}  // namespace
