#include "spatial/SpatialProbe.h"

#include "common/FftwPlan.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace vqtest {

namespace {

constexpr double kHeadRadius = 0.0875;
constexpr double kSpeedOfSound = 343.0;

// The spectrum of x (bins 0 .. n/2), or x back from it.
std::vector<std::complex<double>> Spectrum(const Signal& x)
{
    const int n = static_cast<int>(x.size());
    Signal in = x;
    std::vector<std::complex<double>> out(static_cast<std::size_t>(n / 2 + 1));
    const vq::FftwPlan plan = vq::FftwPlan::RealToComplex(n, in.data(), reinterpret_cast<fftw_complex*>(out.data()),
                                                          FFTW_ESTIMATE);
    fftw_execute(plan.Get());
    return out;
}

Signal FromSpectrum(std::vector<std::complex<double>> spectrum, int n)
{
    Signal out(static_cast<std::size_t>(n));
    const vq::FftwPlan plan = vq::FftwPlan::ComplexToReal(n, reinterpret_cast<fftw_complex*>(spectrum.data()),
                                                          out.data(), FFTW_ESTIMATE);
    fftw_execute(plan.Get());
    for (double& v : out)
        v /= n;
    return out;
}

// Cross-correlation sum_n left[n] right[n + lag].
double CrossCorrelation(const Signal& left, const Signal& right, int lag)
{
    double sum = 0.0;
    const int n = static_cast<int>(left.size());
    for (int i = std::max(0, -lag); i < std::min(n, n - lag); ++i)
        sum += left[static_cast<std::size_t>(i)] * right[static_cast<std::size_t>(i + lag)];
    return sum;
}

double ShadowGain(double angle, double hz, int rate)
{
    const double alpha = 1.05 + 0.95 * std::cos(angle / (150.0 * kPi / 180.0) * kPi);
    const double beta = 2.0 * kSpeedOfSound / kHeadRadius;
    const double w = 2.0 * rate * std::tan(kPi * hz / rate);
    return std::abs(std::complex<double>(beta, alpha * w) / std::complex<double>(beta, w));
}

}  // namespace

std::array<double, 3> UnitVector(double azimuthDeg, double elevationDeg)
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = elevationDeg * kPi / 180.0;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

void AddPlaneWave(WXYZ& field, const Signal& s, double azimuthDeg, double elevationDeg)
{
    const std::array<double, 3> u = UnitVector(azimuthDeg, elevationDeg);
    const double weights[4] = {1.0 / std::sqrt(2.0), u[0], u[1], u[2]};
    for (int k = 0; k < 4; ++k) {
        field[k].resize(std::max(field[k].size(), s.size()), 0.0);
        for (std::size_t n = 0; n < s.size(); ++n)
            field[k][n] += weights[k] * s[n];
    }
}

WXYZ PlaneWaveNoise(double azimuthDeg, double elevationDeg, std::int64_t frames, unsigned seed)
{
    WXYZ field = Silence(frames);
    AddPlaneWave(field, Noise(frames, seed), azimuthDeg, elevationDeg);
    return field;
}

WXYZ Silence(std::int64_t frames)
{
    const Signal zero(static_cast<std::size_t>(frames), 0.0);
    return {zero, zero, zero, zero};
}

WXYZ DiffuseField(int sources, std::int64_t frames, unsigned seed)
{
    WXYZ field = Silence(frames);
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < sources; ++i) {
        const double z = 1.0 - (2.0 * i + 1.0) / sources;
        const double azimuth = std::fmod(golden * i, 2.0 * kPi) * 180.0 / kPi;
        const double elevation = std::asin(z) * 180.0 / kPi;
        // Uniform noise of amplitude a has power a^2 / 3: unit total power needs a = sqrt(3 / sources).
        AddPlaneWave(field, Noise(frames, seed + static_cast<unsigned>(i), std::sqrt(3.0 / sources)), azimuth,
                     elevation);
    }
    return field;
}

Signal BandLimited(const Signal& x, double lowHz, double highHz, int rate)
{
    std::vector<std::complex<double>> spectrum = Spectrum(x);
    const double binHz = double(rate) / x.size();
    for (std::size_t k = 0; k < spectrum.size(); ++k)
        if (k * binHz < lowHz || k * binHz > highHz)
            spectrum[k] = 0.0;
    return FromSpectrum(spectrum, static_cast<int>(x.size()));
}

double BandEnergy(const Signal& x, double lowHz, double highHz, int rate)
{
    const std::vector<std::complex<double>> spectrum = Spectrum(x);
    const double binHz = double(rate) / x.size();
    double sum = 0.0;
    for (std::size_t k = 0; k < spectrum.size(); ++k)
        if (k * binHz >= lowHz && k * binHz <= highHz)
            sum += std::norm(spectrum[k]);
    return sum;
}

Signal Tail(const Signal& x, std::int64_t from)
{
    return Signal(x.begin() + from, x.end());
}

double InterauralDelay(const Signal& left, const Signal& right, int rate, double maxSeconds)
{
    const int reach = static_cast<int>(std::ceil(maxSeconds * rate));
    int best = -reach;
    std::vector<double> r(static_cast<std::size_t>(2 * reach + 1));
    for (int lag = -reach; lag <= reach; ++lag) {
        r[static_cast<std::size_t>(lag + reach)] = CrossCorrelation(left, right, lag);
        if (r[static_cast<std::size_t>(lag + reach)] > r[static_cast<std::size_t>(best + reach)])
            best = lag;
    }
    double offset = 0.0;
    if (best > -reach && best < reach) {
        const double a = r[static_cast<std::size_t>(best + reach - 1)];
        const double b = r[static_cast<std::size_t>(best + reach)];
        const double c = r[static_cast<std::size_t>(best + reach + 1)];
        offset = 0.5 * (a - c) / (a - 2.0 * b + c);
    }
    return (best + offset) / rate;
}

double PeakCoherence(const Signal& left, const Signal& right, int rate, double maxSeconds)
{
    const int reach = static_cast<int>(std::ceil(maxSeconds * rate));
    const double norm = std::sqrt(Energy(left) * Energy(right));
    double peak = 0.0;
    for (int lag = -reach; lag <= reach; ++lag)
        peak = std::max(peak, std::fabs(CrossCorrelation(left, right, lag)) / norm);
    return peak;
}

double WoodworthDelay(double azimuthDeg, double elevationDeg)
{
    const double lateral = std::asin(UnitVector(azimuthDeg, elevationDeg)[1]);
    return kHeadRadius / kSpeedOfSound * (lateral + std::sin(lateral));
}

double HeadShadowLevelDifference(double azimuthDeg, double elevationDeg, double lowHz, double highHz, int rate)
{
    const std::array<double, 3> v = UnitVector(azimuthDeg, elevationDeg);
    double energy[2] = {0.0, 0.0};
    for (int ear = 0; ear < 2; ++ear) {
        const std::array<double, 3> axis = UnitVector(ear == 0 ? 100.0 : -100.0, 0.0);
        const double angle = std::acos(std::clamp(v[0] * axis[0] + v[1] * axis[1] + v[2] * axis[2], -1.0, 1.0));
        for (double hz = lowHz; hz <= highHz; hz += 5.0)
            energy[ear] += std::pow(ShadowGain(angle, hz, rate), 2);
    }
    return Decibels(energy[0] / energy[1]);
}

double Decibels(double energyRatio)
{
    return 10.0 * std::log10(energyRatio);
}

double Energy(const Signal& x)
{
    double sum = 0.0;
    for (double v : x)
        sum += v * v;
    return sum;
}

}  // namespace vqtest
