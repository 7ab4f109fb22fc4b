// The rotation that changes while the stream runs: a plane wave from the front, held while
// the field turns, must move smoothly (every frame a rotation, small steps, the short way
// round) and end exactly at the target.
#include "bformat/RotationRamp.h"
#include "support/TestAudio.h"

#include <cmath>

using namespace vqtest;

namespace {

constexpr double kPi = 3.141592653589793;

// X, Y, Z of a plane wave of amplitude 1 from the front, `frames` long.
std::array<Signal, 3> Front(std::int64_t frames)
{
    const std::size_t n = static_cast<std::size_t>(frames);
    return {Signal(n, 1.0), Signal(n, 0.0), Signal(n, 0.0)};
}

void Apply(vq::RotationRamp& ramp, std::array<Signal, 3>& xyz, std::int64_t from, std::int64_t frames)
{
    ramp.Apply(xyz[0].data() + from, xyz[1].data() + from, xyz[2].data() + from, frames);
}

// Azimuth of every frame, degrees; the direction must stay a unit vector in the plane.
Signal Azimuths(const std::array<Signal, 3>& xyz)
{
    Signal azimuths;
    for (std::size_t n = 0; n < xyz[0].size(); ++n) {
        EXPECT_NEAR(std::hypot(xyz[0][n], xyz[1][n]), 1.0, 1e-12) << "frame " << n;
        EXPECT_NEAR(xyz[2][n], 0.0, 1e-12) << "frame " << n;
        azimuths.push_back(std::atan2(xyz[1][n], xyz[0][n]) * 180.0 / kPi);
    }
    return azimuths;
}

TEST(RotationRamp, TurnsFrameByFrameAndEndsExactlyAtTheTarget)
{
    const std::int64_t ramp = 480;
    vq::RotationRamp rotation;
    std::array<Signal, 3> xyz = Front(1000);
    Apply(rotation, xyz, 0, 100);  // the identity
    rotation.MoveTo(vq::FieldRotation::FromDegrees(90, 0, 0), ramp);
    // Cut anywhere: the ramp goes on from call to call.
    Apply(rotation, xyz, 100, 7);
    Apply(rotation, xyz, 107, 893);
    const Signal azimuth = Azimuths(xyz);
    EXPECT_EQ(azimuth[99], 0.0);
    for (std::int64_t n = 100; n < 100 + ramp; ++n) {
        const double step = azimuth[static_cast<std::size_t>(n)] - azimuth[static_cast<std::size_t>(n - 1)];
        // Mixed quaternions turn at most sqrt 2 times the mean speed.
        EXPECT_GT(step, 0.0) << "frame " << n;
        EXPECT_LT(step, 1.5 * 90.0 / ramp) << "frame " << n;
    }
    // The target's own matrix from the ramp's last frame on: a quarter turn is exact.
    for (std::size_t n = 100 + ramp - 1; n < 1000; ++n) {
        EXPECT_EQ(xyz[0][n], 0.0);
        EXPECT_EQ(xyz[1][n], 1.0);
    }
}

TEST(RotationRamp, ANewTargetTurnsOnFromWhereTheFieldIs)
{
    vq::RotationRamp rotation;
    std::array<Signal, 3> xyz = Front(600);
    rotation.MoveTo(vq::FieldRotation::FromDegrees(90, 0, 0), 400);
    Apply(rotation, xyz, 0, 200);
    rotation.MoveTo(vq::FieldRotation::FromDegrees(-30, 0, 0), 100);
    Apply(rotation, xyz, 200, 400);
    const Signal azimuth = Azimuths(xyz);
    EXPECT_LT(std::fabs(azimuth[200] - azimuth[199]), 1.0);
    EXPECT_NEAR(azimuth[299], -30.0, 1e-9);
    EXPECT_NEAR(azimuth[599], -30.0, 1e-9);
}

TEST(RotationRamp, TakesTheShortWayRound)
{
    vq::RotationRamp rotation;
    rotation.Set(vq::FieldRotation::FromDegrees(170, 0, 0));
    std::array<Signal, 3> xyz = Front(100);
    rotation.MoveTo(vq::FieldRotation::FromDegrees(-170, 0, 0), 100);
    Apply(rotation, xyz, 0, 100);
    // Through 180 degrees, never near the front.
    for (double a : Azimuths(xyz))
        EXPECT_GT(std::fabs(a), 169.9);
}

}  // namespace
