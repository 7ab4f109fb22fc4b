#include "filters/FilterDesign.h"

#include "common/EngineStatus.h"
#include "common/FftwArray.h"
#include "common/FftwPlan.h"
#include "common/FilterMatrixInfo.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <new>

namespace vq {

namespace {

constexpr double kTaperStart = 0.9;  // of the Nyquist frequency
constexpr int kBinsBetweenReports = 256;

// Flat around the modelling delay; a short fade-in over the first half of the delay (the
// pre-ringing of the fractional-delay parts) and a long fade-out over the second half of
// the filter, so the truncation adds no ripple of its own.
double TapWindow(int n, int delay, int taps)
{
    const int fadeIn = std::max(1, delay / 2);
    const int fadeOutStart = (delay + taps) / 2;
    if (n < fadeIn) {
        const double s = std::sin(0.5 * kPi * (n + 1) / (fadeIn + 1));
        return s * s;
    }
    if (n >= fadeOutStart) {
        const double c = std::cos(0.5 * kPi * (n - fadeOutStart + 1) / (taps - fadeOutStart + 1));
        return c * c;
    }
    return 1.0;
}

// W's summed response (the four filters into W, added) measured as FilterMatrixInfo
// estimates a matrix's delay, so that a matrix with its delay written and one without agree;
// the modelling delay when W is silent at low frequencies.
int SyncDelay(const FilterSet& set)
{
    std::vector<double> w(static_cast<std::size_t>(set.taps), 0.0);
    for (const auto& row : set.filters)
        for (std::size_t n = 0; n < w.size(); ++n)
            w[n] += row[0][n];
    const double delay = EstimatedDelay(w, set.rate);
    return std::isnan(delay) ? set.delay : RoundedDelay(delay, set.taps);
}

}  // namespace

double BandEdgeTaper(double frequency, double nyquist)
{
    const double start = kTaperStart * nyquist;
    if (frequency <= start)
        return 1.0;
    const double c = std::cos(0.5 * kPi * (frequency - start) / (nyquist - start));
    return c * c;
}

int TapsAtRate(int tapsAtReference, int rate)
{
    const long taps = std::lround(static_cast<double>(tapsAtReference) * rate / kReferenceRate);
    return static_cast<int>(std::max(taps, static_cast<long>(kMinimumTaps)));
}

int ModellingDelay(int rate, int taps)
{
    const int delay = static_cast<int>(std::lround(kModellingDelaySeconds * rate));
    return std::max(1, std::min(delay, taps / 4));
}

int SynthesiseFilterSet(int rate, int taps, int delay, int fftLength, const ResponseAtBin& response, FilterSet* set,
                        const DesignProgress& progress)
{
    const int bins = fftLength / 2 + 1;
    constexpr int kFilters = ArrayModel::kCapsules * kBFormatChannels;

    FftwArray<fftw_complex> spectra[kFilters];
    FftwArray<double> impulse;
    for (auto& spectrum : spectra)
        if (!spectrum.Allocate(static_cast<std::size_t>(bins)))
            return kOutOfMemory;
    if (!impulse.Allocate(static_cast<std::size_t>(fftLength)))
        return kOutOfMemory;
    const FftwPlan plan = FftwPlan::ComplexToReal(fftLength, spectra[0].data(), impulse.data(), FFTW_ESTIMATE);
    if (!plan)
        return kFftSetupFailed;

    set->rate = rate;
    set->taps = taps;
    set->delay = delay;
    try {
        for (auto& row : set->filters)
            for (auto& filter : row)
                filter.assign(static_cast<std::size_t>(taps), 0.0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }

    for (int bin = 0; bin < bins; ++bin) {
        if (progress && bin % kBinsBetweenReports == 0)
            progress(static_cast<double>(bin) / bins);
        const double frequency = static_cast<double>(bin) * rate / fftLength;
        const ComplexMatrix4 m = response(bin, frequency);
        const std::complex<double> shift =
            std::polar(BandEdgeTaper(frequency, 0.5 * rate), -2.0 * kPi * bin * static_cast<double>(delay) / fftLength);
        for (int k = 0; k < ArrayModel::kCapsules; ++k)
            for (int j = 0; j < kBFormatChannels; ++j) {
                const std::complex<double> value = m[j][k] * shift;
                spectra[k * kBFormatChannels + j][bin][0] = value.real();
                spectra[k * kBFormatChannels + j][bin][1] = value.imag();
            }
    }

    for (int k = 0; k < ArrayModel::kCapsules; ++k)
        for (int j = 0; j < kBFormatChannels; ++j) {
            fftw_execute_dft_c2r(plan.Get(), spectra[k * kBFormatChannels + j].data(), impulse.data());
            std::vector<double>& filter = set->filters[k][j];
            for (int n = 0; n < taps; ++n)
                filter[n] = impulse[n] / fftLength * TapWindow(n, delay, taps);
        }
    set->syncDelay = SyncDelay(*set);
    return kStatusOk;
}

int DesignFilterSet(const ArrayModel& model, int rate, int taps, FilterSet* set, const DesignProgress& progress)
{
    // Sampled on twice the filter length, the responses' time aliasing stays far below
    // what the window removes anyway.
    const BFormatFit fit(model);
    return SynthesiseFilterSet(
        rate, taps, ModellingDelay(rate, taps), 2 * taps, [&fit](int, double frequency) { return fit.At(frequency); },
        set, progress);
}

}  // namespace vq
