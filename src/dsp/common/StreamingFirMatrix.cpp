#include "common/StreamingFirMatrix.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cstring>

namespace vq {

int StreamingFirMatrix::Configure(int filterLength, int inputs, int outputs, const PartitionPlan& plan, int slots)
{
    if (filterLength < 1 || inputs < 1 || inputs > kMaxInputs || outputs < 1 || outputs > kMaxOutputs || slots < 1)
        return kBadParameter;
    m_plan = plan;
    m_filterLength = filterLength;
    m_inputs = inputs;
    m_outputs = outputs;
    if (plan.IsLive())
        return m_partitioned.Configure(filterLength, inputs, outputs, plan);
    const int fftLength = ChooseFftLength(filterLength);
    const int status = m_blocks.Configure(filterLength, fftLength, slots, {}, inputs, outputs);
    if (status != kStatusOk)
        return status;
    for (int k = 0; k < inputs; ++k)
        if (!m_frames[k].Allocate(static_cast<std::size_t>(fftLength)))
            return kOutOfMemory;
    Reset();
    return kStatusOk;
}

int StreamingFirMatrix::FftLength() const
{
    if (!m_plan.IsLive())
        return m_blocks.FftLength();
    const std::vector<PartitionLevel>& levels = m_partitioned.Levels();
    return levels.empty() ? 0 : 2 * levels.back().size;
}

void StreamingFirMatrix::SetFilter(int input, int output, const double* taps, double gain)
{
    if (m_plan.IsLive())
        m_partitioned.SetFilter(input, output, taps, gain);
    else
        m_blocks.SetFilter(input, output, taps, 1, gain);
}

void StreamingFirMatrix::Reset()
{
    if (m_plan.IsLive()) {
        m_partitioned.Reset();
        return;
    }
    for (FftwArray<double>& frame : m_frames)
        std::fill(frame.data(), frame.data() + frame.size(), 0.0);
}

int StreamingFirMatrix::Process(const double* const in[], double* const out[], std::int64_t frames)
{
    if (m_plan.IsLive()) {
        if (frames % m_plan.quantum != 0) {
            for (int j = 0; j < m_outputs; ++j)
                std::fill(out[j], out[j] + frames, 0.0);
            return kBadParameter;
        }
        m_partitioned.Process(in, out, frames / m_plan.quantum);
        return kStatusOk;
    }
    BeginSteps(in, out, frames);
    const int steps = Steps(frames);
    for (int step = 0; step < steps; ++step)
        RunStep(step, 0);
    EndSteps();
    return kStatusOk;
}

int StreamingFirMatrix::Steps(std::int64_t frames) const
{
    return static_cast<int>((frames + Hop() - 1) / Hop());
}

void StreamingFirMatrix::BeginSteps(const double* const in[], double* const out[], std::int64_t frames)
{
    for (int k = 0; k < m_inputs; ++k)
        m_in[k] = in[k];
    for (int j = 0; j < m_outputs; ++j)
        m_out[j] = out[j];
    m_frameCount = frames;
}

void StreamingFirMatrix::RunStep(int step, int slot)
{
    const int memory = m_filterLength - 1;
    const std::int64_t start = std::int64_t(step) * Hop();
    const int count = static_cast<int>(std::min<std::int64_t>(Hop(), m_frameCount - start));
    const double* frames[kMaxInputs] = {};
    for (int k = 0; k < m_inputs; ++k) {
        if (step == 0) {
            // The memory, then the block's first frames.
            std::copy(m_in[k], m_in[k] + count, m_frames[k].data() + memory);
            frames[k] = m_frames[k].data();
        } else {
            // The block itself holds the L-1 frames before a later step.
            frames[k] = m_in[k] + (start - memory);
        }
    }
    m_blocks.Convolve(frames, slot, memory + count);
    for (int j = 0; j < m_outputs; ++j) {
        const double* result = m_blocks.ResultFrame(slot, j) + memory;
        std::copy(result, result + count, m_out[j] + start);
    }
}

void StreamingFirMatrix::EndSteps()
{
    // The newest L-1 samples are the memory of the next block.
    const std::int64_t memory = m_filterLength - 1;
    for (int k = 0; k < m_inputs; ++k) {
        double* kept = m_frames[k].data();
        if (m_frameCount >= memory) {
            std::copy(m_in[k] + (m_frameCount - memory), m_in[k] + m_frameCount, kept);
        } else {
            std::memmove(kept, kept + m_frameCount, sizeof(double) * static_cast<std::size_t>(memory - m_frameCount));
            std::copy(m_in[k], m_in[k] + m_frameCount, kept + (memory - m_frameCount));
        }
    }
}

}  // namespace vq
