#include "spatial/DirectionalAnalysis.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

constexpr double kSqrtTwo = 1.4142135623730951;
constexpr int kReach = 2;  // neighbouring bands on each side
constexpr double kNeighbourWeights[2 * kReach + 1] = {1.0, 2.0, 3.0, 2.0, 1.0};
// Averages that decay through silence would end in denormal numbers, which are very slow to
// compute with; below this they are zero (the intensity is never larger than the energy).
constexpr double kDenormalGuard = 1e-200;

}  // namespace

double DirectionalAnalysis::TimeConstant(double hz)
{
    if (hz <= 0.0)
        return kMaxTimeConstant;
    return std::clamp(kPeriods / hz, kMinTimeConstant, kMaxTimeConstant);
}

void DirectionalAnalysis::Configure(const AnalysisBands& bands, double hopSeconds)
{
    m_bands = &bands;
    const std::size_t count = static_cast<std::size_t>(bands.Count());
    m_raw.assign(count, Sums{});
    m_averages.assign(count, Sums{});
    m_ownEnergy.assign(count, 0.0);
    m_neighbourBins.assign(count, 0.0);
    m_smoothing.assign(count, 0.0);
    m_estimates.assign(count, BandEstimate{});
    for (int b = 0; b < bands.Count(); ++b) {
        m_smoothing[static_cast<std::size_t>(b)] = std::exp(-hopSeconds / TimeConstant(bands.CentreHz(b)));
        double bins = 0.0;
        for (int j = -kReach; j <= kReach; ++j)
            if (b + j >= 0 && b + j < bands.Count())
                bins += kNeighbourWeights[j + kReach] * bands.Width(b + j);
        m_neighbourBins[static_cast<std::size_t>(b)] = bins;
    }
}

void DirectionalAnalysis::Reset()
{
    std::fill(m_averages.begin(), m_averages.end(), Sums{});
    std::fill(m_ownEnergy.begin(), m_ownEnergy.end(), 0.0);
    std::fill(m_estimates.begin(), m_estimates.end(), BandEstimate{});
}

void DirectionalAnalysis::Update(const fftw_complex* const bformat[4])
{
    const AnalysisBands& bands = *m_bands;
    const int count = bands.Count();
    const fftw_complex* w = bformat[0];
    const fftw_complex* x = bformat[1];
    const fftw_complex* y = bformat[2];
    const fftw_complex* z = bformat[3];
    for (int b = 0; b < count; ++b) {
        Sums s;
        for (int k = bands.First(b); k < bands.End(b); ++k) {
            s.ix += w[k][0] * x[k][0] + w[k][1] * x[k][1];
            s.iy += w[k][0] * y[k][0] + w[k][1] * y[k][1];
            s.iz += w[k][0] * z[k][0] + w[k][1] * z[k][1];
            const double pressure = w[k][0] * w[k][0] + w[k][1] * w[k][1];
            const double velocity = x[k][0] * x[k][0] + x[k][1] * x[k][1] + y[k][0] * y[k][0] + y[k][1] * y[k][1] +
                                    z[k][0] * z[k][0] + z[k][1] * z[k][1];
            s.e += pressure + 0.5 * velocity;  // (|sqrt(2) W|^2 + |V|^2) / 2
        }
        s.ix *= kSqrtTwo;
        s.iy *= kSqrtTwo;
        s.iz *= kSqrtTwo;
        m_raw[static_cast<std::size_t>(b)] = s;
    }

    for (int b = 0; b < count; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        Sums across;
        for (int j = -kReach; j <= kReach; ++j) {
            if (b + j < 0 || b + j >= count)
                continue;
            const Sums& r = m_raw[static_cast<std::size_t>(b + j)];
            const double weight = kNeighbourWeights[j + kReach];
            across.ix += weight * r.ix;
            across.iy += weight * r.iy;
            across.iz += weight * r.iz;
            across.e += weight * r.e;
        }
        const double a = m_smoothing[i];
        const double perBin = (1.0 - a) / m_neighbourBins[i];
        Sums& avg = m_averages[i];
        avg.ix = a * avg.ix + perBin * across.ix;
        avg.iy = a * avg.iy + perBin * across.iy;
        avg.iz = a * avg.iz + perBin * across.iz;
        avg.e = a * avg.e + perBin * across.e;
        m_ownEnergy[i] = a * m_ownEnergy[i] + (1.0 - a) * m_raw[i].e;
        if (avg.e < kDenormalGuard)
            avg = Sums{};
        if (m_ownEnergy[i] < kDenormalGuard)
            m_ownEnergy[i] = 0.0;

        BandEstimate& estimate = m_estimates[i];
        const double length = std::sqrt(avg.ix * avg.ix + avg.iy * avg.iy + avg.iz * avg.iz);
        estimate.intensity = length;
        estimate.energy = avg.e;
        estimate.ownEnergy = m_ownEnergy[i];
        if (length > 0.0 && avg.e > 0.0) {
            estimate.direction = {avg.ix / length, avg.iy / length, avg.iz / length};
            estimate.diffuseness = std::clamp(1.0 - length / avg.e, 0.0, 1.0);
        } else {
            estimate.direction = {1.0, 0.0, 0.0};
            estimate.diffuseness = 1.0;
        }
    }
}

}  // namespace vq
