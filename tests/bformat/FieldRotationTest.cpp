// The sound-field rotation: a plane wave encoded as B-format and rotated must equal the
// plane wave encoded from the rotated direction, found by closed form for each axis alone
// and by Rodrigues' formula (an independent rotation of the direction) for combinations.
#include "bformat/FieldRotation.h"
#include "support/TestAudio.h"

#include <cmath>

using namespace vqtest;

namespace {

constexpr double kPi = 3.141592653589793;

struct Vector {
    double x, y, z;
};

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// The unit vector of azimuth `az` (counter-clockwise from the front) and elevation `el`.
Vector Direction(double az, double el)
{
    return {std::cos(Radians(az)) * std::cos(Radians(el)), std::sin(Radians(az)) * std::cos(Radians(el)),
            std::sin(Radians(el))};
}

// Rodrigues' formula: v turned by `degrees` about the unit axis k (right-handed).
Vector Rodrigues(const Vector& v, const Vector& k, double degrees)
{
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    const double dot = k.x * v.x + k.y * v.y + k.z * v.z;
    const Vector cross = {k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x};
    return {v.x * c + cross.x * s + k.x * dot * (1 - c), v.y * c + cross.y * s + k.y * dot * (1 - c),
            v.z * c + cross.z * s + k.z * dot * (1 - c)};
}

// Yaw about +Z, then pitch about -Y (which turns X towards Z), then roll about +X.
Vector RotatedByRodrigues(const Vector& d, double yaw, double pitch, double roll)
{
    const Vector afterYaw = Rodrigues(d, {0, 0, 1}, yaw);
    const Vector afterPitch = Rodrigues(afterYaw, {0, -1, 0}, pitch);
    return Rodrigues(afterPitch, {1, 0, 0}, roll);
}

using BFormat = std::array<Signal, 4>;

// A plane wave carrying s from direction d: W = s/sqrt2, X, Y, Z = s times d.
BFormat Encode(const Signal& s, const Vector& d)
{
    BFormat b;
    for (double v : s) {
        b[0].push_back(v / std::sqrt(2.0));
        b[1].push_back(v * d.x);
        b[2].push_back(v * d.y);
        b[3].push_back(v * d.z);
    }
    return b;
}

BFormat Rotated(BFormat b, const vq::FieldRotation& rotation)
{
    rotation.Apply(b[1].data(), b[2].data(), b[3].data(), static_cast<std::int64_t>(b[0].size()));
    return b;
}

void ExpectSameField(const BFormat& actual, const BFormat& expected)
{
    const char* const names[] = {"W", "X", "Y", "Z"};
    for (int c = 0; c < 4; ++c)
        EXPECT_LT(MaxAbsDifference(actual[c], expected[c]), 1e-12) << names[c];
}

struct ClosedFormCase {
    std::string name;
    double az, el;            // where the source is
    double yaw, pitch, roll;  // the rotation
    double toAz, toEl;        // where it must end up
};

class RotationClosedForm : public testing::TestWithParam<ClosedFormCase> {};

TEST_P(RotationClosedForm, MovesAPlaneWaveToTheExpectedDirection)
{
    const ClosedFormCase& c = GetParam();
    const Signal s = Noise(256, 80);
    const auto rotation = vq::FieldRotation::FromDegrees(c.yaw, c.pitch, c.roll);
    ExpectSameField(Rotated(Encode(s, Direction(c.az, c.el)), rotation), Encode(s, Direction(c.toAz, c.toEl)));
}

INSTANTIATE_TEST_SUITE_P(SingleAxes, RotationClosedForm,
                         testing::Values(
                             // Yaw adds to the azimuth and keeps the elevation.
                             ClosedFormCase{"YawTurnsTheFrontToTheLeft", 0, 0, 90, 0, 0, 90, 0},
                             ClosedFormCase{"YawAddsToTheAzimuth", 30, 20, 45, 0, 0, 75, 20},
                             ClosedFormCase{"NegativeYawTurnsRight", 10, -35, -100, 0, 0, -90, -35},
                             // Pitch adds to the elevation of a source on the front axis.
                             ClosedFormCase{"PitchRaisesTheFront", 0, 0, 30, 0, 0, 30, 0},
                             ClosedFormCase{"PitchAddsToTheElevationInFront", 0, 20, 0, 25, 0, 0, 45},
                             ClosedFormCase{"PitchOverTheTopEndsBehind", 0, 30, 0, 90, 0, 180, 60},
                             ClosedFormCase{"PitchLowersTheBack", 180, 0, 0, 30, 0, 180, -30},
                             ClosedFormCase{"PitchLeavesTheLeftAlone", 90, 0, 0, 50, 0, 90, 0},
                             // Roll gives a source on the left the roll as its elevation.
                             ClosedFormCase{"RollRaisesTheLeft", 90, 0, 0, 0, 40, 90, 40},
                             ClosedFormCase{"RollLowersTheRight", -90, 0, 0, 0, 40, -90, -40},
                             ClosedFormCase{"RollLeavesTheFrontAlone", 0, 0, 0, 0, 70, 0, 0},
                             // The order: yaw, then pitch, then roll.
                             ClosedFormCase{"YawBeforePitchFrontGoesLeftNotUp", 0, 0, 90, 90, 0, 90, 0},
                             ClosedFormCase{"PitchBeforeRollFrontGoesUpThenRight", 0, 0, 0, 90, 90, -90, 0},
                             ClosedFormCase{"YawBeforeRollFrontGoesLeftThenUp", 0, 0, 90, 0, 90, 0, 90}),
                         CaseName());

TEST(Rotation, CombinationsMatchRodriguesFormula)
{
    struct Case {
        double az, el, yaw, pitch, roll;
    };
    const Signal s = Noise(256, 81);
    for (const Case& c : std::vector<Case>{{50, 10, 30, 20, -40},
                                           {-120, -30, -75, 60, 15},
                                           {0, 0, 200, -110, 300},
                                           {170, 80, 45, 45, 45},
                                           {33, -60, 0.5, -0.25, 0.125},
                                           {-10, 89, 720.5, -359, 181}}) {
        SCOPED_TRACE(testing::Message() << "source " << c.az << "/" << c.el << ", yaw " << c.yaw << ", pitch "
                                        << c.pitch << ", roll " << c.roll);
        const Vector from = Direction(c.az, c.el);
        const auto rotation = vq::FieldRotation::FromDegrees(c.yaw, c.pitch, c.roll);
        ExpectSameField(Rotated(Encode(s, from), rotation),
                        Encode(s, RotatedByRodrigues(from, c.yaw, c.pitch, c.roll)));
    }
}

TEST(Rotation, QuarterTurnsExchangeChannelsExactly)
{
    const BFormat b = {Noise(100, 82), Noise(100, 83), Noise(100, 84), Noise(100, 85)};
    const auto negated = [](Signal s) {
        for (double& v : s)
            v = -v;
        return s;
    };
    const BFormat yaw = Rotated(b, vq::FieldRotation::FromDegrees(90, 0, 0));
    EXPECT_EQ(yaw, (BFormat{b[0], negated(b[2]), b[1], b[3]}));
    const BFormat pitch = Rotated(b, vq::FieldRotation::FromDegrees(0, 90, 0));
    EXPECT_EQ(pitch, (BFormat{b[0], negated(b[3]), b[2], b[1]}));
    const BFormat roll = Rotated(b, vq::FieldRotation::FromDegrees(0, 0, -90));
    EXPECT_EQ(roll, (BFormat{b[0], b[1], b[3], negated(b[2])}));
    const BFormat halfYaw = Rotated(b, vq::FieldRotation::FromDegrees(-180, 0, 0));
    EXPECT_EQ(halfYaw, (BFormat{b[0], negated(b[1]), negated(b[2]), b[3]}));
}

TEST(Rotation, NoTurnIsTheIdentityAndLeavesTheSamplesAsTheyAre)
{
    const BFormat b = {Noise(100, 86), Noise(100, 87), Noise(100, 88), Noise(100, 89)};
    EXPECT_TRUE(vq::FieldRotation().IsIdentity());
    for (const auto& rotation :
         {vq::FieldRotation::FromDegrees(0, 0, 0), vq::FieldRotation::FromDegrees(360, -720, 1080),
          vq::FieldRotation::FromDegrees(180, 180, 180)}) {
        EXPECT_TRUE(rotation.IsIdentity());
        EXPECT_EQ(Rotated(b, rotation), b);
    }
    EXPECT_FALSE(vq::FieldRotation::FromDegrees(0.001, 0, 0).IsIdentity());
    EXPECT_FALSE(vq::FieldRotation::FromDegrees(0, -90, 0).IsIdentity());
    EXPECT_FALSE(vq::FieldRotation::FromDegrees(0, 0, 359.5).IsIdentity());
}

// A quaternion (cos a/2, sin a/2 * axis) turns the field by a about the axis, as
// Rodrigues' formula turns a direction; its length does not matter.
TEST(Rotation, QuaternionsTurnAboutTheirAxis)
{
    struct Case {
        Vector axis;
        double degrees, length;
    };
    const Signal s = Noise(64, 90);
    for (const Case& c : std::vector<Case>{{{0, 0, 1}, 90, 1}, {{1, 0, 0}, -30, 2.5}, {{0.6, 0.8, 0}, 200, 0.1},
                                           {{0.48, -0.6, 0.64}, 123.4, 1}}) {
        SCOPED_TRACE(testing::Message() << c.degrees << " degrees");
        const double half = Radians(c.degrees) / 2.0;
        const vq::Quaternion q = {c.length * std::cos(half), c.length * std::sin(half) * c.axis.x,
                                  c.length * std::sin(half) * c.axis.y, c.length * std::sin(half) * c.axis.z};
        for (const Vector& from : {Direction(0, 0), Direction(75, -20), Direction(-140, 50)})
            ExpectSameField(Rotated(Encode(s, from), vq::FieldRotation::FromQuaternion(q)),
                            Encode(s, Rodrigues(from, c.axis, c.degrees)));
    }
    EXPECT_TRUE(vq::FieldRotation::FromQuaternion({0, 0, 0, 0}).IsIdentity());
}

TEST(Rotation, AQuaternionOfARotationGivesItBack)
{
    const BFormat b = {Noise(64, 91), Noise(64, 92), Noise(64, 93), Noise(64, 94)};
    for (const auto& rotation : {vq::FieldRotation::FromDegrees(30, 20, -40), vq::FieldRotation::FromDegrees(180, 0, 0),
                                 vq::FieldRotation::FromDegrees(0, 180, 0), vq::FieldRotation::FromDegrees(0, 0, 180),
                                 vq::FieldRotation::FromDegrees(-170, 80, 95), vq::FieldRotation()}) {
        const vq::Quaternion q = rotation.ToQuaternion();
        EXPECT_GE(q.w, 0.0);
        EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0, 1e-14);
        ExpectSameField(Rotated(b, vq::FieldRotation::FromQuaternion(q)), Rotated(b, rotation));
    }
}

}  // namespace
