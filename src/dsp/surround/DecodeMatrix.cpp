#include "surround/DecodeMatrix.h"

#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrtHalf = 0.7071067811865476;
constexpr double kSqrtTwo = 1.4142135623730951;

// Centre at -4 dB and surrounds at -10 dB against the front pair, as single-precision
// powers of ten.
const double kCentreLevel = std::pow(10.0f, -0.2f);
const double kSurroundLevel = std::pow(10.0f, -0.5f);

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// A first-order virtual microphone aimed at `degrees`: omni part `omni` times W, directional
// part `directional` along (cos, sin) of the direction, all times `gain`.
void Aim(DecodeMatrix& m, int channel, double gain, double omni, double directional, double degrees)
{
    m.w[channel] = gain * omni;
    m.x[channel] = gain * directional * std::cos(Radians(degrees));
    m.y[channel] = gain * directional * std::sin(Radians(degrees));
}

}  // namespace

double FrontAngle(double openingAngle)
{
    return 0.5 * openingAngle;
}

double RearAngle(double openingAngle)
{
    // 120 degrees plus a sixth of the opening angle (0.3333 kept in single precision).
    return 0.5 * (double(0.3333f) * openingAngle + 240.0);
}

DecodeMatrix MakeDecodeMatrix(double openingAngle, double gain)
{
    const double front = FrontAngle(openingAngle);
    const double rear = RearAngle(openingAngle);
    const double centreGain = gain * kCentreLevel;
    const double surroundGain = gain * kSurroundLevel;
    DecodeMatrix m;
    Aim(m, kLeft, gain, kSqrtHalf, 0.75, front);
    Aim(m, kRight, gain, kSqrtHalf, 0.75, -front);
    Aim(m, kCentre, centreGain, kSqrtTwo, 0.5, 0.0);
    Aim(m, kLeftSurround, surroundGain, kSqrtTwo, 0.5, rear);
    Aim(m, kRightSurround, surroundGain, kSqrtTwo, 0.5, -rear);
    return m;
}

}  // namespace vq
