// A FIR matrix on the live plan (PartitionPlan.h): the stream goes through in quanta of P
// frames, and every quantum's output comes out in the same call, with no latency of its
// own. The filter is cut into levels of growing partitions, each level one BlockConvolver
// with its own transform length and its partitions' delay line.
//
// A level of partitions of S taps starting `offset` taps into the filter runs every S / P
// quanta, on the 2S input frames that end `lag` = offset - (S - P) frames before the end of
// the quantum just received; its S results are the level's share of the output of that
// quantum and of the S / P - 1 after it. The input is kept in a ring written twice over, so that
// any stretch of it up to the ring's length lies contiguous in memory.
#pragma once

#include "common/BlockConvolver.h"
#include "common/FftwArray.h"
#include "common/PartitionPlan.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vq {

class PartitionedFir {
public:
    // Sizes and plans everything for filters of `filterLength` taps from `inputs` to
    // `outputs` signals (1 .. kMatrixSize each) on the live plan `plan`; all filters zero,
    // no past input. Status code.
    int Configure(int filterLength, int inputs, int outputs, const PartitionPlan& plan);

    // Sets the filter from `input` to `output` to gain * taps[0 .. filterLength-1].
    void SetFilter(int input, int output, const double* taps, double gain);

    // Forgets the past input (the start of a new stream).
    void Reset();

    // Filters the next `quanta` quanta: in[k][0 .. quanta*P-1] into out[j][0 .. quanta*P-1].
    void Process(const double* const in[], double* const out[], std::int64_t quanta);

    int Quantum() const { return m_quantum; }
    int FilterLength() const { return m_filterLength; }
    const std::vector<PartitionLevel>& Levels() const { return m_shapes; }

private:
    struct Level {
        PartitionLevel shape;
        int lag = 0;
        int period = 1;  // quanta between two runs: S / P
        BlockConvolver blocks;
    };

    void OneQuantum(const double* const in[], double* const out[]);

    int m_filterLength = 0;
    int m_inputs = 0;
    int m_outputs = 0;
    int m_quantum = 0;
    std::vector<PartitionLevel> m_shapes;
    std::vector<std::unique_ptr<Level>> m_levels;
    int m_ringLength = 0;                   // R, a whole number of quanta
    FftwArray<double> m_ring[kMatrixSize];  // 2R per input: frame i at i and at i + R
    int m_write = 0;                        // where the next quantum goes, 0 .. R-P
    std::int64_t m_quanta = 0;              // quanta received since the start
};

}  // namespace vq
