#include "demo/CapsuleRenderer.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

constexpr double kBandwidth = 0.92;  // of the Nyquist frequency: the sinc's cut-off

// Blackman-Harris window over [-1, 1]: side lobes below -92 dB.
double Window(double x)
{
    return 0.35875 + 0.48829 * std::cos(kPi * x) + 0.14128 * std::cos(2.0 * kPi * x) +
           0.01168 * std::cos(3.0 * kPi * x);
}

double Sinc(double x)
{
    return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

}  // namespace

CapsuleRenderer::CapsuleRenderer(const ArrayModel& model, int rate, std::int64_t frames) : m_model(model), m_rate(rate)
{
    for (auto& capsule : m_capsules)
        capsule.assign(static_cast<std::size_t>(frames), 0.0);
    // Row p holds the taps for a read position p / kPhases past a sample; tap i sits at
    // offset i - (kHalfWidth - 1) from that sample.
    const int width = 2 * kHalfWidth;
    m_kernels.resize(static_cast<std::size_t>((kPhases + 1) * width));
    for (int p = 0; p <= kPhases; ++p)
        for (int i = 0; i < width; ++i) {
            const double x = (i - (kHalfWidth - 1)) - static_cast<double>(p) / kPhases;
            m_kernels[p * width + i] = kBandwidth * Sinc(kBandwidth * x) * Window(x / kHalfWidth);
        }
}

double CapsuleRenderer::Interpolate(const std::vector<double>& sound, double position) const
{
    const double whole = std::floor(position);
    const double phase = (position - whole) * kPhases;
    const int row = std::min(static_cast<int>(phase), kPhases - 1);
    const double blend = phase - row;
    const std::int64_t first = static_cast<std::int64_t>(whole) - (kHalfWidth - 1);
    const int width = 2 * kHalfWidth;
    const double* a = &m_kernels[row * width];
    const double* b = a + width;
    double sum = 0.0;
    for (int i = 0; i < width; ++i) {
        const std::int64_t at = first + i;
        if (at < 0 || at >= static_cast<std::int64_t>(sound.size()))
            continue;
        sum += sound[at] * (a[i] + blend * (b[i] - a[i]));
    }
    return sum;
}

void CapsuleRenderer::Add(const std::vector<double>& sound, std::int64_t start,
                          const std::function<Vec3(double)>& direction)
{
    const std::int64_t frames = static_cast<std::int64_t>(m_capsules[0].size());
    const std::int64_t begin = std::max<std::int64_t>(0, start - kHalfWidth);
    const std::int64_t end =
        std::min<std::int64_t>(frames, start + static_cast<std::int64_t>(sound.size()) + kHalfWidth);
    for (std::int64_t n = begin; n < end; ++n) {
        const double offset = static_cast<double>(n - start);
        const Vec3 source = direction(offset / m_rate);
        for (int k = 0; k < ArrayModel::kCapsules; ++k) {
            // A capsule that hears the wave `lead` seconds early plays the centre's future.
            const double position = offset + m_model.Lead(k, source) * m_rate;
            m_capsules[k][n] += m_model.Gain(k, source) * Interpolate(sound, position);
        }
    }
}

}  // namespace vq
