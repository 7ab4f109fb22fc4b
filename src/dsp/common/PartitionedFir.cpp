#include "common/PartitionedFir.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vq {

int PartitionedFir::Configure(int filterLength, int inputs, int outputs, const PartitionPlan& plan)
{
    m_levels.clear();
    if (filterLength < 1 || inputs < 1 || inputs > kMatrixSize || outputs < 1 || outputs > kMatrixSize ||
        !plan.IsLive())
        return kBadParameter;
    m_filterLength = filterLength;
    m_inputs = inputs;
    m_outputs = outputs;
    m_quantum = plan.quantum;
    try {
        m_shapes = PlanLevels(plan, filterLength, inputs, outputs);
        m_ringLength = m_quantum;
        for (const PartitionLevel& shape : m_shapes) {
            auto level = std::make_unique<Level>();
            level->shape = shape;
            level->lag = shape.offset - (shape.size - m_quantum);
            level->period = shape.size / m_quantum;
            const int status = level->blocks.Configure(shape.size, 2 * shape.size, 1, {}, inputs, outputs,
                                                       shape.partitions);
            if (status != kStatusOk)
                return status;
            m_ringLength = std::max(m_ringLength, 2 * shape.size + level->lag);
            m_levels.push_back(std::move(level));
        }
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_ringLength = (m_ringLength + m_quantum - 1) / m_quantum * m_quantum;
    for (int k = 0; k < inputs; ++k)
        if (!m_ring[k].Allocate(2 * static_cast<std::size_t>(m_ringLength)))
            return kOutOfMemory;
    Reset();
    return kStatusOk;
}

void PartitionedFir::SetFilter(int input, int output, const double* taps, double gain)
{
    for (const std::unique_ptr<Level>& level : m_levels) {
        const PartitionLevel& shape = level->shape;
        for (int p = 0; p < shape.partitions; ++p) {
            const int first = shape.offset + p * shape.size;
            const int count = std::clamp(m_filterLength - first, 0, shape.size);
            level->blocks.SetPartition(p, input, output, taps + first, count, 1, gain);
        }
    }
}

void PartitionedFir::Reset()
{
    for (int k = 0; k < m_inputs; ++k)
        std::fill(m_ring[k].data(), m_ring[k].data() + m_ring[k].size(), 0.0);
    for (const std::unique_ptr<Level>& level : m_levels)
        level->blocks.ClearHistory();
    m_write = 0;
    m_quanta = 0;
}

void PartitionedFir::Process(const double* const in[], double* const out[], std::int64_t quanta)
{
    const double* input[kMatrixSize];
    double* output[kMatrixSize];
    for (std::int64_t q = 0; q < quanta; ++q) {
        const std::int64_t at = q * m_quantum;
        for (int k = 0; k < m_inputs; ++k)
            input[k] = in[k] + at;
        for (int j = 0; j < m_outputs; ++j)
            output[j] = out[j] + at;
        OneQuantum(input, output);
    }
}

void PartitionedFir::OneQuantum(const double* const in[], double* const out[])
{
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(m_quantum);
    for (int k = 0; k < m_inputs; ++k) {
        std::memcpy(m_ring[k].data() + m_write, in[k], bytes);
        std::memcpy(m_ring[k].data() + m_write + m_ringLength, in[k], bytes);
    }
    // The newest input frame is the last one before `end` in the second copy.
    const int end = m_write + m_quantum + m_ringLength;
    bool first = true;
    for (const std::unique_ptr<Level>& level : m_levels) {
        const int size = level->shape.size;
        const int phase = static_cast<int>(m_quanta % level->period);
        if (phase == 0) {
            const double* frames[kMatrixSize] = {};
            for (int k = 0; k < m_inputs; ++k)
                frames[k] = m_ring[k].data() + (end - level->lag - 2 * size);
            level->blocks.Convolve(frames, 0);
        }
        for (int j = 0; j < m_outputs; ++j) {
            const double* share = level->blocks.Result(0, j) + static_cast<std::ptrdiff_t>(phase) * m_quantum;
            double* y = out[j];
            if (first)
                std::memcpy(y, share, bytes);
            else
                for (int n = 0; n < m_quantum; ++n)
                    y[n] += share[n];
        }
        first = false;
    }
    m_write = m_write + m_quantum < m_ringLength ? m_write + m_quantum : 0;
    ++m_quanta;
}

}  // namespace vq
