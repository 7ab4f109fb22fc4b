#include "binaural/SphericalHeadHrirs.h"

#include "binaural/SincKernel.h"
#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTimeConstant = SphericalHeadHrirs::kHeadRadius / SphericalHeadHrirs::kSpeedOfSound;  // a/c
constexpr double kShadowCorner = 2.0 / kTimeConstant;  // beta = 2c/a, rad/s
constexpr double kMinAlpha = 0.1;
constexpr double kMinAlphaAngle = 150.0 * kPi / 180.0;
// The shadow filter's pole decays to this fraction before the response ends.
constexpr double kTailLevel = 1e-9;

// Brown & Duda's high-frequency gain of the shadow for a source `angle` radians from the ear.
double ShadowAlpha(double angle)
{
    return (1.0 + kMinAlpha / 2.0) + (1.0 - kMinAlpha / 2.0) * std::cos(angle / kMinAlphaAngle * kPi);
}

// Low-frequency group delay of the shadow filter, in seconds (negative when it leads).
double ShadowGroupDelay(double alpha)
{
    return (1.0 - alpha) / kShadowCorner;
}

// Pole of the bilinear-transformed shadow filter.
double ShadowPole(int sampleRate)
{
    const double k = 2.0 * sampleRate;
    return (k - kShadowCorner) / (k + kShadowCorner);
}

}  // namespace

int SphericalHeadHrirs::CheckRate(int sampleRate, std::string& reason) const
{
    if (sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate)
        return kStatusOk;
    reason = "the head model works from " + std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
             " Hz, not at " + std::to_string(sampleRate) + " Hz";
    return kHrtfRateUnusable;
}

double SphericalHeadHrirs::EarDelay(double lateral)
{
    return lateral >= 0.0 ? -kTimeConstant * std::sin(lateral) : -kTimeConstant * lateral;
}

double SphericalHeadHrirs::BulkDelay(int sampleRate)
{
    // The earliest ear is a/c ahead of the centre, and the shadow filter's lead is at most
    // 1/beta (alpha = 2); the kernel needs its half width before its centre.
    return kTimeConstant + 1.0 / kShadowCorner + SincKernel().HalfWidth() / sampleRate;
}

int SphericalHeadHrirs::Length(int sampleRate) const
{
    // The latest ear: the far side (a/c pi/2), plus at most 1/beta for the shadow filter.
    const double latest = BulkDelay(sampleRate) + kTimeConstant * kPi / 2.0 + 1.0 / kShadowCorner;
    const double tail = std::log(kTailLevel) / std::log(ShadowPole(sampleRate));
    return static_cast<int>(std::ceil(latest * sampleRate + SincKernel().HalfWidth() + tail));
}

void SphericalHeadHrirs::Responses(double azimuthDeg, double elevationDeg, int sampleRate, double* left,
                                   double* right) const
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = elevationDeg * kPi / 180.0;
    const double x = std::cos(el) * std::cos(az);
    const double y = std::cos(el) * std::sin(az);
    const double lateral = std::asin(std::clamp(y, -1.0, 1.0));

    // Angles from the ear entrances at azimuth +-kEarAzimuth (in the horizontal plane).
    const double earX = std::cos(kEarAzimuth * kPi / 180.0);
    const double earY = std::sin(kEarAzimuth * kPi / 180.0);
    const double leftAngle = std::acos(std::clamp(x * earX + y * earY, -1.0, 1.0));
    const double rightAngle = std::acos(std::clamp(x * earX - y * earY, -1.0, 1.0));

    EarResponse(lateral, leftAngle, sampleRate, left);
    EarResponse(-lateral, rightAngle, sampleRate, right);
}

void SphericalHeadHrirs::EarResponse(double lateral, double shadowAngle, int sampleRate, double* taps) const
{
    const int length = Length(sampleRate);
    const double alpha = ShadowAlpha(shadowAngle);

    // The fractional delay: kernel samples around the delay, scaled to exactly unit gain at 0 Hz.
    const SincKernel kernel;
    const double delay = (BulkDelay(sampleRate) + EarDelay(lateral) - ShadowGroupDelay(alpha)) * sampleRate;
    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        taps[i] = kernel(i - delay);
        sum += taps[i];
    }

    // The shadow filter, bilinear transform: y[n] = b0 x[n] + b1 x[n-1] - a1 y[n-1].
    const double k = 2.0 * sampleRate;
    const double b0 = (alpha * k + kShadowCorner) / (k + kShadowCorner);
    const double b1 = (kShadowCorner - alpha * k) / (k + kShadowCorner);
    const double a1 = -ShadowPole(sampleRate);
    double previousIn = 0.0;
    double previousOut = 0.0;
    for (int i = 0; i < length; ++i) {
        const double in = taps[i] / sum;
        previousOut = b0 * in + b1 * previousIn - a1 * previousOut;
        previousIn = in;
        taps[i] = previousOut;
    }
}

}  // namespace vq
