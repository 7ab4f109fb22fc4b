#include "common/PartitionPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vq {

namespace {

constexpr double kQuantumFramesAt48k = 64.0;
constexpr int kMinQuantum = 8;

// The work per frame of a level, in units of one complex multiply-add of a bin: each of
// its blocks transforms every input and every output once (2S points per S frames) and
// multiplies every partition's spectra. A real transform of n points counted as a fifth of
// a multiply-add per point and per log2(n) makes the model pick the layout measured fastest
// (FFTW on x86-64, quantum 64) for 512 and 4096 taps 4x4, the headphone filters 4x2 and the
// UHJ phase shift 1x1, or one within a fifth of it.
constexpr double kTransformWork = 0.2;

double LevelWork(const PartitionLevel& level, int inputs, int outputs)
{
    const double points = 2.0 * level.size;
    const double transforms = (inputs + outputs) * kTransformWork * points * std::log2(points) / level.size;
    const double products = double(level.partitions) * inputs * outputs * (level.size / 2.0 + 1.0) * 2.0 / level.size;
    return transforms + products;
}

}  // namespace

PartitionPlan PartitionPlan::Live(int sampleRate)
{
    const double limit = kQuantumFramesAt48k * std::max(sampleRate, 1) / 48000.0;
    int quantum = kMinQuantum;
    for (int power = kMinQuantum; power <= limit; power *= 2)
        quantum = 3 * power / 2 <= limit ? 3 * power / 2 : power;
    PartitionPlan plan;
    plan.quantum = quantum;
    return plan;
}

std::vector<PartitionLevel> PlanLevels(const PartitionPlan& plan, int filterLength, int inputs, int outputs)
{
    const int quantum = plan.quantum;
    if (quantum <= 0 || filterLength <= 0)
        return {};
    // Candidates: one partition of each size from the quantum up to `last`, then as many of
    // size `last` as the rest needs. A partition of S taps can start S - P taps in at the
    // earliest; one of each smaller size puts it exactly there.
    std::vector<PartitionLevel> best;
    double bestWork = std::numeric_limits<double>::infinity();
    for (long last = quantum; last <= std::max(plan.maxPartition, quantum); last *= 2) {
        std::vector<PartitionLevel> levels;
        double work = 0.0;
        for (long size = quantum; size <= last; size *= 2) {
            const long offset = size - quantum;
            const long rest = filterLength - offset;
            if (rest <= 0)
                break;
            const long partitions = size < last ? 1 : (rest + size - 1) / size;
            levels.push_back({static_cast<int>(size), static_cast<int>(offset), static_cast<int>(partitions)});
            work += LevelWork(levels.back(), inputs, outputs);
        }
        if (levels.back().size < last)
            break;  // the smaller sizes cover the filter already: larger ones change nothing
        if (work < bestWork) {
            bestWork = work;
            best = levels;
        }
    }
    return best;
}

}  // namespace vq
