// The streaming FIR matrix against the direct (time-domain) convolution, for filters from
// one tap to longer than a transform's hop and blocks from one frame to many steps (257
// taps take 4096-point transforms: 3840 new frames a step), on the throughput plan and on
// live plans whose partitions grow over several levels.
#include "binaural/BinauralProbe.h"
#include "common/StreamingFirMatrix.h"
#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using vqtest::Signal;

struct StreamCase {
    std::string name;
    int taps;
    int outputs;
    std::vector<std::int64_t> blocks;
    int quantum = 0;  // the live plan's; 0: the throughput plan
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamingFirMatrixCases : public testing::TestWithParam<StreamCase> {};

TEST_P(StreamingFirMatrixCases, EqualsDirectConvolution)
{
    const StreamCase& c = GetParam();
    const std::int64_t frames = 9216;  // a whole number of every live case's quanta
    vq::PartitionPlan plan;
    plan.quantum = c.quantum;
    vq::StreamingFirMatrix matrix;
    ASSERT_EQ(matrix.Configure(c.taps, 4, c.outputs, plan), vq::kStatusOk);
    std::vector<std::vector<Signal>> filters(4);
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < c.outputs; ++j) {
            filters[k].push_back(vqtest::Noise(c.taps, 100 + 10 * k + j));
            matrix.SetFilter(k, j, filters[k].back().data());
        }
    }
    const std::array<Signal, 4> input = vqtest::NoiseBFormat(frames, 3);

    std::vector<Signal> out(static_cast<std::size_t>(c.outputs), Signal(static_cast<std::size_t>(frames)));
    std::size_t next = 0;
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t count = std::min(frames - done, c.blocks[next]);
        next = (next + 1) % c.blocks.size();
        const double* in[4];
        for (int k = 0; k < 4; ++k)
            in[k] = input[static_cast<std::size_t>(k)].data() + done;
        double* o[vq::StreamingFirMatrix::kMaxOutputs];
        for (int j = 0; j < c.outputs; ++j)
            o[j] = out[static_cast<std::size_t>(j)].data() + done;
        ASSERT_EQ(matrix.Process(in, o, count), vq::kStatusOk);
        done += count;
    }

    for (int j = 0; j < c.outputs; ++j) {
        Signal expected(static_cast<std::size_t>(frames), 0.0);
        for (int k = 0; k < 4; ++k) {
            const Signal full = vqtest::DirectConvolution(input[static_cast<std::size_t>(k)], filters[k][j]);
            for (std::size_t i = 0; i < expected.size(); ++i)
                expected[i] += full[i];
        }
        EXPECT_LT(vqtest::MaxAbsDifference(out[static_cast<std::size_t>(j)], expected), 1e-10) << "output " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, StreamingFirMatrixCases,
                         testing::Values(StreamCase{"OneTap", 1, 2, {9000}}, StreamCase{"ShortFrameByFrame", 5, 1, {1}},
                                         StreamCase{"OddBlocks", 300, 2, {7, 1000, 1, 2500}},
                                         StreamCase{"LongerThanAStep", 1500, 4, {9000}},
                                         StreamCase{"BlocksAroundAStep", 257, 2, {3840, 3841, 3839}},
                                         StreamCase{"LiveOneTap", 1, 2, {64, 128}, 64},
                                         StreamCase{"LiveWithinTheFirstPartition", 40, 1, {64}, 64},
                                         StreamCase{"LiveManyLevels", 3000, 4, {64, 640, 64 * 37}, 64},
                                         StreamCase{"LiveQuantumOfThreeTimesAPower", 1500, 2, {24, 48, 24 * 50}, 24}),
                         vqtest::CaseName());

// On the live plan a block is a whole number of quanta; another is refused with silence,
// and the stream goes on as if it had not come.
TEST(StreamingFirMatrix, LivePlanRefusesAPartOfAQuantum)
{
    vq::StreamingFirMatrix matrix;
    ASSERT_EQ(matrix.Configure(1, 1, 1, vq::PartitionPlan::Live(48000)), vq::kStatusOk);
    const double unit = 1.0;
    matrix.SetFilter(0, 0, &unit);
    const Signal input = vqtest::Noise(64, 5);
    Signal out(64, 1.0);
    const double* in[] = {input.data()};
    double* o[] = {out.data()};
    EXPECT_EQ(matrix.Process(in, o, 40), vq::kBadParameter);
    EXPECT_EQ(Signal(out.begin(), out.begin() + 40), Signal(40, 0.0));
    ASSERT_EQ(matrix.Process(in, o, 64), vq::kStatusOk);
    EXPECT_LT(vqtest::MaxAbsDifference(out, input), 1e-15);
}

}  // namespace
