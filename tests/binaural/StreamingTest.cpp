// The streaming FIR matrix against the direct (time-domain) convolution, for filters from
// one tap to longer than a transform's hop and blocks from one frame to many steps (257
// taps take 2048-point transforms: 1792 new frames a step).
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
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamingFirMatrixCases : public testing::TestWithParam<StreamCase> {};

TEST_P(StreamingFirMatrixCases, EqualsDirectConvolution)
{
    const StreamCase& c = GetParam();
    const std::int64_t frames = 9000;
    vq::StreamingFirMatrix matrix;
    ASSERT_EQ(matrix.Configure(c.taps, 4, c.outputs), vq::kStatusOk);
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
        matrix.Process(in, o, count);
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
                                         StreamCase{"BlocksAroundAStep", 257, 2, {1792, 1793, 1791}}),
                         vqtest::CaseName());

}  // namespace
