#include "surround/WidebandPhaseShifter.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;
// Half the filter's span in seconds: the longer, the lower the band reaches.
constexpr double kHalfSpanSeconds = 0.1;
// The Kaiser window's shape: side lobes near -80 dB.
constexpr double kKaiserBeta = 8.0;

// The modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 500 && term > 1e-17 * sum; ++k) {
        const double ratio = x / (2.0 * k);
        term *= ratio * ratio;
        sum += term;
    }
    return sum;
}

}  // namespace

std::int64_t WidebandPhaseShifter::HalfLength(int sampleRate)
{
    return std::max<std::int64_t>(1, std::llround(kHalfSpanSeconds * sampleRate));
}

std::vector<double> WidebandPhaseShifter::DesignTaps(int sampleRate)
{
    const std::int64_t m = HalfLength(sampleRate);
    std::vector<double> taps(static_cast<std::size_t>(2 * m + 1), 0.0);
    const double norm = BesselI0(kKaiserBeta);
    // The ideal response +j sgn(f) has the impulse response -2 / (pi k) at odd k and 0 at
    // even k; tap m + k holds lag k.
    for (std::int64_t k = 1; k <= m; k += 2) {
        const double r = double(k) / double(m);
        const double window = BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        const double value = 2.0 / (kPi * double(k)) * window;
        taps[static_cast<std::size_t>(m + k)] = -value;
        taps[static_cast<std::size_t>(m - k)] = value;
    }
    return taps;
}

int WidebandPhaseShifter::Prepare(int sampleRate, const PartitionPlan& plan)
{
    if (sampleRate <= 0)
        return kBadParameter;
    m_halfLength = HalfLength(sampleRate);
    const std::vector<double> taps = DesignTaps(sampleRate);
    if (taps.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 8))
        return kBadParameter;  // a rate beyond any audio file's
    const int status = m_filter.Configure(static_cast<int>(taps.size()), 1, 1, plan);
    if (status != kStatusOk)
        return status;
    m_filter.SetFilter(0, 0, taps.data());
    return kStatusOk;
}

void WidebandPhaseShifter::Process(const double* in, double* out, std::int64_t frames)
{
    const double* const inputs[] = {in};
    double* const outputs[] = {out};
    m_filter.Process(inputs, outputs, frames);
}

}  // namespace vq
