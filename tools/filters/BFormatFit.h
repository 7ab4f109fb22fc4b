// Per frequency, the 4x4 matrix that turns the capsule signals of the model into B-format
// (Furse-Malham: W = s/sqrt 2, X = s cos(az) cos(el), Y = s sin(az) cos(el), Z = s sin(el)).
//
// Design: a least-squares fit over plane waves from evenly spread directions, so the
// spacing of the capsules (each hears a wave a little before or after the centre) is
// corrected together with the patterns, for any mounting, without a closed form per
// pattern. A small Tikhonov term keeps the inversion bounded. Above the frequency where
// the spacing lets four capsules resolve directions, the fit can only match part of each
// output; every output row is then scaled so that its diffuse-field level (the mean power
// over all directions) equals the ideal one, so the timbre of reverberation and of
// off-axis sound stays right where the directions can no longer be.
#pragma once

#include "filters/ArrayModel.h"

#include <array>
#include <complex>
#include <vector>

namespace vq {

constexpr int kBFormatChannels = 4;  // W, X, Y, Z

// [output][capsule]: output j = sum over k of m[j][k] * capsule k.
using ComplexMatrix4 = std::array<std::array<std::complex<double>, ArrayModel::kCapsules>, kBFormatChannels>;

// Relative weight of the Tikhonov term against the mean capsule power: small enough to
// leave the fit exact wherever the array can deliver, large enough to keep it finite.
constexpr double kFitRegularisation = 1e-3;

// Inverse of a well-conditioned 4x4 matrix (Gauss-Jordan with partial pivoting).
ComplexMatrix4 Inverse(ComplexMatrix4 m);

// The ideal B-format of a unit plane wave from `source`: 1/sqrt 2, x, y, z.
std::array<double, kBFormatChannels> IdealBFormat(const Vec3& source);

// The frequency-independent matrix of a coincident array of the model's capsules:
// what a converter without spacing correction applies.
ComplexMatrix4 CoincidentMatrix(const ArrayModel& model);

class BFormatFit {
public:
    static constexpr int kDefaultDirections = 2000;

    explicit BFormatFit(const ArrayModel& model, int directions = kDefaultDirections);

    // The fitted, diffuse-field normalised matrix at `frequency` Hz.
    ComplexMatrix4 At(double frequency) const;

    // Diffuse-field power of each output of `matrix` at `frequency`, relative to the ideal
    // B-format's (1 means exact).
    std::array<double, kBFormatChannels> DiffuseLevels(const ComplexMatrix4& matrix, double frequency) const;

private:
    using Hermitian4 = std::array<std::array<std::complex<double>, ArrayModel::kCapsules>, ArrayModel::kCapsules>;

    // Sum over the directions of a a^H (capsule correlation) and of b a^H (target to capsules).
    void Correlations(double frequency, Hermitian4* capsules, ComplexMatrix4* targets) const;
    std::array<double, kBFormatChannels> RowPowers(const ComplexMatrix4& matrix, const Hermitian4& capsules) const;

    const ArrayModel& m_model;
    std::vector<Vec3> m_directions;
    std::array<double, kBFormatChannels> m_idealPower{};  // mean square of each ideal output
};

}  // namespace vq
