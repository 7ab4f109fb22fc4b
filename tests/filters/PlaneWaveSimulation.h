// The test's own picture of a tetrahedral microphone in a sound field, written from the
// physics independently of the designer: capsule axes from their azimuth and elevation,
// mountings as rotations, plane waves as exact sinusoids with each capsule's time lead.
// The simulated capsule signals go through the engine with a filter-matrix file, and the
// B-format that comes out is measured tone by tone.
#pragma once

#include "support/TestAudio.h"

#include <array>
#include <complex>
#include <string>
#include <vector>

namespace vqtest {

using Vec = std::array<double, 3>;
using Complex = std::complex<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpeedOfSound = 343.0;
constexpr double kDefaultRadius = 0.015;

Vec Direction(double azimuthDegrees, double elevationDegrees);
double AngleDegrees(const Vec& a, const Vec& b);

// How one capsule of a real microphone departs from the ideal one.
struct CapsuleFlaws {
    double gainDb = 0.0;
    double omniShare = -1.0;  // its own a; negative: the microphone's
    Vec aim{};                // the axis of its pattern; zero: the axis it sits on
    double radius = 0.0;      // its own distance from the centre; 0: the microphone's
    double delay = 0.0;       // seconds its electronics add
};

struct Microphone {
    std::array<Vec, 4> axes;  // FLU, FRD, BLD, BRU in the scene frame
    double omniShare = 0.5;   // a of the pattern a + (1 - a) cos
    double radius = kDefaultRadius;
    std::array<CapsuleFlaws, 4> flaws{};

    // Capsule k's response to a plane wave of `frequency` from `source`, relative to the
    // pressure at the centre.
    Complex Response(int capsule, const Vec& source, double frequency) const;
    // The same as a gain and a lead in seconds: Response = gain e^{j 2 pi f lead}.
    double Gain(int capsule, const Vec& source) const;
    double Lead(int capsule, const Vec& source) const;
};

enum class Mount { Upright, UpsideDown, EndFire };
Microphone MakeMicrophone(Mount mount = Mount::Upright, double omniShare = 0.5, double radius = kDefaultRadius);

// The ideal B-format gains of a plane wave from `source`: 1/sqrt 2, x, y, z.
std::array<double, 4> IdealBFormat(const Vec& source);

// W, X, Y, Z of one tone from one direction, relative to the tone at the centre.
using Phasors = std::array<Complex, 4>;

// What B-format shows about one plane wave: levels against the ideal in dB and the angle
// between the velocity vector Re(conj(W) (X, Y, Z)) and the true direction.
struct PlaneWaveError {
    double wDb;
    double velocityDb;  // |(X, Y, Z)| against 1
    double angle;       // degrees
};
PlaneWaveError Compare(const Phasors& measured, const Vec& source);

// The sixteen filters of a matrix file: taps[capsule][output].
using Taps = std::array<std::array<std::vector<double>, 4>, 4>;
Taps SplitMatrix(const Audio& file);

// W, X, Y, Z of the filters for a plane wave from `source`, relative to the centre, by a
// direct transform of the taps.
Phasors Respond(const Taps& filters, const Microphone& mic, const Vec& source, double frequency, int rate);

// Plays a sum of tones (multiples of 10 Hz) from each direction in turn, as the capsules
// of `mic` hear them, converts the recording with the engine through `matrixPath` and
// measures every tone's W, X, Y, Z once the filters have settled: result[direction][tone].
std::vector<std::vector<Phasors>> SimulateThroughEngine(const std::string& matrixPath, int rate, const Microphone& mic,
                                                        const std::vector<Vec>& directions,
                                                        const std::vector<double>& tones);

// Mean over `directions` of each output's power, relative to the ideal B-format's, in dB.
std::array<double, 4> DiffuseLevelsDb(const std::vector<std::vector<Phasors>>& measured,
                                      const std::vector<Vec>& directions, std::size_t tone);

}  // namespace vqtest
