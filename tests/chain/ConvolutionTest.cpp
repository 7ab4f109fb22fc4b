// The chain's A-format matrix against the direct (time-domain) convolution: for filters
// from one tap to several levels of the live plan's partitions, on both plans, with the
// capsules in any channels of a wider input and with keep sync dropping the first frames.
#include "chain/ChainHarness.h"

#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace vqtest;

namespace {

struct ConvolutionCase {
    std::string name;
    int taps;
    int rate;
    bool live;
    std::array<int, 4> capsuleChannels;  // of an input with one channel more than the highest
    int syncFrames;
};

void PrintTo(const ConvolutionCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChainConvolution : public testing::TestWithParam<ConvolutionCase> {};

TEST_P(ChainConvolution, EqualsDirectConvolution)
{
    const ConvolutionCase& c = GetParam();
    const std::int64_t frames = 5000;
    TempDir dir;
    const Take take = MakeAFormatTake(dir, frames, c.taps, c.rate, 21);
    vq::ChainSetup setup;
    setup.sampleRate = c.rate;
    setup.plan = c.live ? vq::PartitionPlan::Live(c.rate) : vq::PartitionPlan::Throughput();
    setup.threads = 2;
    setup.pieceFrames = 4000;
    setup.filters = take.filters;
    setup.sourceGain = 0.5;
    setup.syncFrames = c.syncFrames;
    setup.inputChannels = 1 + *std::max_element(c.capsuleChannels.begin(), c.capsuleChannels.end());
    std::copy(c.capsuleChannels.begin(), c.capsuleChannels.end(), setup.capsuleChannels);
    vq::ProcessingChain chain;
    ASSERT_EQ(chain.Configure(setup), vq::kStatusOk);

    // The other channels of the input carry noise that must not get in.
    Signals input(static_cast<std::size_t>(setup.inputChannels), Noise(frames, 99));
    for (int k = 0; k < 4; ++k)
        input[static_cast<std::size_t>(c.capsuleChannels[static_cast<std::size_t>(k)])] = take.input[static_cast<std::size_t>(k)];
    const std::int64_t length = frames + c.taps - 1 - c.syncFrames;
    const Signals out = RunChain(chain, input, length, RandomFeed(3, 5000));

    const std::array<Signal, 4> expected = ExpectedOutputs(take.recording.capsules, take.recording.filters, 0.5,
                                                           frames + c.taps - 1);
    for (int j = 0; j < 4; ++j) {
        const Signal kept(expected[j].begin() + c.syncFrames, expected[j].end());
        EXPECT_LT(MaxAbsDifference(out[static_cast<std::size_t>(j)], kept), 1e-11) << "signal " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Filters, ChainConvolution,
    testing::Values(ConvolutionCase{"OneTapThroughput", 1, 48000, false, {0, 1, 2, 3}, 0},
                    ConvolutionCase{"OneTapLive", 1, 48000, true, {0, 1, 2, 3}, 0},
                    ConvolutionCase{"ShortFilterLive", 100, 48000, true, {3, 1, 0, 2}, 0},
                    ConvolutionCase{"LongFilterThroughput", 1200, 48000, false, {0, 1, 2, 3}, 0},
                    ConvolutionCase{"LongFilterLive", 1200, 48000, true, {0, 1, 2, 3}, 0},
                    ConvolutionCase{"LongFilterLive44100", 1200, 44100, true, {4, 5, 1, 2}, 0},
                    ConvolutionCase{"KeepSyncThroughput", 512, 48000, false, {0, 1, 2, 3}, 25},
                    ConvolutionCase{"KeepSyncLive", 512, 48000, true, {5, 0, 3, 2}, 25},
                    ConvolutionCase{"KeepSyncLongerThanAQuantum", 512, 48000, true, {0, 1, 2, 3}, 200}),
    CaseName());

}  // namespace
