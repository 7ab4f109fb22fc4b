#include "spatial/HrtfGrid.h"

#include "common/FftwArray.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <new>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMinDelayBins = 3;

// The face of a direction and its coordinates u, v (-1 .. 1) there; the inverse of the
// vertex directions below.
int Face(const std::array<double, 3>& d, double& u, double& v)
{
    const double ax = std::fabs(d[0]), ay = std::fabs(d[1]), az = std::fabs(d[2]);
    if (ax >= ay && ax >= az) {
        u = d[1] / ax;
        v = d[2] / ax;
        return d[0] >= 0.0 ? 0 : 1;
    }
    if (ay >= az) {
        u = d[0] / ay;
        v = d[2] / ay;
        return d[1] >= 0.0 ? 2 : 3;
    }
    u = d[0] / az;
    v = d[1] / az;
    return d[2] >= 0.0 ? 4 : 5;
}

// Delay in frames of the spectrum `h` (bins `binHz` apart in a transform of `length`
// points): the weighted mean phase step between neighbouring bins below kDelayBandHz.
double LowFrequencyDelay(const fftw_complex* h, double binHz, int length)
{
    const int steps = std::max(kMinDelayBins, static_cast<int>(HrtfGrid::kDelayBandHz / binHz));
    std::complex<double> sum = 0.0;
    for (int k = 0; k < steps; ++k)
        sum += std::complex<double>(h[k + 1][0], h[k + 1][1]) * std::complex<double>(h[k][0], -h[k][1]);
    return -std::arg(sum) * length / (2.0 * kPi);
}

}  // namespace

std::array<double, 3> HrtfGrid::VertexDirection(int vertex)
{
    const int face = vertex / (kSide * kSide);
    const int j = vertex / kSide % kSide;
    const int i = vertex % kSide;
    const double u = -1.0 + 2.0 * i / kDivisions;
    const double v = -1.0 + 2.0 * j / kDivisions;
    const double sign = face % 2 == 0 ? 1.0 : -1.0;
    std::array<double, 3> d;
    switch (face / 2) {
    case 0:
        d = {sign, u, v};
        break;
    case 1:
        d = {u, sign, v};
        break;
    default:
        d = {u, v, sign};
        break;
    }
    const double norm = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    return {d[0] / norm, d[1] / norm, d[2] / norm};
}

double HrtfGrid::SolidAngle(int vertex)
{
    // On the face at distance 1, an element du dv seen from the centre covers
    // du dv / (1 + u^2 + v^2)^(3/2); the face's edges are shared, so they count half.
    const int j = vertex / kSide % kSide;
    const int i = vertex % kSide;
    const double u = -1.0 + 2.0 * i / kDivisions;
    const double v = -1.0 + 2.0 * j / kDivisions;
    const double edge = (i == 0 || i == kDivisions ? 0.5 : 1.0) * (j == 0 || j == kDivisions ? 0.5 : 1.0);
    return edge / std::pow(1.0 + u * u + v * v, 1.5);
}

void HrtfGrid::Build(const HrirSet& hrirs, int sampleRate, const AnalysisBands& bands, BFormatStft& stft)
{
    m_bands = bands.Count();
    m_magnitudes.assign(static_cast<std::size_t>(m_bands) * kVertices * kEars, 0.0f);
    m_delays.assign(static_cast<std::size_t>(kVertices) * kEars, 0.0);
    m_diffuse.assign(static_cast<std::size_t>(m_bands) * kEars, 0.0);
    const int length = hrirs.Length(sampleRate);
    std::vector<double> responses[kEars] = {std::vector<double>(static_cast<std::size_t>(length)),
                                            std::vector<double>(static_cast<std::size_t>(length))};
    FftwArray<fftw_complex> spectrum;
    if (!spectrum.Allocate(static_cast<std::size_t>(stft.Bins())))
        throw std::bad_alloc();

    for (int vertex = 0; vertex < kVertices; ++vertex) {
        const std::array<double, 3> d = VertexDirection(vertex);
        const double azimuth = std::atan2(d[1], d[0]) * 180.0 / kPi;
        const double elevation = std::asin(std::clamp(d[2], -1.0, 1.0)) * 180.0 / kPi;
        hrirs.Responses(azimuth, elevation, sampleRate, responses[0].data(), responses[1].data());
        for (int ear = 0; ear < kEars; ++ear) {
            stft.Transform(responses[ear].data(), length, spectrum.data());
            const fftw_complex* h = spectrum.data();
            m_delays[static_cast<std::size_t>(vertex) * kEars + ear] =
                LowFrequencyDelay(h, bands.BinHz(), stft.TransformLength());
            for (int b = 0; b < m_bands; ++b) {
                double energy = 0.0;
                for (int k = bands.First(b); k < bands.End(b); ++k)
                    energy += h[k][0] * h[k][0] + h[k][1] * h[k][1];
                m_magnitudes[(static_cast<std::size_t>(vertex) * m_bands + b) * kEars + ear] =
                    static_cast<float>(std::sqrt(energy / bands.Width(b)));
                m_diffuse[static_cast<std::size_t>(b) * kEars + ear] += SolidAngle(vertex) * energy / bands.Width(b);
            }
        }
    }
    double sphere = 0.0;
    for (int vertex = 0; vertex < kVertices; ++vertex)
        sphere += SolidAngle(vertex);
    for (double& value : m_diffuse)
        value = std::sqrt(value / sphere);
}

HrtfGrid::Cell HrtfGrid::Locate(const std::array<double, 3>& direction) const
{
    double u = 0.0, v = 0.0;
    const int face = Face(direction, u, v);
    const double fu = std::clamp((u + 1.0) * 0.5 * kDivisions, 0.0, double(kDivisions));
    const double fv = std::clamp((v + 1.0) * 0.5 * kDivisions, 0.0, double(kDivisions));
    const int i = std::min(static_cast<int>(fu), kDivisions - 1);
    const int j = std::min(static_cast<int>(fv), kDivisions - 1);
    const double s = fu - i, t = fv - j;
    const int base = face * kSide * kSide + j * kSide + i;
    return Cell{{base, base + 1, base + kSide, base + kSide + 1},
                {(1.0 - s) * (1.0 - t), s * (1.0 - t), (1.0 - s) * t, s * t}};
}

void HrtfGrid::Ears(const Cell& cell, int band, double magnitudes[kEars], double delays[kEars]) const
{
    const float* column = m_magnitudes.data() + static_cast<std::size_t>(band) * kEars;
    const std::size_t row = static_cast<std::size_t>(m_bands) * kEars;
    magnitudes[0] = magnitudes[1] = delays[0] = delays[1] = 0.0;
    for (int n = 0; n < 4; ++n) {
        const float* m = column + static_cast<std::size_t>(cell.vertex[n]) * row;
        const double* d = m_delays.data() + static_cast<std::size_t>(cell.vertex[n]) * kEars;
        for (int ear = 0; ear < kEars; ++ear) {
            magnitudes[ear] += cell.weight[n] * m[ear];
            delays[ear] += cell.weight[n] * d[ear];
        }
    }
}

}  // namespace vq
