#include "common/StreamingFirMatrix.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cstring>

namespace vq {

namespace {

// At least four times the filter: each step then yields three quarters of a frame. Blocks
// of a stream are short, so the transforms start smaller than the convolver's.
int ChooseLength(int filterLength)
{
    int n = 1024;
    while (n < 4 * filterLength)
        n *= 2;
    return n;
}

}  // namespace

int StreamingFirMatrix::Configure(int filterLength, int inputs, int outputs)
{
    if (filterLength < 1 || inputs < 1 || inputs > kMaxInputs || outputs < 1 || outputs > kMaxOutputs)
        return kBadParameter;
    m_inputs = inputs;
    m_outputs = outputs;
    const int fftLength = ChooseLength(filterLength);
    const int status = m_blocks.Configure(filterLength, fftLength, 1, {}, inputs, outputs);
    if (status != kStatusOk)
        return status;
    for (int k = 0; k < inputs; ++k)
        if (!m_frames[k].Allocate(static_cast<std::size_t>(fftLength)))
            return kOutOfMemory;
    Reset();
    return kStatusOk;
}

void StreamingFirMatrix::SetFilter(int input, int output, const double* taps)
{
    m_blocks.SetFilter(input, output, taps, 1, 1.0);
}

void StreamingFirMatrix::Reset()
{
    for (FftwArray<double>& frame : m_frames)
        std::fill(frame.data(), frame.data() + frame.size(), 0.0);
}

void StreamingFirMatrix::Process(const double* const in[], double* const out[], std::int64_t frames)
{
    const int hop = FftLength() - FilterLength() + 1;
    const double* input[kMaxInputs];
    double* output[kMaxOutputs];
    for (std::int64_t done = 0; done < frames;) {
        const int count = static_cast<int>(std::min<std::int64_t>(hop, frames - done));
        for (int k = 0; k < m_inputs; ++k)
            input[k] = in[k] + done;
        for (int j = 0; j < m_outputs; ++j)
            output[j] = out[j] + done;
        Step(input, output, count);
        done += count;
    }
}

void StreamingFirMatrix::Step(const double* const in[], double* const out[], int count)
{
    const int memory = FilterLength() - 1;
    const double* frames[kMaxInputs] = {};
    for (int k = 0; k < m_inputs; ++k) {
        double* frame = m_frames[k].data();
        std::copy(in[k], in[k] + count, frame + memory);
        std::fill(frame + memory + count, frame + FftLength(), 0.0);
        frames[k] = frame;
    }
    m_blocks.Convolve(frames, 0);
    for (int j = 0; j < m_outputs; ++j) {
        const double* result = m_blocks.ResultFrame(0, j) + memory;
        std::copy(result, result + count, out[j]);
    }
    // The newest L-1 samples are the memory of the next step.
    for (int k = 0; k < m_inputs; ++k)
        std::memmove(m_frames[k].data(), m_frames[k].data() + count, sizeof(double) * static_cast<std::size_t>(memory));
}

}  // namespace vq
