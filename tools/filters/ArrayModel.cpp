#include "filters/ArrayModel.h"

namespace vq {

namespace {

// Common values of the first-order patterns a + (1 - a) cos.
double OmniShareOf(CapsulePattern pattern)
{
    switch (pattern) {
    case CapsulePattern::Supercardioid:
        return 0.37;
    case CapsulePattern::Hypercardioid:
        return 0.25;
    case CapsulePattern::Subcardioid:
        return 0.7;
    case CapsulePattern::Cardioid:
        break;
    }
    return 0.5;
}

// The mounting as a map from the microphone's frame into the scene frame.
Vec3 Mount(Mounting mounting, const Vec3& v)
{
    switch (mounting) {
    case Mounting::UpsideDown:
        return {v[0], -v[1], -v[2]};
    case Mounting::EndFire:
        return {v[2], -v[1], v[0]};
    case Mounting::Upright:
        break;
    }
    return v;
}

}  // namespace

bool ParsePattern(const std::string& name, CapsulePattern* pattern)
{
    const struct {
        const char* name;
        CapsulePattern value;
    } names[] = {{"cardioid", CapsulePattern::Cardioid},
                 {"supercardioid", CapsulePattern::Supercardioid},
                 {"hypercardioid", CapsulePattern::Hypercardioid},
                 {"subcardioid", CapsulePattern::Subcardioid}};
    for (const auto& n : names)
        if (name == n.name) {
            *pattern = n.value;
            return true;
        }
    return false;
}

bool ParseMounting(const std::string& name, Mounting* mounting)
{
    const struct {
        const char* name;
        Mounting value;
    } names[] = {{"upright", Mounting::Upright}, {"upside-down", Mounting::UpsideDown}, {"endfire", Mounting::EndFire}};
    for (const auto& n : names)
        if (name == n.name) {
            *mounting = n.value;
            return true;
        }
    return false;
}

ArrayModel::ArrayModel(const ArrayGeometry& geometry) : m_geometry(geometry), m_omniShare(OmniShareOf(geometry.pattern))
{
    // FLU, FRD, BLD, BRU: alternate corners of a cube, so elevation +-atan(1/sqrt 2) = 35.26°.
    const double c = 1.0 / std::sqrt(3.0);
    const Vec3 corners[kCapsules] = {{c, c, c}, {c, -c, -c}, {-c, c, -c}, {-c, -c, c}};
    for (int k = 0; k < kCapsules; ++k)
        m_axes[k] = Mount(geometry.mounting, corners[k]);
}

double ArrayModel::Gain(int capsule, const Vec3& source) const
{
    return m_omniShare + (1.0 - m_omniShare) * Dot(m_axes[capsule], source);
}

double ArrayModel::Lead(int capsule, const Vec3& source) const
{
    return m_geometry.radius * Dot(m_axes[capsule], source) / kSpeedOfSound;
}

std::complex<double> ArrayModel::Response(int capsule, const Vec3& source, double frequency) const
{
    return Gain(capsule, source) * std::polar(1.0, 2.0 * kPi * frequency * Lead(capsule, source));
}

}  // namespace vq
