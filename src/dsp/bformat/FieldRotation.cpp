#include "bformat/FieldRotation.h"

#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;

struct SineCosine {
    double sine;
    double cosine;
};

// Sine and cosine of an angle in degrees, exact at the multiples of 90 degrees (where
// sin(kPi) would give 1.2e-16 instead of 0).
SineCosine OfDegrees(double degrees)
{
    const double reduced = std::remainder(degrees, 360.0);  // exact, in [-180, 180]
    if (reduced == 90.0)
        return {1.0, 0.0};
    if (reduced == -90.0)
        return {-1.0, 0.0};
    if (reduced == 180.0 || reduced == -180.0)
        return {0.0, -1.0};
    const double radians = reduced * (kPi / 180.0);
    return {std::sin(radians), std::cos(radians)};
}

}  // namespace

FieldRotation FieldRotation::FromDegrees(double yaw, double pitch, double roll)
{
    const SineCosine a = OfDegrees(yaw), b = OfDegrees(pitch), c = OfDegrees(roll);
    // Ryaw = [ca -sa 0; sa ca 0; 0 0 1], Rpitch = [cb 0 -sb; 0 1 0; sb 0 cb] (X towards Z),
    // Rroll = [1 0 0; 0 cc -sc; 0 sc cc]; the product Rroll * Rpitch * Ryaw written out.
    FieldRotation r;
    r.m_matrix = {{
        {b.cosine * a.cosine, -b.cosine * a.sine, -b.sine},
        {c.cosine * a.sine - c.sine * b.sine * a.cosine, c.cosine * a.cosine + c.sine * b.sine * a.sine,
         -c.sine * b.cosine},
        {c.sine * a.sine + c.cosine * b.sine * a.cosine, c.sine * a.cosine - c.cosine * b.sine * a.sine,
         c.cosine * b.cosine},
    }};
    return r;
}

FieldRotation FieldRotation::FromQuaternion(const Quaternion& q)
{
    const double norm = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(norm > 0.0) || !std::isfinite(norm))
        return FieldRotation();
    const double w = q.w / norm, x = q.x / norm, y = q.y / norm, z = q.z / norm;
    FieldRotation r;
    r.m_matrix = {{
        {1.0 - 2.0 * (y * y + z * z), 2.0 * (x * y - w * z), 2.0 * (x * z + w * y)},
        {2.0 * (x * y + w * z), 1.0 - 2.0 * (x * x + z * z), 2.0 * (y * z - w * x)},
        {2.0 * (x * z - w * y), 2.0 * (y * z + w * x), 1.0 - 2.0 * (x * x + y * y)},
    }};
    return r;
}

Quaternion FieldRotation::ToQuaternion() const
{
    // Shepperd's method: from the largest of w, x, y, z, which keeps the square root away
    // from zero.
    const Matrix& m = m_matrix;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    if (trace >= m[0][0] && trace >= m[1][1] && trace >= m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + trace);
        q = {0.25 * s, (m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s};
    } else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, 0.25 * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] >= m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, 0.25 * s, (m[1][2] + m[2][1]) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25 * s};
    }
    if (q.w < 0.0)
        q = {-q.w, -q.x, -q.y, -q.z};
    return q;
}

bool FieldRotation::IsIdentity() const
{
    return m_matrix == FieldRotation().m_matrix;
}

void FieldRotation::Apply(double* x, double* y, double* z, std::int64_t frames) const
{
    const Matrix& m = m_matrix;
    for (std::int64_t n = 0; n < frames; ++n) {
        const double xn = x[n], yn = y[n], zn = z[n];
        x[n] = m[0][0] * xn + m[0][1] * yn + m[0][2] * zn;
        y[n] = m[1][0] * xn + m[1][1] * yn + m[1][2] * zn;
        z[n] = m[2][0] * xn + m[2][1] * yn + m[2][2] * zn;
    }
}

}  // namespace vq
