#include "common/GroupDelay.h"

#include <cmath>
#include <complex>
#include <limits>

namespace vq {

double MeanGroupDelay(const double* taps, std::size_t count, double rate, double lowHz, double highHz)
{
    constexpr double kPi = 3.14159265358979323846;
    double moment = 0.0, power = 0.0, energy = 0.0;
    for (std::size_t n = 0; n < count; ++n)
        energy += taps[n] * taps[n];
    for (int i = 0; i < kGroupDelayPoints; ++i) {
        const double frequency = lowHz + (highHz - lowHz) * i / (kGroupDelayPoints - 1);
        const double w = 2.0 * kPi * frequency / rate;
        std::complex<double> h = 0.0, nh = 0.0;
        for (std::size_t n = 0; n < count; ++n) {
            const std::complex<double> term = taps[n] * std::polar(1.0, -w * static_cast<double>(n));
            h += term;
            nh += static_cast<double>(n) * term;
        }
        moment += (nh * std::conj(h)).real();
        power += std::norm(h);
    }
    // Silent in the band: far below what rounding leaves of a filter's energy.
    if (!(power > 1e-20 * energy * kGroupDelayPoints) || !std::isfinite(moment))
        return std::numeric_limits<double>::quiet_NaN();
    return moment / power;
}

}  // namespace vq
