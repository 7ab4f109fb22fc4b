// Sound fields encoded as B-format and the measurements the spatial tests make on what comes
// out: band limiting and band energies by FFT, interaural delay and coherence by
// cross-correlation, and the closed forms of the built-in head (Woodworth's delay, Brown &
// Duda's shadow) that the decoders are held to.
#pragma once

#include "decoders/DecoderHarness.h"

#include <array>
#include <cstdint>

namespace vqtest {

// The spatial tests run at 48 kHz on half a second of sound and measure from 0.1 s on, once
// the decoders' averages have settled.
constexpr int kSpatialRate = 48000;
constexpr std::int64_t kHalfSecond = 24000;
constexpr std::int64_t kSettled = 4800;

// B-format (Furse-Malham) of the signal s arriving from (azimuthDeg, elevationDeg), added to `field`.
void AddPlaneWave(WXYZ& field, const Signal& s, double azimuthDeg, double elevationDeg);
// Noise (Noise(), seed `seed`) arriving from (azimuthDeg, elevationDeg).
WXYZ PlaneWaveNoise(double azimuthDeg, double elevationDeg, std::int64_t frames = kHalfSecond, unsigned seed = 3);
// Silence of `frames` frames in all four channels.
WXYZ Silence(std::int64_t frames);
// `sources` uncorrelated noises from directions spread evenly over the sphere (a Fibonacci
// lattice), of unit total power in W's pressure terms.
WXYZ DiffuseField(int sources, std::int64_t frames, unsigned seed);
// Unit vector (X front, Y left, Z up).
std::array<double, 3> UnitVector(double azimuthDeg, double elevationDeg);

// x with everything outside lowHz .. highHz removed (by one transform of the whole signal).
Signal BandLimited(const Signal& x, double lowHz, double highHz, int rate);
// Energy of x between lowHz and highHz (sum of the squared spectrum over those bins).
double BandEnergy(const Signal& x, double lowHz, double highHz, int rate);
// The part of x from frame `from` on.
Signal Tail(const Signal& x, std::int64_t from);

// Lag in seconds (positive: `left` leads) of the cross-correlation maximum within +-maxSeconds,
// refined by a parabola through the three best lags.
double InterauralDelay(const Signal& left, const Signal& right, int rate, double maxSeconds = 0.0012);
// Largest normalised cross-correlation magnitude within +-maxSeconds.
double PeakCoherence(const Signal& left, const Signal& right, int rate, double maxSeconds = 0.001);

// Woodworth's interaural delay of the built-in head (radius 8.75 cm), seconds, positive
// when the source is on the left.
double WoodworthDelay(double azimuthDeg, double elevationDeg);
// Level of the left ear over the right ear, dB, of white noise between lowHz and highHz from
// (azimuthDeg, elevationDeg) through Brown & Duda's head-shadow filters (ears at +-100
// degrees, bilinear transform at `rate`).
double HeadShadowLevelDifference(double azimuthDeg, double elevationDeg, double lowHz, double highHz, int rate);

double Decibels(double energyRatio);
double Energy(const Signal& x);

}  // namespace vqtest
