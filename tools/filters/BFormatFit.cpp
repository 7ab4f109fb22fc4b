#include "filters/BFormatFit.h"

#include <cmath>

namespace vq {

namespace {

using Complex = std::complex<double>;
constexpr int kN = ArrayModel::kCapsules;

}  // namespace

ComplexMatrix4 Inverse(ComplexMatrix4 m)
{
    ComplexMatrix4 inv{};
    for (int i = 0; i < kN; ++i)
        inv[i][i] = 1.0;
    for (int col = 0; col < kN; ++col) {
        int pivot = col;
        for (int r = col + 1; r < kN; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col]))
                pivot = r;
        std::swap(m[col], m[pivot]);
        std::swap(inv[col], inv[pivot]);
        const Complex scale = 1.0 / m[col][col];
        for (int c = 0; c < kN; ++c) {
            m[col][c] *= scale;
            inv[col][c] *= scale;
        }
        for (int r = 0; r < kN; ++r) {
            if (r == col)
                continue;
            const Complex factor = m[r][col];
            for (int c = 0; c < kN; ++c) {
                m[r][c] -= factor * m[col][c];
                inv[r][c] -= factor * inv[col][c];
            }
        }
    }
    return inv;
}

std::array<double, kBFormatChannels> IdealBFormat(const Vec3& source)
{
    return {1.0 / std::sqrt(2.0), source[0], source[1], source[2]};
}

ComplexMatrix4 CoincidentMatrix(const ArrayModel& model)
{
    // Coincident capsules: sum_k gain_k = 4a and sum_k axis_k gain_k = (1 - a) 4/3 d.
    const double a = model.OmniShare();
    ComplexMatrix4 m{};
    for (int k = 0; k < kN; ++k) {
        m[0][k] = 1.0 / (std::sqrt(2.0) * 4.0 * a);
        for (int axis = 0; axis < 3; ++axis)
            m[1 + axis][k] = 3.0 / (4.0 * (1.0 - a)) * model.Axis(k)[axis];
    }
    return m;
}

BFormatFit::BFormatFit(const ArrayModel& model, int directions)
    : m_model(model), m_directions(SpreadOverSphere(directions))
{
    for (const Vec3& d : m_directions) {
        const auto ideal = IdealBFormat(d);
        for (int j = 0; j < kBFormatChannels; ++j)
            m_idealPower[j] += ideal[j] * ideal[j] / static_cast<double>(m_directions.size());
    }
}

void BFormatFit::Correlations(double frequency, Hermitian4* capsules, ComplexMatrix4* targets) const
{
    *capsules = {};
    *targets = {};
    for (const Vec3& d : m_directions) {
        Complex a[kN];
        for (int k = 0; k < kN; ++k)
            a[k] = m_model.Response(k, d, frequency);
        const auto ideal = IdealBFormat(d);
        for (int k = 0; k < kN; ++k) {
            for (int l = 0; l < kN; ++l)
                (*capsules)[k][l] += a[k] * std::conj(a[l]);
            for (int j = 0; j < kBFormatChannels; ++j)
                (*targets)[j][k] += ideal[j] * std::conj(a[k]);
        }
    }
}

std::array<double, kBFormatChannels> BFormatFit::RowPowers(const ComplexMatrix4& matrix,
                                                           const Hermitian4& capsules) const
{
    // Mean over the directions of |sum_k m[j][k] a_k|^2 = m_j R m_j^H / count.
    std::array<double, kBFormatChannels> power{};
    for (int j = 0; j < kBFormatChannels; ++j) {
        Complex sum = 0.0;
        for (int k = 0; k < kN; ++k)
            for (int l = 0; l < kN; ++l)
                sum += matrix[j][k] * capsules[k][l] * std::conj(matrix[j][l]);
        power[j] = sum.real() / static_cast<double>(m_directions.size());
    }
    return power;
}

ComplexMatrix4 BFormatFit::At(double frequency) const
{
    Hermitian4 capsules;
    ComplexMatrix4 targets;
    Correlations(frequency, &capsules, &targets);

    // Least squares: M = (sum b a^H) (sum a a^H + lambda I)^-1.
    Hermitian4 regularised = capsules;
    double trace = 0.0;
    for (int k = 0; k < kN; ++k)
        trace += capsules[k][k].real();
    for (int k = 0; k < kN; ++k)
        regularised[k][k] += kFitRegularisation * trace / kN;
    const Hermitian4 inverse = Inverse(regularised);
    ComplexMatrix4 m{};
    for (int j = 0; j < kBFormatChannels; ++j)
        for (int k = 0; k < kN; ++k)
            for (int l = 0; l < kN; ++l)
                m[j][k] += targets[j][l] * inverse[l][k];

    const auto power = RowPowers(m, capsules);
    for (int j = 0; j < kBFormatChannels; ++j) {
        if (power[j] <= 0.0)
            continue;
        const double scale = std::sqrt(m_idealPower[j] / power[j]);
        for (int k = 0; k < kN; ++k)
            m[j][k] *= scale;
    }
    return m;
}

std::array<double, kBFormatChannels> BFormatFit::DiffuseLevels(const ComplexMatrix4& matrix, double frequency) const
{
    Hermitian4 capsules;
    ComplexMatrix4 targets;
    Correlations(frequency, &capsules, &targets);
    auto power = RowPowers(matrix, capsules);
    for (int j = 0; j < kBFormatChannels; ++j)
        power[j] /= m_idealPower[j];
    return power;
}

}  // namespace vq
