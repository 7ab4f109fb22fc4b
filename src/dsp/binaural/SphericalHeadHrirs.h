// The built-in HRIR set: a rigid sphere of radius 8.75 cm, computed for any sample rate.
//
// Each ear gets two things (after Brown & Duda, "A structural model for binaural sound
// synthesis", 1998):
// - a delay from Woodworth's formula: with the lateral angle phi of the source (its angle
//   from the median plane, towards this ear positive), the near ear hears it (a/c) sin phi
//   earlier than the centre of the head and the far ear (a/c) |phi| later, so the ears
//   differ by (a/c)(phi + sin phi). It is realised as a band-limited fractional delay.
// - a head-shadow filter, one pole and one zero, H(s) = (alpha s + beta) / (s + beta) with
//   beta = 2c/a: 0 dB at low frequencies, alpha at high ones, alpha going from 2 (+6 dB)
//   for a source on the ear's axis down to 0.1 at 150 degrees from it. The ear entrances
//   sit 10 degrees behind the interaural axis (azimuth +-100), as Brown & Duda place them,
//   so a source behind is less shadowed than its mirror image in front.
// The filter has its own low-frequency group delay, (1 - alpha)/beta; the fractional delay
// is shortened by it, so that each ear's total delay at low frequencies is Woodworth's.
// All responses share a bulk delay (a/c + 1/beta plus the interpolation kernel's half
// width) that keeps the earliest ear causal.
#pragma once

#include "binaural/HrirSet.h"

namespace vq {

class SphericalHeadHrirs : public HrirSet {
public:
    static constexpr double kHeadRadius = 0.0875;   // metres
    static constexpr double kSpeedOfSound = 343.0;  // metres per second
    static constexpr double kEarAzimuth = 100.0;    // degrees, of the left ear (right: -100)
    static constexpr int kMinSampleRate = 8000;     // Hz
    static constexpr int kMaxSampleRate = 768000;   // Hz

    int CheckRate(int sampleRate, std::string& reason) const override;
    int Length(int sampleRate) const override;
    void Responses(double azimuthDeg, double elevationDeg, int sampleRate, double* left, double* right) const override;

    // Woodworth's delay of one ear relative to the centre of the head, in seconds, for a
    // source at `lateral` radians from the median plane (positive towards this ear).
    static double EarDelay(double lateral);

    // Delay common to all responses, in seconds: an ear whose own delay is EarDelay() has
    // its low-frequency group delay at BulkDelay() + EarDelay().
    static double BulkDelay(int sampleRate);

private:
    void EarResponse(double lateral, double shadowAngle, int sampleRate, double* taps) const;
};

}  // namespace vq
