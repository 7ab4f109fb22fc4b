#include "binaural/DecodeLayouts.h"

#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A plane wave of amplitude s from direction v gives W = s/sqrt(2) and (X, Y, Z) = s v, so
// the feed (g0 sqrt(2) W + g1 3 u.(X, Y, Z)) / count of the speaker at u is
// s (g0 + 3 g1 u.v) / count: unit pressure (the feeds add up to s) when g0 = 1.
VirtualSpeaker Speaker(double azimuth, double elevation, int count, double g0, double g1)
{
    const double az = azimuth * kPi / 180.0;
    const double el = elevation * kPi / 180.0;
    const double u[3] = {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
    VirtualSpeaker s{azimuth, elevation, {}};
    s.weights[0] = g0 * std::sqrt(2.0) / count;
    for (int i = 0; i < 3; ++i)
        s.weights[i + 1] = g1 * 3.0 * u[i] / count;
    return s;
}

}  // namespace

std::array<VirtualSpeaker, kLowBandSpeakers> LowBandSpeakers()
{
    const int n = kLowBandSpeakers;
    return {Speaker(0, 0, n, 1, 1),   Speaker(180, 0, n, 1, 1), Speaker(90, 0, n, 1, 1),
            Speaker(-90, 0, n, 1, 1), Speaker(0, 90, n, 1, 1),  Speaker(0, -90, n, 1, 1)};
}

std::array<VirtualSpeaker, kHighBandSpeakers> HighBandSpeakers()
{
    // For a regular layout of n speakers, the feed energy of one plane wave is
    // (g0^2 + 3 g1^2) / n: 4/6 for the low band, 2 g0^2 / 8 here with g1 = g0 / sqrt(3).
    const int n = kHighBandSpeakers;
    const double lowBandEnergy = 4.0 / kLowBandSpeakers;
    const double g0 = std::sqrt(lowBandEnergy * n / 2.0);
    const double g1 = g0 / std::sqrt(3.0);
    const double el = std::atan(1.0 / std::sqrt(2.0)) * 180.0 / kPi;  // 35.26 degrees
    std::array<VirtualSpeaker, kHighBandSpeakers> speakers{};
    int i = 0;
    for (double az : {45.0, 135.0, -135.0, -45.0})
        for (double e : {el, -el})
            speakers[i++] = Speaker(az, e, n, g0, g1);
    return speakers;
}

}  // namespace vq
