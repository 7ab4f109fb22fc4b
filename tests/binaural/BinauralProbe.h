// Plane waves sent through a B-format decoder, and the spectra of what comes out: the
// measuring tools of the headphone decoding tests.
#pragma once

#include "support/TestAudio.h"
#include "surround/BFormatDecoder.h"

#include <array>
#include <complex>
#include <cstdint>

namespace vqtest {

constexpr double kPi = 3.14159265358979323846;

// Unit vector (X front, Y left, Z up) of a direction given in degrees.
std::array<double, 3> Direction(double azimuthDeg, double elevationDeg);

// B-format of a plane-wave impulse of unit amplitude from (azimuthDeg, elevationDeg) at
// frame `at` of `frames`: W = 1/sqrt(2), (X, Y, Z) = the direction (Furse-Malham).
std::array<Signal, 4> PlaneWaveImpulse(double azimuthDeg, double elevationDeg, std::int64_t frames,
                                       std::int64_t at = 0);

// Noise in all four channels (different seeds).
std::array<Signal, 4> NoiseBFormat(std::int64_t frames, unsigned seed);

// Decodes `bformat` with a prepared two-output decoder, in blocks of the given lengths,
// cycling through them (one block of everything when empty). Returns left, right.
std::array<Signal, 2> DecodeInBlocks(vq::BFormatDecoder& decoder, const std::array<Signal, 4>& bformat,
                                     const std::vector<std::int64_t>& blocks = {});

// The discrete-time Fourier transform of x at `hz`, by direct summation.
std::complex<double> Dtft(const Signal& x, double hz, double rate);

// Energy of x from lowHz to highHz: mean of |X(f)|^2 over `points` evenly spaced frequencies.
double BandEnergy(const Signal& x, double lowHz, double highHz, double rate, int points = 300);

double Decibels(double energyRatio);

}  // namespace vqtest
