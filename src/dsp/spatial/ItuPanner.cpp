#include "spatial/ItuPanner.h"

#include "surround/EnergyDecodeDesign.h"

#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct RingSpeaker {
    int index;  // in the order of the gains
    double degrees;
};

// Counter-clockwise from the front, once around.
const RingSpeaker kRing[] = {
    {2, 0.0},
    {0, kItuFrontDegrees},
    {3, kItuSurroundDegrees},
    {4, 360.0 - kItuSurroundDegrees},
    {1, 360.0 - kItuFrontDegrees},
};
constexpr int kRingSize = 5;

}  // namespace

std::array<double, ItuPanner::kSpeakers> ItuPanner::Gains(const std::array<double, 3>& direction)
{
    std::array<double, kSpeakers> gains{};
    const double horizontal = direction[0] * direction[0] + direction[1] * direction[1];  // cos^2 e
    const double spread = std::max(0.0, 1.0 - horizontal) / kSpeakers;
    if (horizontal > 0.0) {
        double azimuth = std::atan2(direction[1], direction[0]) * 180.0 / kPi;
        if (azimuth < 0.0)
            azimuth += 360.0;
        int pair = kRingSize - 1;
        for (int i = 0; i + 1 < kRingSize; ++i)
            if (azimuth >= kRing[i].degrees && azimuth < kRing[i + 1].degrees)
                pair = i;
        const RingSpeaker& a = kRing[pair];
        const RingSpeaker& b = kRing[(pair + 1) % kRingSize];
        // Solve g1 l1 + g2 l2 = p for the unit vectors l1, l2 of the pair and p of the azimuth.
        const double a1 = a.degrees * kPi / 180.0, a2 = b.degrees * kPi / 180.0, p = azimuth * kPi / 180.0;
        const double det = std::sin(a2 - a1);
        double g1 = std::sin(a2 - p) / det;
        double g2 = std::sin(p - a1) / det;
        g1 = std::max(g1, 0.0);
        g2 = std::max(g2, 0.0);
        const double norm = std::sqrt(g1 * g1 + g2 * g2);
        gains[a.index] = g1 / norm * std::sqrt(horizontal);
        gains[b.index] = g2 / norm * std::sqrt(horizontal);
    }
    for (double& g : gains)
        g = std::sqrt(g * g + spread);
    return gains;
}

}  // namespace vq
