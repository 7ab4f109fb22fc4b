#include "filters/ArrayModel.h"

#include <cstddef>

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

template <typename Value>
struct Named {
    const char* name;
    Value value;
};

const Named<CapsulePattern> kPatternNames[] = {{"cardioid", CapsulePattern::Cardioid},
                                               {"supercardioid", CapsulePattern::Supercardioid},
                                               {"hypercardioid", CapsulePattern::Hypercardioid},
                                               {"subcardioid", CapsulePattern::Subcardioid}};
const Named<Mounting> kMountingNames[] = {
    {"upright", Mounting::Upright}, {"upside-down", Mounting::UpsideDown}, {"endfire", Mounting::EndFire}};
const Named<CapsuleSet> kCapsuleSetNames[] = {{"FLU,FRD,BLD,BRU", CapsuleSet::FluFrdBldBru},
                                              {"FLD,FRU,BLU,BRD", CapsuleSet::FldFruBluBrd}};

template <typename Value, std::size_t N>
bool FindValue(const Named<Value> (&names)[N], const std::string& name, Value* value)
{
    for (const auto& n : names)
        if (name == n.name) {
            *value = n.value;
            return true;
        }
    return false;
}

template <typename Value, std::size_t N>
std::string FindName(const Named<Value> (&names)[N], Value value)
{
    for (const auto& n : names)
        if (n.value == value)
            return n.name;
    return names[0].name;
}

template <typename Value, std::size_t N>
std::vector<std::string> AllNames(const Named<Value> (&names)[N])
{
    std::vector<std::string> all;
    for (const auto& n : names)
        all.push_back(n.name);
    return all;
}

}  // namespace

bool ParsePattern(const std::string& name, CapsulePattern* pattern)
{
    return FindValue(kPatternNames, name, pattern);
}

bool ParseMounting(const std::string& name, Mounting* mounting)
{
    return FindValue(kMountingNames, name, mounting);
}

bool ParseCapsuleSet(const std::string& name, CapsuleSet* capsules)
{
    return FindValue(kCapsuleSetNames, name, capsules);
}

std::string PatternName(CapsulePattern pattern)
{
    return FindName(kPatternNames, pattern);
}

std::string MountingName(Mounting mounting)
{
    return FindName(kMountingNames, mounting);
}

std::string CapsuleSetName(CapsuleSet capsules)
{
    return FindName(kCapsuleSetNames, capsules);
}

ArrayModel::ArrayModel(const ArrayGeometry& geometry) : m_geometry(geometry), m_omniShare(OmniShareOf(geometry.pattern))
{
    // FLU, FRD, BLD, BRU: alternate corners of a cube, so elevation +-atan(1/sqrt 2) = 35.26°;
    // FLD, FRU, BLU, BRD: the other four corners, the same set upside down.
    const double c = 1.0 / std::sqrt(3.0);
    const double up = geometry.capsules == CapsuleSet::FluFrdBldBru ? c : -c;
    const Vec3 corners[kCapsules] = {{c, c, up}, {c, -c, -up}, {-c, c, -up}, {-c, -c, up}};
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

std::vector<std::string> PatternNames()
{
    return AllNames(kPatternNames);
}

std::vector<std::string> MountingNames()
{
    return AllNames(kMountingNames);
}

std::vector<std::string> CapsuleSetNames()
{
    return AllNames(kCapsuleSetNames);
}

}  // namespace vq
