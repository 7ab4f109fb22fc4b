#include "filters/MeasuredDesign.h"

#include "binaural/SincKernel.h"
#include "common/EngineStatus.h"
#include "common/FftwArray.h"
#include "common/FftwPlan.h"
#include "common/GroupDelay.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>

namespace vq {

namespace {

using Complex = std::complex<double>;
constexpr int kN = ArrayModel::kCapsules;
// Of the lower of the measurement's and the design's rates: the band that anti-aliasing
// filters and resampling leave flat.
constexpr double kMeasuredBand = 0.41;

// The frames by which BringToRate's interpolation delays every response.
int ResamplingLatency(double fileRate, int rate, bool copies)
{
    if (copies)
        return 0;
    const SincKernel kernel(SincKernel::kCutoff * std::min(1.0, rate / fileRate));
    return static_cast<int>(std::ceil(kernel.HalfWidth() * rate / fileRate));
}

// Whether the responses can be copied as they are: the rates agree and every delay is whole.
bool Copies(const Measurement& measurement, int rate)
{
    bool whole = true;
    for (const MeasuredDirection& d : measurement.directions)
        for (double delay : d.delays)
            whole = whole && delay == std::floor(delay);
    return whole && measurement.rate == rate;
}

// Whole numbers P and Q with P frames at `rate` spanning exactly Q file samples at
// `fileRate`, P as small as can be; false when the rates have no such ratio.
bool RateRatio(double fileRate, int rate, long* frames, long* samples)
{
    if (fileRate <= 0.0 || fileRate != std::floor(fileRate) || fileRate > 1e9)
        return false;
    const long file = static_cast<long>(fileRate);
    const long common = std::gcd(file, static_cast<long>(rate));
    *frames = rate / common;
    *samples = file / common;
    return true;
}

// A response at `rate`, `delay` file samples late: copied (see Copies), or interpolated with
// the band-limited kernel, which delays all responses alike by ResamplingLatency frames.
std::vector<double> BringToRate(const std::vector<double>& taps, double fileRate, double delay, int rate, bool copies)
{
    if (copies) {
        std::vector<double> out(static_cast<std::size_t>(delay), 0.0);
        out.insert(out.end(), taps.begin(), taps.end());
        return out;
    }
    const SincKernel kernel(SincKernel::kCutoff * std::min(1.0, rate / fileRate));
    const double step = fileRate / rate;  // file samples per frame
    const int latency = ResamplingLatency(fileRate, rate, false);
    const double fileSamples = static_cast<double>(taps.size()) - 1.0 + delay + kernel.HalfWidth();
    const int length = latency + static_cast<int>(std::ceil(fileSamples / step)) + 1;
    std::vector<double> out(static_cast<std::size_t>(length), 0.0);
    const long last = static_cast<long>(taps.size()) - 1;
    // Frame n + P lies Q file samples after frame n: the kernel's values at the file's
    // samples repeat with n mod P, and are computed once for each of the P phases when
    // there are fewer phases than frames.
    long period = 0, shift = 0;
    if (!RateRatio(fileRate, rate, &period, &shift) || period >= length)
        period = length, shift = 0;
    std::vector<double> weights;
    std::vector<long> firsts(static_cast<std::size_t>(period));
    std::vector<std::size_t> starts(static_cast<std::size_t>(period) + 1, 0);
    for (long p = 0; p < period; ++p) {
        const double t = (p - latency) * step - delay;
        const long from = static_cast<long>(std::ceil(t - kernel.HalfWidth()));
        const long to = static_cast<long>(std::floor(t + kernel.HalfWidth()));
        firsts[static_cast<std::size_t>(p)] = from;
        for (long k = from; k <= to; ++k)
            weights.push_back(kernel(t - k) * step);  // the kernel is sampled once per file sample
        starts[static_cast<std::size_t>(p) + 1] = weights.size();
    }
    for (int n = 0; n < length; ++n) {
        const std::size_t p = static_cast<std::size_t>(n % period);
        const long first = firsts[p] + (n / period) * shift;
        const long count = static_cast<long>(starts[p + 1] - starts[p]);
        double sum = 0.0;
        for (long i = std::max(0L, -first); i < count && first + i <= last; ++i)
            sum += taps[static_cast<std::size_t>(first + i)] * weights[starts[p] + static_cast<std::size_t>(i)];
        out[static_cast<std::size_t>(n)] = sum;
    }
    return out;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

ComplexMatrix4 Product(const ComplexMatrix4& a, const ComplexMatrix4& b)
{
    ComplexMatrix4 m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < 4; ++i)
                m[r][c] += a[r][i] * b[i][c];
    return m;
}

}  // namespace

MeasuredDesign::MeasuredDesign(const Measurement& measurement, const ArrayModel& nominal, int rate, int taps,
                               double maxBoostDb)
    : m_measurement(measurement),
      m_nominal(nominal),
      m_nominalFit(nominal),
      m_rate(rate),
      m_taps(taps),
      m_maxGain(std::pow(10.0, maxBoostDb / 10.0))
{
    const ComplexMatrix4 coincident = CoincidentMatrix(nominal);
    for (int j = 0; j < kBFormatChannels; ++j)
        for (int k = 0; k < kN; ++k)
            m_coincidentGain[j] += std::norm(coincident[j][k]);
}

int MeasuredDesign::Prepare(const DesignProgress& progress)
{
    const std::size_t directions = Directions();
    std::vector<Vec3> grid;
    for (const MeasuredDirection& d : m_measurement.directions)
        grid.push_back(d.direction);
    m_grid = AnalyseGrid(grid);
    m_aliasing = GridAliasingFrequency(m_grid, m_nominal.Geometry().radius);
    m_nominalFrom = std::min(m_aliasing, kMeasuredBand * std::min<double>(m_measurement.rate, m_rate));
    const auto tell = [&progress](double done) {
        if (progress)
            progress(done);
    };

    const bool copies = Copies(m_measurement, m_rate);
    std::vector<std::array<std::vector<double>, kN>> responses(directions);
    std::vector<double> arrivals(directions);
    const double a = m_nominal.OmniShare();
    const double sumLead = (1.0 - a) * m_nominal.Geometry().radius / (3.0 * a * ArrayModel::kSpeedOfSound) * m_rate;
    try {
        for (std::size_t d = 0; d < directions; ++d) {
            tell(0.5 * static_cast<double>(d) / static_cast<double>(directions));
            const MeasuredDirection& measured = m_measurement.directions[d];
            std::size_t longest = 0;
            for (int k = 0; k < kN; ++k) {
                responses[d][k] =
                    BringToRate(measured.responses[k], m_measurement.rate, measured.delays[k], m_rate, copies);
                longest = std::max(longest, responses[d][k].size());
            }
            std::vector<double> sum(longest, 0.0);
            for (int k = 0; k < kN; ++k)
                for (std::size_t n = 0; n < responses[d][k].size(); ++n)
                    sum[n] += responses[d][k][n];
            // ReadMeasurement refuses responses that are silent there; 0 keeps the design defined.
            const double groupDelay = MeanGroupDelay(sum.data(), sum.size(), m_rate, kArrivalLowHz, kArrivalHighHz);
            arrivals[d] = (std::isnan(groupDelay) ? 0.0 : groupDelay) + sumLead;
        }
        m_fftLength = 2 * m_taps;
        m_spectra.assign(directions * kN * static_cast<std::size_t>(Bins()), 0.0);
        m_nominalAt.resize(static_cast<std::size_t>(Bins()));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }

    const double median = Median(arrivals);
    m_medianArrival = median - ResamplingLatency(m_measurement.rate, m_rate, copies);
    const auto [low, high] = std::minmax_element(arrivals.begin(), arrivals.end());
    m_sharedArrival = *high - *low <= kArrivalSpreadSeconds * m_rate;

    FftwArray<double> frame;
    FftwArray<fftw_complex> spectrum;
    if (!frame.Allocate(static_cast<std::size_t>(m_fftLength)) || !spectrum.Allocate(static_cast<std::size_t>(Bins())))
        return kOutOfMemory;
    const FftwPlan plan = FftwPlan::RealToComplex(m_fftLength, frame.data(), spectrum.data(), FFTW_ESTIMATE);
    if (!plan)
        return kFftSetupFailed;
    for (std::size_t d = 0; d < directions; ++d) {
        const double arrival = m_sharedArrival ? median : arrivals[d];
        for (int k = 0; k < kN; ++k) {
            // Folded onto the transform: its spectrum sampled at the transform's frequencies.
            std::fill(frame.data(), frame.data() + m_fftLength, 0.0);
            const std::vector<double>& response = responses[d][k];
            for (std::size_t n = 0; n < response.size(); ++n)
                frame[n % static_cast<std::size_t>(m_fftLength)] += response[n];
            fftw_execute(plan.Get());
            Complex* out = &m_spectra[(d * kN + static_cast<std::size_t>(k)) * static_cast<std::size_t>(Bins())];
            for (int bin = 0; bin < Bins(); ++bin)
                out[bin] = Complex(spectrum[bin][0], spectrum[bin][1]) *
                           std::polar(1.0, 2.0 * kPi * bin * arrival / m_fftLength);
        }
    }
    for (int bin = 0; bin < Bins(); ++bin) {
        if (bin % 256 == 0)
            tell(0.5 + 0.5 * bin / Bins());
        m_nominalAt[static_cast<std::size_t>(bin)] = m_nominalFit.At(Frequency(bin));
    }
    return kStatusOk;
}

MeasuredDesign::Capsules MeasuredDesign::Response(std::size_t d, int bin) const
{
    Capsules a;
    for (int k = 0; k < kN; ++k)
        a[k] = m_spectra[(d * kN + static_cast<std::size_t>(k)) * static_cast<std::size_t>(Bins()) +
                         static_cast<std::size_t>(bin)];
    return a;
}

std::array<double, kBFormatChannels> MeasuredDesign::NoiseGain(const ComplexMatrix4& m) const
{
    std::array<double, kBFormatChannels> gain{};
    for (int j = 0; j < kBFormatChannels; ++j) {
        for (int k = 0; k < kN; ++k)
            gain[j] += std::norm(m[j][k]);
        gain[j] /= m_coincidentGain[j];
    }
    return gain;
}

void MeasuredDesign::Add(std::size_t d, int bin, double sign, FitSums* sums) const
{
    const Capsules a = Response(d, bin);
    const auto b = IdealBFormat(Measured(d).direction);
    for (int k = 0; k < kN; ++k) {
        for (int l = 0; l < kN; ++l)
            sums->capsules[k][l] += sign * a[k] * std::conj(a[l]);
        for (int j = 0; j < kBFormatChannels; ++j)
            sums->targets[j][k] += sign * b[j] * std::conj(a[k]);
    }
    for (int j = 0; j < kBFormatChannels; ++j)
        sums->idealPower[j] += sign * b[j] * b[j];
}

MeasuredDesign::FitSums MeasuredDesign::Sums(int bin) const
{
    FitSums sums;
    for (std::size_t d = 0; d < Directions(); ++d)
        Add(d, bin, 1.0, &sums);
    return sums;
}

ComplexMatrix4 MeasuredDesign::Fit(const FitSums& sums) const
{
    const ComplexMatrix4& capsules = sums.capsules;
    double trace = 0.0;
    for (int k = 0; k < kN; ++k)
        trace += capsules[k][k].real();
    const auto solve = [&](double relative) {
        ComplexMatrix4 regularised = capsules;
        for (int k = 0; k < kN; ++k)
            regularised[k][k] += relative * trace / kN;
        return Product(sums.targets, Inverse(regularised));
    };
    const auto maxGain = [&](const ComplexMatrix4& m) {
        const auto gain = NoiseGain(m);
        return *std::max_element(gain.begin(), gain.end());
    };

    // The smallest Tikhonov term that keeps every output within the largest boost: bisection
    // on its logarithm between the nominal fit's and one that leaves little of the fit.
    ComplexMatrix4 m = solve(kFitRegularisation);
    if (maxGain(m) > m_maxGain) {
        double low = std::log10(kFitRegularisation), high = 4.0;
        for (int step = 0; step < 40; ++step) {
            const double middle = 0.5 * (low + high);
            (maxGain(solve(std::pow(10.0, middle))) > m_maxGain ? low : high) = middle;
        }
        m = solve(std::pow(10.0, high));
    }

    // Each output's mean power over the directions made the ideal one, within the boost.
    const auto gain = NoiseGain(m);
    for (int j = 0; j < kBFormatChannels; ++j) {
        Complex power = 0.0;
        for (int k = 0; k < kN; ++k)
            for (int l = 0; l < kN; ++l)
                power += m[j][k] * capsules[k][l] * std::conj(m[j][l]);
        if (!(power.real() > 0.0) || !(gain[j] > 0.0))
            continue;
        const double scale =
            std::min(std::sqrt(sums.idealPower[j] / power.real()), std::max(1.0, std::sqrt(m_maxGain / gain[j])));
        for (int k = 0; k < kN; ++k)
            m[j][k] *= scale;
    }
    return m;
}

double MeasuredDesign::NominalShare(double frequency) const
{
    if (frequency >= m_nominalFrom)
        return 1.0;
    if (frequency <= 0.5 * m_nominalFrom)
        return 0.0;
    return 0.5 - 0.5 * std::cos(kPi * std::log2(2.0 * frequency / m_nominalFrom));
}

ComplexMatrix4 MeasuredDesign::Blend(int bin, ComplexMatrix4 m) const
{
    const double share = NominalShare(Frequency(bin));
    if (share == 0.0 && !m_grid.planar)
        return m;
    const ComplexMatrix4& nominal = m_nominalAt[static_cast<std::size_t>(bin)];
    for (int j = 0; j < kBFormatChannels; ++j)
        for (int k = 0; k < kN; ++k)
            m[j][k] += share * (nominal[j][k] - m[j][k]);
    if (m_grid.planar) {
        // The velocity's component along the plane's normal n comes from the nominal design:
        // rows X, Y, Z plus n n^T (nominal - measured).
        const Vec3& n = m_grid.normal;
        for (int k = 0; k < kN; ++k) {
            Complex along = 0.0;
            for (int axis = 0; axis < 3; ++axis)
                along += n[axis] * (nominal[1 + axis][k] - m[1 + axis][k]);
            for (int axis = 0; axis < 3; ++axis)
                m[1 + axis][k] += n[axis] * along;
        }
    }
    return m;
}

ComplexMatrix4 MeasuredDesign::At(int bin) const
{
    return Blend(bin, NominalShare(Frequency(bin)) < 1.0 ? Fit(Sums(bin)) : ComplexMatrix4{});
}

std::vector<ComplexMatrix4> MeasuredDesign::LeavingEachOut(int bin) const
{
    std::vector<ComplexMatrix4> fits(Directions());
    const bool fitted = NominalShare(Frequency(bin)) < 1.0;
    const FitSums all = fitted ? Sums(bin) : FitSums();
    for (std::size_t d = 0; d < Directions(); ++d) {
        FitSums without = all;
        if (fitted)
            Add(d, bin, -1.0, &without);
        fits[d] = Blend(bin, fitted ? Fit(without) : ComplexMatrix4{});
    }
    return fits;
}

std::vector<double> MeasuredDesign::EnergyBefore(const std::vector<ComplexMatrix4>& responses) const
{
    // The responses as impulse responses without delay: what comes t samples before time 0
    // lies t samples before the end of the transform.
    FftwArray<fftw_complex> spectrum;
    FftwArray<double> impulse;
    if (!spectrum.Allocate(static_cast<std::size_t>(Bins())) ||
        !impulse.Allocate(static_cast<std::size_t>(m_fftLength)))
        return {};
    const FftwPlan plan = FftwPlan::ComplexToReal(m_fftLength, spectrum.data(), impulse.data(), FFTW_ESTIMATE);
    if (!plan)
        return {};
    std::vector<double> before(static_cast<std::size_t>(m_fftLength / 2 + 2), 0.0);
    double total = 0.0;
    for (int j = 0; j < kBFormatChannels; ++j)
        for (int k = 0; k < kN; ++k) {
            for (int bin = 0; bin < Bins(); ++bin) {
                const Complex value =
                    responses[static_cast<std::size_t>(bin)][j][k] * BandEdgeTaper(Frequency(bin), 0.5 * m_rate);
                spectrum[bin][0] = value.real();
                spectrum[bin][1] = value.imag();
            }
            fftw_execute(plan.Get());
            for (int n = 0; n < m_fftLength; ++n) {
                const double energy = impulse[n] * impulse[n];
                total += energy;
                if (n >= m_fftLength / 2)
                    before[static_cast<std::size_t>(m_fftLength - n)] += energy;
            }
        }
    // Summed from the far end: before[t] is the energy t or more samples early.
    for (std::size_t t = before.size() - 1; t-- > 0;)
        before[t] += before[t + 1];
    for (double& energy : before)
        energy /= total > 0.0 ? total : 1.0;
    return before;
}

int MeasuredDesign::ChooseDelay(const std::vector<ComplexMatrix4>& responses) const
{
    // The window fades in over the first half of the delay: what comes earlier is cut off.
    // Allowed: as much as the nominal design leaves there at its modelling delay (its
    // band-limited fractional delays ring too), or kPreRingingLimit when that is less.
    const int nominal = ModellingDelay(m_rate, m_taps);
    const std::vector<double> measured = EnergyBefore(responses);
    const std::vector<double> reference = EnergyBefore(m_nominalAt);
    if (measured.empty() || reference.empty())
        return nominal;
    const auto cutOff = [](const std::vector<double>& before, int delay) {
        return before[std::min(before.size() - 1, static_cast<std::size_t>(delay / 2 + 1))];
    };
    const double allowed = std::max(kPreRingingLimit, kPreRingingMargin * cutOff(reference, nominal));
    const int longest = std::max(nominal, m_taps / 4);
    for (int delay = nominal; delay < longest; ++delay)
        if (cutOff(measured, delay) <= allowed)
            return delay;
    return longest;
}

int MeasuredDesign::Design(FilterSet* set, const DesignProgress& progress)
{
    std::vector<ComplexMatrix4> responses;
    int delay = 0;
    try {
        responses.resize(static_cast<std::size_t>(Bins()));
        for (int bin = 0; bin < Bins(); ++bin) {
            if (progress && bin % 256 == 0)
                progress(0.9 * bin / Bins());
            responses[static_cast<std::size_t>(bin)] = At(bin);
        }
        delay = ChooseDelay(responses);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    const DesignProgress rest = [&progress](double done) {
        if (progress)
            progress(0.9 + 0.1 * done);
    };
    return SynthesiseFilterSet(
        m_rate, m_taps, delay, m_fftLength,
        [&responses](int bin, double) { return responses[static_cast<std::size_t>(bin)]; }, set, rest);
}

}  // namespace vq
