// How the program's one FFT filter (BlockConvolver) cuts a filter and a stream into blocks,
// chosen by whoever sets the filter up, as zita-convolver's configure takes its quantum and
// partition sizes.
//
// - The throughput plan, for files: long transforms (ChooseFftLength) over whatever a call
//   brings, every output frame computed in the call that brings its input frame, so it adds
//   no latency; the blocks of a long call are independent and may run on a worker pool. A
//   call of a few frames still pays for a whole transform.
// - The live plan, for plug-ins and short blocks: the stream goes in quanta of P frames
//   (a whole number of them a call) and the filter is cut into partitions that grow with
//   their distance from its start (non-uniform partitioning): P, 2P, 4P, ... taps, a
//   partition of S taps computed every S frames with transforms of 2S points, and several
//   partitions of one size sharing their input spectra (a frequency-domain delay line).
//   A partition of S taps that starts S - P taps or more into the filter has its input
//   complete by the time its first output frame is due, so a stream fed in whole quanta
//   gets its output in the same call: what the live use adds is the one quantum a host's
//   blocks of any length are gathered into (ProcessingChain does that once for all its
//   filters). P is at most 64 frames at 48 kHz, scaled with the rate.
//
// Both plans give the same output, to the rounding of the sums.
#pragma once

#include <vector>

namespace vq {

struct PartitionPlan {
    // The longest partition the live plan may use, in frames: it bounds the work that falls
    // on one quantum (a transform of twice as many points).
    static constexpr int kMaxPartition = 16384;

    // Frames of a quantum, the first partition's length; 0 for the throughput plan.
    int quantum = 0;
    int maxPartition = kMaxPartition;

    static PartitionPlan Throughput() { return PartitionPlan{}; }
    // The live plan at `sampleRate` (Hz): a quantum of at most 64 frames at 48 kHz, scaled
    // with the rate, the longest of the form 2^k or 3 * 2^k (lengths FFTW transforms
    // fastest), at least 8: 48 at 44.1 kHz, 64 at 48 kHz, 128 at 96 kHz, 256 at 192 kHz.
    static PartitionPlan Live(int sampleRate);

    bool IsLive() const { return quantum > 0; }
};

// One size of partition in a live plan: `partitions` partitions of `size` taps each, the
// first starting `offset` taps into the filter.
struct PartitionLevel {
    int size = 0;
    int offset = 0;
    int partitions = 0;
};

// The levels of the live plan `plan` for filters of `filterLength` taps from `inputs` to
// `outputs` signals: sizes doubling from the quantum, one partition each, up to the size
// where the rest of the filter is cheapest as a delay line of equal partitions; chosen by
// a model of the transforms' and the products' work per frame. Empty for a throughput
// plan or a filter of no taps.
std::vector<PartitionLevel> PlanLevels(const PartitionPlan& plan, int filterLength, int inputs, int outputs);

}  // namespace vq
