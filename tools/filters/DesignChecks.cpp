#include "filters/DesignChecks.h"

#include "common/EngineStatus.h"
#include "common/FftwArray.h"
#include "common/FftwPlan.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace vq {

namespace {

using Complex = std::complex<double>;
using Outputs = std::array<Complex, kBFormatChannels>;
constexpr int kN = ArrayModel::kCapsules;
constexpr int kPointsPerBand = 6;
constexpr double kLowestCentre = 125.0;

double DirectionError(const Outputs& o, const Vec3& direction)
{
    const Vec3 velocity = {(std::conj(o[0]) * o[1]).real(), (std::conj(o[0]) * o[2]).real(),
                           (std::conj(o[0]) * o[3]).real()};
    const double length = std::sqrt(Dot(velocity, velocity));
    if (!(length > 0.0))
        return 180.0;
    return std::acos(std::clamp(Dot(velocity, direction) / length, -1.0, 1.0)) * 180.0 / kPi;
}

Outputs Apply(const ComplexMatrix4& m, const MeasuredDesign::Capsules& a)
{
    Outputs o{};
    for (int j = 0; j < kBFormatChannels; ++j)
        for (int k = 0; k < kN; ++k)
            o[j] += m[j][k] * a[k];
    return o;
}

// Up to kPointsPerBand bins spread over [low, high).
std::vector<int> BandBins(const MeasuredDesign& design, double low, double high)
{
    std::vector<int> inside;
    for (int bin = 1; bin < design.Bins(); ++bin)
        if (design.Frequency(bin) >= low && design.Frequency(bin) < high)
            inside.push_back(bin);
    if (inside.size() <= kPointsPerBand)
        return inside;
    std::vector<int> picked;
    for (int i = 0; i < kPointsPerBand; ++i)
        picked.push_back(inside[i * (inside.size() - 1) / (kPointsPerBand - 1)]);
    return picked;
}

// The filters of `set` as matrices at every bin of the design's transform, their delay taken off.
int FilterResponses(const MeasuredDesign& design, const FilterSet& set, std::vector<ComplexMatrix4>* responses)
{
    FftwArray<double> frame;
    FftwArray<fftw_complex> spectrum;
    try {
        responses->assign(static_cast<std::size_t>(design.Bins()), ComplexMatrix4{});
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (!frame.Allocate(static_cast<std::size_t>(design.FftLength())) ||
        !spectrum.Allocate(static_cast<std::size_t>(design.Bins())))
        return kOutOfMemory;
    const FftwPlan plan = FftwPlan::RealToComplex(design.FftLength(), frame.data(), spectrum.data(), FFTW_ESTIMATE);
    if (!plan)
        return kFftSetupFailed;
    for (int k = 0; k < kN; ++k)
        for (int j = 0; j < kBFormatChannels; ++j) {
            std::fill(frame.data(), frame.data() + design.FftLength(), 0.0);
            std::copy(set.filters[k][j].begin(), set.filters[k][j].end(), frame.data());
            fftw_execute(plan.Get());
            for (int bin = 0; bin < design.Bins(); ++bin)
                (*responses)[static_cast<std::size_t>(bin)][j][k] =
                    Complex(spectrum[bin][0], spectrum[bin][1]) *
                    std::polar(1.0, 2.0 * kPi * bin * set.delay / design.FftLength());
        }
    return kStatusOk;
}

BandCheck CheckBand(const MeasuredDesign& design, const std::vector<ComplexMatrix4>& filters, double centre,
                    const std::vector<int>& bins)
{
    BandCheck band;
    band.centre = centre;
    double count = 0.0;
    for (int bin : bins) {
        const ComplexMatrix4& m = filters[static_cast<std::size_t>(bin)];
        const std::vector<ComplexMatrix4> leaving = design.LeavingEachOut(bin);
        const auto noise = design.NoiseGain(m);
        band.noiseW += 10.0 * std::log10(noise[0]);
        band.noiseXyz += 10.0 * std::log10((noise[1] + noise[2] + noise[3]) / 3.0);
        for (std::size_t d = 0; d < design.Directions(); ++d) {
            const Vec3& direction = design.Measured(d).direction;
            const MeasuredDesign::Capsules a = design.Response(d, bin);
            const Outputs o = Apply(m, a);
            const double angle = DirectionError(o, direction);
            if (angle > band.worstAngle) {
                band.worstAngle = angle;
                band.worstDirection = d;
            }
            band.meanAngle += angle;
            const double wDb = 20.0 * std::log10(std::abs(o[0]) * std::sqrt(2.0));
            band.wMeanDb += wDb;
            band.wWorstDb = std::max(band.wWorstDb, std::fabs(wDb));
            band.leaveOneOut += DirectionError(Apply(leaving[d], a), direction);
            count += 1.0;
        }
    }
    band.meanAngle /= count;
    band.wMeanDb /= count;
    band.leaveOneOut /= count;
    band.noiseW /= static_cast<double>(bins.size());
    band.noiseXyz /= static_cast<double>(bins.size());
    return band;
}

}  // namespace

int CheckDesign(const MeasuredDesign& design, const FilterSet& set, std::vector<BandCheck>* bands,
                const DesignProgress& progress)
{
    bands->clear();
    std::vector<ComplexMatrix4> filters;
    const int status = FilterResponses(design, set, &filters);
    if (status != kStatusOk)
        return status;
    const double top = 0.45 * design.Rate();  // where the band-edge fade begins
    for (double centre = kLowestCentre; centre * std::sqrt(2.0) <= top; centre *= 2.0) {
        if (progress)
            progress(std::log2(centre / kLowestCentre) / std::log2(top / kLowestCentre));
        const std::vector<int> bins = BandBins(design, centre / std::sqrt(2.0), centre * std::sqrt(2.0));
        if (!bins.empty())
            bands->push_back(CheckBand(design, filters, centre, bins));
    }
    return kStatusOk;
}

void PrintChecks(std::FILE* out, const MeasuredDesign& design, const FilterSet& set,
                 const std::vector<BandCheck>& bands)
{
    std::fprintf(out, "  %d taps at %d Hz, delay %d frames (%.2f ms); arrival at the centre %.3f ms%s\n", set.taps,
                 set.rate, set.delay, 1000.0 * set.delay / set.rate, 1000.0 * design.MedianArrival() / design.Rate(),
                 design.SharedArrival() ? "" : " (median: each direction keeps its own)");
    std::fprintf(out,
                 "  measured design up to %.0f Hz, nominal from %.0f Hz (the grid's spatial-aliasing frequency "
                 "is %.0f Hz at a mean spacing of %.1f degrees)\n",
                 0.5 * design.NominalFrom(), design.NominalFrom(), design.AliasingFrequency(),
                 design.Grid().spacing * 180.0 / kPi);
    std::fprintf(out, "  %8s  %-27s %9s  %-16s  %s\n", "band", "direction error", "leave-1", "W level", "noise gain");
    std::fprintf(out, "  %8s  %6s %7s %-13s %9s  %7s %8s  %6s %6s\n", "Hz", "mean", "worst", "(az, el)", "mean", "mean",
                 "worst", "W", "XYZ");
    for (const BandCheck& b : bands) {
        const MeasuredDirection& worst = design.Measured(b.worstDirection);
        char where[32];
        std::snprintf(where, sizeof where, "(%g, %g)", worst.azimuth, worst.elevation);
        std::fprintf(out, "  %8.0f  %5.1f° %6.1f° %-13s %8.1f°  %+5.1f dB %4.1f dB  %+4.1f dB %+4.1f dB\n", b.centre,
                     b.meanAngle, b.worstAngle, where, b.leaveOneOut, b.wMeanDb, b.wWorstDb, b.noiseW, b.noiseXyz);
    }
}

}  // namespace vq
