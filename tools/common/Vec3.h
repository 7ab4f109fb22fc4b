// Directions in the scene frame: X to the front, Y to the left, Z up (the B-format axes).
#pragma once

#include <array>
#include <cmath>
#include <vector>

namespace vq {

using Vec3 = std::array<double, 3>;

constexpr double kPi = 3.14159265358979323846;

inline double Dot(const Vec3& a, const Vec3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Unit vector at azimuth (counter-clockwise from the front) and elevation, in degrees.
inline Vec3 FromAzimuthElevation(double azimuthDegrees, double elevationDegrees)
{
    const double az = azimuthDegrees * kPi / 180.0;
    const double el = elevationDegrees * kPi / 180.0;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

// `count` nearly evenly spread unit vectors (a Fibonacci lattice): equal-area samples of
// the sphere, so a plain mean over them approximates a mean over all directions.
std::vector<Vec3> SpreadOverSphere(int count);

}  // namespace vq
