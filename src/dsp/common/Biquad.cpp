#include "common/Biquad.h"

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;

// The poles shared by both kinds: with K = tan(pi fc / rate) the analogue corner that the
// bilinear transform s = (1 - 1/z) / (K (1 + 1/z)) maps to fc.
Biquad Poles(double cornerHz, double sampleRate, double inverseQ, double* k, double* norm)
{
    *k = std::tan(kPi * cornerHz / sampleRate);
    *norm = 1.0 / (1.0 + inverseQ * *k + *k * *k);
    Biquad f;
    f.a1 = 2.0 * (*k * *k - 1.0) * *norm;
    f.a2 = (1.0 - inverseQ * *k + *k * *k) * *norm;
    return f;
}

}  // namespace

Biquad Biquad::LowPass(double cornerHz, double sampleRate, double inverseQ)
{
    double k = 0.0, norm = 0.0;
    Biquad f = Poles(cornerHz, sampleRate, inverseQ, &k, &norm);
    f.b0 = f.b2 = k * k * norm;
    f.b1 = 2.0 * f.b0;
    return f;
}

Biquad Biquad::HighPass(double cornerHz, double sampleRate, double inverseQ)
{
    double k = 0.0, norm = 0.0;
    Biquad f = Poles(cornerHz, sampleRate, inverseQ, &k, &norm);
    f.b0 = f.b2 = norm;
    f.b1 = -2.0 * norm;
    return f;
}

}  // namespace vq
