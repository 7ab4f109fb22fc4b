// The processing chain per partition plan, one thread, on A-format at 48 kHz held in memory:
// the cost per frame when a host feeds it blocks of 64 frames and of 1024, as ratios measured
// side by side. Targets: on the live plan, 64-frame blocks cost at most 2.5 times 1024-frame
// ones per frame, and the parametric headphone decode at most twice the linear one; the
// throughput plan shows why a stream of short blocks needs the live one.
#include "ChainBench.h"
#include "BenchFiles.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SphericalHeadHrirs.h"
#include "chain/ProcessingChain.h"
#include "spatial/ParametricBinauralDecoder.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace bench {

namespace {

constexpr int kRate = 48000;

struct Mode {
    const char* name;
    std::function<std::unique_ptr<vq::BFormatDecoder>()> decoder;
};

struct Plan {
    const char* name;
    vq::PartitionPlan plan;
};

// Seconds to run `chain` over `input` in blocks of `block` frames.
double Time(vq::ProcessingChain& chain, const std::vector<std::vector<double>>& input, std::int64_t block,
            std::vector<std::vector<double>>& output)
{
    const std::int64_t frames = static_cast<std::int64_t>(input.front().size());
    chain.Reset();
    Stopwatch clock;
    for (std::int64_t done = 0; done + block <= frames; done += block) {
        const double* in[4];
        double* out[vq::ProcessingChain::kMaxOutputs];
        for (int c = 0; c < 4; ++c)
            in[c] = input[static_cast<std::size_t>(c)].data() + done;
        for (int c = 0; c < chain.OutputChannels(); ++c)
            out[c] = output[static_cast<std::size_t>(c)].data() + done;
        chain.Process(in, out, block);
    }
    return clock.Seconds();
}

}  // namespace

int RunChainBench(double seconds, int taps, int repeats)
{
    const std::int64_t frames = static_cast<std::int64_t>(seconds * kRate);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    std::vector<std::vector<double>> input(4, std::vector<double>(static_cast<std::size_t>(frames)));
    for (std::vector<double>& channel : input)
        for (double& v : channel)
            v = noise(random);
    auto filters = std::make_shared<vq::FilterMatrixTaps>();
    filters->length = taps;
    filters->taps.resize(16 * static_cast<std::size_t>(taps));
    for (double& v : filters->taps)
        v = 0.05 * noise(random);
    std::vector<std::vector<double>> output(vq::ProcessingChain::kMaxOutputs,
                                            std::vector<double>(static_cast<std::size_t>(frames)));

    const auto head = std::make_shared<vq::SphericalHeadHrirs>();
    const Mode modes[] = {
        {"A -> B", {}},
        {"A -> binaural", [head] { return std::make_unique<vq::BinauralDecoder>(head); }},
        {"A -> binaural, parametric", [head] { return std::make_unique<vq::ParametricBinauralDecoder>(head); }},
    };
    const Plan plans[] = {{"throughput", vq::PartitionPlan::Throughput()}, {"live", vq::PartitionPlan::Live(kRate)}};
    const std::int64_t blocks[] = {64, 1024, 65536};
    constexpr std::size_t kModes = 3, kPlans = 2, kBlocks = 3;

    std::unique_ptr<vq::ProcessingChain> chains[kModes][kPlans];
    for (std::size_t m = 0; m < kModes; ++m)
        for (std::size_t p = 0; p < kPlans; ++p) {
            vq::ChainSetup setup;
            setup.sampleRate = kRate;
            setup.plan = plans[p].plan;
            setup.filters = filters;
            setup.decoder = modes[m].decoder;
            setup.highpassHz = 40.0;
            setup.rotation = vq::FieldRotation::FromDegrees(30.0, 0.0, 0.0);
            chains[m][p] = std::make_unique<vq::ProcessingChain>();
            vq::FailureDetail failure;
            if (chains[m][p]->Configure(setup, &failure) != 0) {
                std::fprintf(stderr, "%s: %s\n", modes[m].name, failure.reason.c_str());
                return 1;
            }
        }

    // Every chain and block length takes its turn in each round, so that a machine that
    // slows down for a while slows all of them.
    double best[kModes][kPlans][kBlocks];
    std::fill(&best[0][0][0], &best[0][0][0] + kModes * kPlans * kBlocks, 1e30);
    for (int r = 0; r < repeats; ++r)
        for (std::size_t m = 0; m < kModes; ++m)
            for (std::size_t p = 0; p < kPlans; ++p)
                for (std::size_t b = 0; b < kBlocks; ++b)
                    best[m][p][b] = std::min(best[m][p][b], Time(*chains[m][p], input, blocks[b], output));

    std::printf("Processing chain: %.0f s of 48 kHz A-format in memory, L = %d, one thread (best of %d)\n", seconds,
                taps, repeats);
    std::printf("  ns per frame fed in blocks of 64, 1024 and 65536 frames; the share of one core a\n"
                "  48 kHz stream in 64-frame blocks takes; latency in frames\n");
    std::printf("  %-26s %-10s %7s %9s %9s %9s %8s %9s\n", "", "plan", "latency", "@64", "@1024", "@65536",
                "64/1024", "core");
    for (std::size_t m = 0; m < kModes; ++m)
        for (std::size_t p = 0; p < kPlans; ++p) {
            double perFrame[kBlocks];
            for (std::size_t b = 0; b < kBlocks; ++b)
                perFrame[b] = best[m][p][b] / double(frames) * 1e9;
            std::printf("  %-26s %-10s %7lld %9.1f %9.1f %9.1f %8.2f %8.2f%%\n", modes[m].name, plans[p].name,
                        static_cast<long long>(chains[m][p]->LatencyFrames()), perFrame[0], perFrame[1],
                        perFrame[2], perFrame[0] / perFrame[1], perFrame[0] * kRate * 1e-7);
        }
    const std::size_t live = 1;
    std::printf("  live plan, parametric against linear headphones at 64-frame blocks: ratio %.2f\n",
                best[2][live][0] / best[1][live][0]);
    std::printf("  A -> B, the live plan at 64-frame blocks against the throughput plan at 1024: ratio %.2f\n",
                best[0][live][0] / best[0][0][1]);
    return 0;
}

}  // namespace bench
