// A coincident pair of first-order virtual microphones, as XY, Blumlein or any pair in
// between would record the scene: L aimed at aim + angle/2, R at aim - angle/2, both in
// the horizontal plane (Z is not used). Each microphone's pattern is a + (1 - a) cos(theta)
// for its omni share a, so a plane wave of amplitude s at theta degrees from the axis gives
// s * (a + (1 - a) cos(theta)): on axis exactly s, whatever the pattern.
#pragma once

#include "surround/BFormatDecoder.h"

#include <string>
#include <vector>

namespace vq {

// Omni shares a of the usual first-order patterns.
namespace MicPattern {
constexpr double kOmni = 1.0;
constexpr double kSubcardioid = 0.7;
constexpr double kCardioid = 0.5;
constexpr double kSupercardioid = 0.37;
constexpr double kHypercardioid = 0.25;
constexpr double kFigureOfEight = 0.0;  // two of them at 90 degrees: the Blumlein pair
}  // namespace MicPattern

// The omni share of "omni", "subcardioid", "cardioid", "supercardioid", "hypercardioid" or
// "figure-of-eight" (also "figure8"); false, leaving *omniShare alone, for any other name.
bool ParseMicPattern(const std::string& name, double* omniShare);
// Those names, in that order (each omni share's first name only).
std::vector<std::string> MicPatternNames();

class StereoPairDecoder : public BFormatDecoder {
public:
    enum Channel : int { kLeft, kRight, kChannels };

    static constexpr double kDefaultAngle = 90.0;  // degrees between the two microphones
    static constexpr double kDefaultAim = 0.0;     // degrees, 0 to the front, positive to the left

    // omniShare 0 to 1; angleDegrees 0 to 180; aimDegrees -180 to 180 (the pair's axis).
    StereoPairDecoder(double omniShare, double angleDegrees = kDefaultAngle, double aimDegrees = kDefaultAim);

    // 0 when the three are in range, else kBadParameter.
    static int CheckParameters(double omniShare, double angleDegrees, double aimDegrees);

    int OutputChannels() const override { return kChannels; }
    // kBadParameter for parameters out of range, a rate that is not positive or a
    // negative maxFrames.
    int Prepare(int sampleRate, std::int64_t maxFrames) override;
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override;

private:
    int m_parameterStatus;
    // Output c = w[c] * W + x[c] * X + y[c] * Y.
    double m_w[kChannels] = {};
    double m_x[kChannels] = {};
    double m_y[kChannels] = {};
};

}  // namespace vq
