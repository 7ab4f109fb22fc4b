// Rotation of a first-order sound field: yaw, pitch and roll turn the directions of all
// sources at once. W carries no direction and stays as it is; X, Y, Z are multiplied by a
// 3x3 rotation matrix in every frame.
//
// Coordinates: X points to the front, Y to the left, Z up. Angles are in degrees:
// - positive yaw turns a source at the front towards the left (about Z; the azimuth grows
//   counter-clockwise seen from above);
// - positive pitch turns a source at the front upwards (about Y, X towards Z);
// - positive roll turns a source on the left upwards (about X, Y towards Z).
// The field is turned by yaw first, then pitch, then roll, each about the fixed axes: a
// source in direction d moves to Rroll * Rpitch * Ryaw * d.
#pragma once

#include <array>
#include <cstdint>

namespace vq {

// A rotation as a unit quaternion: a source in direction d moves to q d q*, with the
// vector part (x, y, z) along the program's axes.
struct Quaternion {
    double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
};

class FieldRotation {
public:
    // The identity: the field stays as it is.
    FieldRotation() = default;

    // The rotation for finite angles in degrees. Multiples of 90 degrees give exact
    // matrices, so that a quarter turn only exchanges and negates channels.
    static FieldRotation FromDegrees(double yaw, double pitch, double roll);
    // The rotation of a quaternion of any nonzero length (it is normalised); the identity
    // for a zero or non-finite one.
    static FieldRotation FromQuaternion(const Quaternion& q);
    // The unit quaternion of this rotation, with w >= 0.
    Quaternion ToQuaternion() const;

    // True when the matrix is exactly the identity (and Apply would change nothing).
    bool IsIdentity() const;

    // Rotates `frames` frames of the planar X, Y and Z channels in place.
    void Apply(double* x, double* y, double* z, std::int64_t frames) const;

private:
    using Matrix = std::array<std::array<double, 3>, 3>;

    Matrix m_matrix{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
};

}  // namespace vq
