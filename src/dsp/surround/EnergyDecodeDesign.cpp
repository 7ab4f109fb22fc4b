#include "surround/EnergyDecodeDesign.h"

#include "surround/NelderMead.h"

#include <cmath>
#include <initializer_list>
#include <vector>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrtTwo = 1.4142135623730951;
constexpr int kVirtualSpeakers = 360;
constexpr double kMaxReWeight = 0.7071067811865476;  // cos(pi / 4): first order, horizontal
constexpr int kSourceDirections = 360;
constexpr double kAllRadAnchor = 1.0;  // weight of the distance from the AllRAD matrix

struct Speaker {
    int channel;
    double degrees;
};

// Counter-clockwise from the front.
const Speaker kRing[] = {
    {kCentre, 0.0},
    {kLeft, kItuFrontDegrees},
    {kLeftSurround, kItuSurroundDegrees},
    {kRightSurround, 360.0 - kItuSurroundDegrees},
    {kRight, 360.0 - kItuFrontDegrees},
};
constexpr int kRingSize = 5;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// The free weights of a left-right symmetric matrix: C (w, x), L (w, x, y), Ls (w, x, y).
// R and Rs mirror L and Ls; the C and LFE rows have no y.
std::vector<double> Weights(const DecodeMatrix& m)
{
    return {m.w[kCentre], m.x[kCentre],       m.w[kLeft],         m.x[kLeft],
            m.y[kLeft],   m.w[kLeftSurround], m.x[kLeftSurround], m.y[kLeftSurround]};
}

DecodeMatrix Symmetric(const std::vector<double>& p)
{
    DecodeMatrix m;
    m.w[kCentre] = p[0];
    m.x[kCentre] = p[1];
    const int pairs[2][2] = {{kLeft, kRight}, {kLeftSurround, kRightSurround}};
    for (int i = 0; i < 2; ++i) {
        const double* q = &p[2 + 3 * i];
        m.w[pairs[i][0]] = m.w[pairs[i][1]] = q[0];
        m.x[pairs[i][0]] = m.x[pairs[i][1]] = q[1];
        m.y[pairs[i][0]] = q[2];
        m.y[pairs[i][1]] = -q[2];
    }
    return m;
}

// Total energy and energy vector of a plane wave from `azimuth` (radians).
struct Energy {
    double total;
    double x;
    double y;
};

Energy EnergyOf(const DecodeMatrix& m, double azimuth)
{
    Energy e{0.0, 0.0, 0.0};
    for (const Speaker& s : kRing) {
        const int c = s.channel;
        const double g = m.w[c] / kSqrtTwo + m.x[c] * std::cos(azimuth) + m.y[c] * std::sin(azimuth);
        e.total += g * g;
        e.x += g * g * std::cos(Radians(s.degrees));
        e.y += g * g * std::sin(Radians(s.degrees));
    }
    return e;
}

// Direction errors and energy unevenness of `p`, plus its distance from `anchor`.
double DesignCost(const std::vector<double>& p, const std::vector<double>& anchor)
{
    const DecodeMatrix m = Symmetric(p);
    double squaredErrors = 0.0, sumLog = 0.0, sumLogSquared = 0.0;
    for (int k = 0; k < kSourceDirections; ++k) {
        const double azimuth = 2.0 * kPi * k / kSourceDirections;
        const Energy e = EnergyOf(m, azimuth);
        if (!(e.total > 0.0))
            return 1e30;  // silent somewhere: no direction at all
        const double error = std::remainder(std::atan2(e.y, e.x) - azimuth, 2.0 * kPi);
        squaredErrors += error * error;
        const double level = std::log(e.total);
        sumLog += level;
        sumLogSquared += level * level;
    }
    const double mean = sumLog / kSourceDirections;
    const double variance = sumLogSquared / kSourceDirections - mean * mean;
    double distance = 0.0, size = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        distance += (p[i] - anchor[i]) * (p[i] - anchor[i]);
        size += anchor[i] * anchor[i];
    }
    return squaredErrors / kSourceDirections + variance + kAllRadAnchor * distance / size;
}

DecodeMatrix DesignEnergyMatrix()
{
    const std::vector<double> anchor = Weights(DesignAllRadMatrix());
    const auto cost = [&anchor](const std::vector<double>& p) { return DesignCost(p, anchor); };
    DecodeMatrix m = Symmetric(MinimiseNelderMead(cost, anchor, 0.05, 1e-13, 20000));

    double meanEnergy = 0.0;
    for (int k = 0; k < kSourceDirections; ++k)
        meanEnergy += EnergyOf(m, 2.0 * kPi * k / kSourceDirections).total / kSourceDirections;
    const double scale = 1.0 / std::sqrt(meanEnergy);
    for (int c = 0; c < kSurroundChannels; ++c) {
        m.w[c] *= scale;
        m.x[c] *= scale;
        m.y[c] *= scale;
    }
    return m;
}

}  // namespace

DecodeMatrix DesignAllRadMatrix()
{
    DecodeMatrix m;
    for (int v = 0; v < kVirtualSpeakers; ++v) {
        const double degrees = 360.0 * v / kVirtualSpeakers;
        const double phi = Radians(degrees);
        // The virtual loudspeaker's max-rE feed: (1 + 2 a cos(phi - azimuth)) / count for a
        // plane wave of amplitude 1, where sqrt(2) W is 1.
        const double w = kSqrtTwo / kVirtualSpeakers;
        const double x = 2.0 * kMaxReWeight * std::cos(phi) / kVirtualSpeakers;
        const double y = 2.0 * kMaxReWeight * std::sin(phi) / kVirtualSpeakers;
        // The real pair around it: from kRing[i] counter-clockwise to the next.
        int i = kRingSize - 1;
        while (i > 0 && degrees < kRing[i].degrees)
            --i;
        const Speaker& a = kRing[i];
        const Speaker& b = kRing[(i + 1) % kRingSize];
        // VBAP: ga u_a + gb u_b points at phi, then ga^2 + gb^2 = 1.
        const double ax = std::cos(Radians(a.degrees)), ay = std::sin(Radians(a.degrees));
        const double bx = std::cos(Radians(b.degrees)), by = std::sin(Radians(b.degrees));
        const double det = ax * by - ay * bx;
        double ga = (std::cos(phi) * by - std::sin(phi) * bx) / det;
        double gb = (ax * std::sin(phi) - ay * std::cos(phi)) / det;
        const double norm = std::hypot(ga, gb);
        ga /= norm;
        gb /= norm;
        for (int channel : {a.channel, b.channel}) {
            const double gain = channel == a.channel ? ga : gb;
            m.w[channel] += gain * w;
            m.x[channel] += gain * x;
            m.y[channel] += gain * y;
        }
    }
    return m;
}

const DecodeMatrix& EnergyDecodeMatrix()
{
    static const DecodeMatrix matrix = DesignEnergyMatrix();
    return matrix;
}

}  // namespace vq
