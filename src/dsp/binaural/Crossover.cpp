#include "binaural/Crossover.h"

#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Biquad {
    double b0, b1, b2, a1, a2;
};

// 2nd-order Butterworth: H(s) = 1 / (s^2 + sqrt(2) s + 1) (low) or s^2 / (...) (high), s
// normalised to the cutoff, with s = (1 - 1/z) / (K (1 + 1/z)) and K = tan(pi fc / rate).
Biquad Butterworth(double cutoffHz, int rate, bool highPass)
{
    const double k = std::tan(kPi * cutoffHz / rate);
    const double norm = 1.0 / (1.0 + std::sqrt(2.0) * k + k * k);
    const double a1 = 2.0 * (k * k - 1.0) * norm;
    const double a2 = (1.0 - std::sqrt(2.0) * k + k * k) * norm;
    if (highPass)
        return {norm, -2.0 * norm, norm, a1, a2};
    return {k * k * norm, 2.0 * k * k * norm, k * k * norm, a1, a2};
}

void Run(const Biquad& f, double* x, int count)
{
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    for (int i = 0; i < count; ++i) {
        const double y = f.b0 * x[i] + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
        x2 = x1;
        x1 = x[i];
        y2 = y1;
        y1 = y;
        x[i] = y;
    }
}

}  // namespace

void LinkwitzRileyLowPass(double* x, int count, double cutoffHz, int rate)
{
    const Biquad f = Butterworth(cutoffHz, rate, false);
    Run(f, x, count);
    Run(f, x, count);
}

void LinkwitzRileyHighPass(double* x, int count, double cutoffHz, int rate)
{
    const Biquad f = Butterworth(cutoffHz, rate, true);
    Run(f, x, count);
    Run(f, x, count);
}

}  // namespace vq
