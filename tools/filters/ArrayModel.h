// The physical model of a tetrahedral microphone: four first-order capsules on a regular
// tetrahedron, each at `radius` from the centre and pointing outward, heard by plane waves.
//
// In the microphone's own frame the capsules FLU, FRD, BLD, BRU point at azimuth 45°,
// -45°, 135°, -135° and elevation +35.26°, -35.26°, -35.26°, +35.26°. The mounting turns
// that frame into the scene frame (X front, Y left, Z up):
//   upright      the microphone stands with its front marking facing the front;
//   upside-down  it hangs from above, front marking still to the front: turned half a
//                circle about the front axis, so FLU sits where FRD would (and BLD at BRU);
//   endfire      it lies horizontally with its top pointing at the front and its front
//                marking facing up: its top becomes the front, its front becomes up and its
//                left becomes right.
// Some microphones use the other tetrahedron of the cube, FLD, FRU, BLU, BRD (azimuth 45°,
// -45°, 135°, -135° and elevation -35.26°, +35.26°, +35.26°, -35.26°); their capsules are
// the four inputs in that order.
#pragma once

#include "common/Vec3.h"

#include <complex>
#include <string>
#include <vector>

namespace vq {

enum class CapsulePattern { Cardioid, Supercardioid, Hypercardioid, Subcardioid };
enum class Mounting { Upright, UpsideDown, EndFire };
enum class CapsuleSet { FluFrdBldBru, FldFruBluBrd };

struct ArrayGeometry {
    double radius = 0.015;  // metres from the centre to each capsule
    CapsulePattern pattern = CapsulePattern::Cardioid;
    Mounting mounting = Mounting::Upright;
    CapsuleSet capsules = CapsuleSet::FluFrdBldBru;
};

// Names as the command line spells them; false for an unknown name.
bool ParsePattern(const std::string& name, CapsulePattern* pattern);
bool ParseMounting(const std::string& name, Mounting* mounting);
bool ParseCapsuleSet(const std::string& name, CapsuleSet* capsules);
// The same names back, for descriptions.
std::string PatternName(CapsulePattern pattern);
std::string MountingName(Mounting mounting);
std::string CapsuleSetName(CapsuleSet capsules);
// All the names of each, in their order.
std::vector<std::string> PatternNames();
std::vector<std::string> MountingNames();
std::vector<std::string> CapsuleSetNames();

class ArrayModel {
public:
    static constexpr int kCapsules = 4;
    static constexpr double kSpeedOfSound = 343.0;  // m/s

    explicit ArrayModel(const ArrayGeometry& geometry);

    const ArrayGeometry& Geometry() const { return m_geometry; }
    // Omnidirectional share a of the pattern a + (1 - a) cos(angle).
    double OmniShare() const { return m_omniShare; }
    // Outward axis of capsule k (FLU, FRD, BLD, BRU, or FLD, FRU, BLU, BRD) in the scene frame.
    const Vec3& Axis(int capsule) const { return m_axes[capsule]; }

    // Sensitivity of capsule k to sound arriving from unit direction `source`.
    double Gain(int capsule, const Vec3& source) const;
    // Seconds by which capsule k hears a plane wave from `source` before the centre does.
    double Lead(int capsule, const Vec3& source) const;
    // Capsule k's complex response to a plane wave of `frequency` Hz from `source`,
    // relative to the pressure at the centre: Gain * exp(+j 2 pi f Lead).
    std::complex<double> Response(int capsule, const Vec3& source, double frequency) const;

private:
    ArrayGeometry m_geometry;
    double m_omniShare;
    Vec3 m_axes[kCapsules];
};

}  // namespace vq
