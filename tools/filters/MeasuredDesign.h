// The filters of one microphone designed from a measurement of it (--measured).
//
// Per frequency, the 4x4 matrix M that maps the measured capsule responses a_d of the
// directions d closest to their ideal B-format b_d (BFormatFit.h) in the least-squares
// sense, with a Tikhonov term:
//   M = (sum b_d a_d^H) (sum a_d a_d^H + lambda I)^-1.
// lambda is the smallest (from the nominal fit's kFitRegularisation up) that keeps the
// noise gain of every output, sum_k |M_jk|^2 against that of the nominal coincident matrix,
// within the largest boost (--max-boost, 12 dB by default); so it grows with the frequency
// wherever the capsules cannot tell the outputs apart. Each output is then scaled, within
// the same limit, so that its mean power over the measured directions is the ideal one, as
// the nominal design does over the whole sphere.
//
// Above the grid's spatial-aliasing frequency f_a (MeasurementGrid.h) the measurement no
// longer determines the matrix: the design moves to the nominal one over the octave below
// f_a (a raised cosine in log frequency), and likewise below 0.41 of the measurement's or
// the design's rate, whichever is lower (anti-aliasing filters and resampling leave the top
// of the band unreliable). A measurement in one plane leaves the component
// across that plane to the nominal design at every frequency.
//
// Timing: each direction's arrival at the microphone's centre is the group delay of its
// summed capsule responses between 100 Hz and 1 kHz, plus the lead of the nominal
// capsules' sum over the centre, (1 - a) r / (3 a c). One arrival (the median) serves all
// directions unless they spread over more than kArrivalSpreadSeconds (the source distance
// changed); then each direction keeps its own. The target is the ideal B-format that much
// later plus a delay D: the nominal modelling delay, or longer where the fit starts earlier
// than D / 2 before it (more energy there than kPreRingingMargin times what the nominal
// design leaves at its delay, and than kPreRingingLimit), up to a quarter of the filter. D
// is written into the matrix file.
//
// Work: the responses are transformed on twice the filter length (a longer response is
// folded onto it, which samples its spectrum exactly at those frequencies), so that the
// number of frequencies fitted grows with the filters, whatever the measurement's length and
// rate; the nominal fit of each frequency is made once; the fits without one direction each
// (the leave-one-out check) start from the sums over all directions less that direction's.
#pragma once

#include "filters/BFormatFit.h"
#include "filters/FilterDesign.h"
#include "filters/Measurement.h"
#include "filters/MeasurementGrid.h"

#include <array>
#include <complex>
#include <string>
#include <vector>

namespace vq {

constexpr double kDefaultMaxBoostDb = 12.0;
constexpr double kArrivalSpreadSeconds = 1e-4;
constexpr double kPreRingingLimit = 1e-4;  // of the filters' energy
constexpr double kPreRingingMargin = 1.5;  // over the nominal design's

class MeasuredDesign {
public:
    using Capsules = std::array<std::complex<double>, ArrayModel::kCapsules>;

    // `measurement` and `nominal` must outlive the design.
    MeasuredDesign(const Measurement& measurement, const ArrayModel& nominal, int rate, int taps, double maxBoostDb);

    // Brings the responses to the rate, transforms them, finds their arrivals and makes the
    // nominal fit of every frequency; `progress` hears the share done. kStatusOk,
    // kOutOfMemory or kFftSetupFailed.
    int Prepare(const DesignProgress& progress = DesignProgress());
    // Chooses the delay and makes the filters (after Prepare). kStatusOk, kOutOfMemory or
    // kFftSetupFailed.
    int Design(FilterSet* set, const DesignProgress& progress = DesignProgress());

    int Rate() const { return m_rate; }
    int FftLength() const { return m_fftLength; }
    int Bins() const { return m_fftLength / 2 + 1; }
    double Frequency(int bin) const { return static_cast<double>(bin) * m_rate / m_fftLength; }
    std::size_t Directions() const { return m_measurement.directions.size(); }
    const MeasuredDirection& Measured(std::size_t d) const { return m_measurement.directions[d]; }
    const GridCoverage& Grid() const { return m_grid; }
    bool SharedArrival() const { return m_sharedArrival; }
    // The median arrival at the centre, frames at Rate() from the start of the responses.
    double MedianArrival() const { return m_medianArrival; }
    double AliasingFrequency() const { return m_aliasing; }
    double NominalFrom() const { return m_nominalFrom; }  // Hz where the design is all nominal

    // Direction d's capsule responses at `bin`, moved back by its arrival at the centre.
    Capsules Response(std::size_t d, int bin) const;
    // The design's matrix at `bin`, before the delay D.
    ComplexMatrix4 At(int bin) const;
    // The same fitted without each direction in turn: [d] leaves direction d out.
    std::vector<ComplexMatrix4> LeavingEachOut(int bin) const;
    // Noise gain of each output of `m` against the nominal coincident matrix's output.
    std::array<double, kBFormatChannels> NoiseGain(const ComplexMatrix4& m) const;

private:
    // What the least-squares fit at a bin sums over the directions.
    struct FitSums {
        ComplexMatrix4 capsules{};  // sum a a^H
        ComplexMatrix4 targets{};   // sum b a^H
        std::array<double, kBFormatChannels> idealPower{};  // sum b^2
    };
    FitSums Sums(int bin) const;
    // Adds direction d's share to `sums` (sign 1), or takes it out (sign -1).
    void Add(std::size_t d, int bin, double sign, FitSums* sums) const;
    ComplexMatrix4 Fit(const FitSums& sums) const;
    // The fit blended into the nominal design where the measurement cannot determine it.
    ComplexMatrix4 Blend(int bin, ComplexMatrix4 m) const;
    double NominalShare(double frequency) const;
    // Of the filters' energy, the share that comes t or more samples before time 0: [t].
    std::vector<double> EnergyBefore(const std::vector<ComplexMatrix4>& responses) const;
    int ChooseDelay(const std::vector<ComplexMatrix4>& responses) const;

    const Measurement& m_measurement;
    const ArrayModel& m_nominal;
    BFormatFit m_nominalFit;
    std::array<double, kBFormatChannels> m_coincidentGain{};
    int m_rate;
    int m_taps;
    double m_maxGain;  // power ratio
    int m_fftLength = 0;
    std::vector<std::complex<double>> m_spectra;  // [direction][capsule][bin], aligned
    std::vector<ComplexMatrix4> m_nominalAt;      // [bin]: the nominal fit
    GridCoverage m_grid;
    bool m_sharedArrival = true;
    double m_medianArrival = 0.0;
    double m_aliasing = 0.0;
    double m_nominalFrom = 0.0;
};

}  // namespace vq
