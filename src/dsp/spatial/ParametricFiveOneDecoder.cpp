#include "spatial/ParametricFiveOneDecoder.h"

#include "common/EngineStatus.h"
#include "spatial/ItuPanner.h"
#include "surround/EnergyDecodeDesign.h"
#include "surround/MatrixFiveOneDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vq {

namespace {

// The rendered channels, in ItuPanner's order, and where each goes among the outputs.
constexpr int kRendered = ItuPanner::kSpeakers;
constexpr int kOutputOf[kRendered] = {kLeft, kRight, kCentre, kLeftSurround, kRightSurround};

}  // namespace

ParametricFiveOneDecoder::ParametricFiveOneDecoder(bool lowFreqsInLfe)
    : ParametricDecoder(kRendered), m_lowFreqsInLfe(lowFreqsInLfe)
{
}

int ParametricFiveOneDecoder::Prepare(int sampleRate, std::int64_t maxFrames)
{
    m_lfeDelay.clear();
    const int status = PrepareRendering(sampleRate, maxFrames);
    if (status != kStatusOk)
        return status;
    m_lfe = LfeFilter(sampleRate);
    m_lfeState = LfeState{};
    try {
        m_lfeDelay.assign(static_cast<std::size_t>(LatencyFrames()), 0.0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_lfeAt = 0;
    return kStatusOk;
}

void ParametricFiveOneDecoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    double* rendered[kRendered];
    for (int c = 0; c < kRendered; ++c)
        rendered[c] = out[kOutputOf[c]];
    Render(in, rendered, frames);

    double* lfe = out[kLfe];
    if (!m_lowFreqsInLfe || m_lfeDelay.empty()) {
        std::fill(lfe, lfe + frames, 0.0);
        return;
    }
    // The low-pass of W, delayed as the rendered channels are.
    const double* w = in[0];
    LfeState state = m_lfeState;
    for (std::int64_t n = 0; n < frames; ++n) {
        const double next = MatrixFiveOneDecoder::kLfeLevel * m_lfe.Next(w[n], state);
        lfe[n] = m_lfeDelay[m_lfeAt];
        m_lfeDelay[m_lfeAt] = next;
        if (++m_lfeAt == m_lfeDelay.size())
            m_lfeAt = 0;
    }
    m_lfeState = state;
}

int ParametricFiveOneDecoder::DesignLinear(int /*sampleRate*/, LinearDecode& linear)
{
    const DecodeMatrix& matrix = EnergyDecodeMatrix();
    linear.channels = kRendered;
    linear.length = 1;
    for (int c = 0; c < kRendered; ++c) {
        const int speaker = kOutputOf[c];
        linear.taps[0][c] = {matrix.w[speaker]};
        linear.taps[1][c] = {matrix.x[speaker]};
        linear.taps[2][c] = {matrix.y[speaker]};
        linear.taps[3][c] = {0.0};
    }
    return kStatusOk;
}

int ParametricFiveOneDecoder::PrepareDirect(int /*sampleRate*/, const AnalysisBands& /*bands*/, BFormatStft& /*stft*/)
{
    return kStatusOk;
}

void ParametricFiveOneDecoder::DirectRendering(const std::array<double, 3>& direction, int /*band*/, double gains[],
                                               double delays[]) const
{
    const std::array<double, kRendered> panned = ItuPanner::Gains(direction);
    for (int c = 0; c < kRendered; ++c) {
        gains[c] = panned[c];
        delays[c] = 0.0;
    }
}

void ParametricFiveOneDecoder::DiffuseGains(int /*band*/, double gains[]) const
{
    // An equal share of the energy for each loudspeaker.
    for (int c = 0; c < kRendered; ++c)
        gains[c] = 1.0 / std::sqrt(double(kRendered));
}

}  // namespace vq
