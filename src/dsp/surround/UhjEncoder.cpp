#include "surround/UhjEncoder.h"

#include "common/EngineStatus.h"

#include <algorithm>

namespace vq {

namespace {

constexpr double kSW = 0.9396926;
constexpr double kSX = 0.1855740;
constexpr double kDW = -0.3420201;
constexpr double kDX = 0.5098604;
constexpr double kDY = 0.6554516;

// Frames mixed, shifted and combined at a time: the buffers stay in the processor's cache.
constexpr std::int64_t kPieceFrames = 16384;

}  // namespace

int UhjEncoder::Prepare(int sampleRate, std::int64_t maxFrames)
{
    // The phase shifter's length grows with the rate: a header's absurd rate must not make a
    // take of a few frames run for minutes.
    if (sampleRate <= 0 || sampleRate > kMaxSampleRate || maxFrames < 0)
        return kBadParameter;
    m_pieceFrames = std::clamp<std::int64_t>(maxFrames, 1, kPieceFrames);
    // Under a live plan the shifter takes whole quanta.
    if (m_plan.IsLive())
        m_pieceFrames = std::max<std::int64_t>(m_plan.quantum, m_pieceFrames / m_plan.quantum * m_plan.quantum);
    const int status = m_shifter.Prepare(sampleRate, m_plan);
    if (status != kStatusOk)
        return status;
    const std::size_t piece = static_cast<std::size_t>(m_pieceFrames);
    const std::size_t delay = static_cast<std::size_t>(m_shifter.LatencyFrames());
    if (!m_toShift.Allocate(piece) || !m_shifted.Allocate(piece) || !m_delayLeft.Allocate(delay) ||
        !m_delayRight.Allocate(delay))
        return kOutOfMemory;
    m_delayPosition = 0;
    return kStatusOk;
}

void UhjEncoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    const std::int64_t delay = m_shifter.LatencyFrames();
    for (std::int64_t start = 0; start < frames; start += m_pieceFrames) {
        const std::int64_t count = std::min(m_pieceFrames, frames - start);
        const double* w = in[0] + start;
        const double* x = in[1] + start;
        const double* y = in[2] + start;
        double* left = out[kLeft] + start;
        double* right = out[kRight] + start;

        for (std::int64_t n = 0; n < count; ++n)
            m_toShift[n] = kDW * w[n] + kDX * x[n];
        m_shifter.Process(m_toShift.data(), m_shifted.data(), count);

        std::int64_t position = m_delayPosition;
        for (std::int64_t n = 0; n < count; ++n) {
            const double s = kSW * w[n] + kSX * x[n];
            const double leftNow = 0.5 * (s + kDY * y[n]);
            const double rightNow = 0.5 * (s - kDY * y[n]);
            const double halfShifted = 0.5 * m_shifted[n];
            left[n] = m_delayLeft[position] + halfShifted;
            right[n] = m_delayRight[position] - halfShifted;
            m_delayLeft[position] = leftNow;
            m_delayRight[position] = rightNow;
            if (++position == delay)
                position = 0;
        }
        m_delayPosition = position;
    }
}

}  // namespace vq
