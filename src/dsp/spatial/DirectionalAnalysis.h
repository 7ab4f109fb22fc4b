// Where the sound of each band comes from and how diffuse it is, frame by frame, from the
// spectra of first-order B-format (directional audio coding, after Pulkki 2007).
//
// Per bin, with the pressure P = sqrt(2) W and the velocity V = (X, Y, Z) (Furse-Malham):
// - the active intensity I = Re(conj(P) V), which points at the source of a plane wave
//   (this program's B-format is encoded towards the source, not along the propagation);
// - the energy E = (|P|^2 + |V|^2) / 2.
// A plane wave of amplitude s gives I = |s|^2 u (u its direction) and E = |s|^2; a diffuse
// field gives an intensity that averages to zero. So the diffuseness
//     psi = 1 - |<I>| / <E>
// is 0 for one plane wave, 1 for a diffuse field, and |I| <= E keeps it in 0 .. 1.
//
// The averages <.>: the band's sums of I and E over its bins, then over the neighbouring
// bands with the weights 1 2 3 2 1 (a few bins at low frequencies, about 1/4 octave higher
// up), then over time by a one-pole average whose time constant is ten periods of the
// band's centre frequency, kept between 10 ms (above 1 kHz) and 50 ms (below 200 Hz): long
// enough for a steady estimate where the periods are long, short enough to follow the
// syllables of speech and the notes of music. A plane wave alone stays at psi = 0 however
// much it is averaged; noise-like diffuse sound reads 0.8 to 0.9 at 48 kHz (the few
// independent values in each average leave some intensity).
#pragma once

#include "spatial/AnalysisBands.h"

#include <fftw3.h>

#include <array>
#include <vector>

namespace vq {

struct BandEstimate {
    std::array<double, 3> direction{{1.0, 0.0, 0.0}};  // unit vector (X front, Y left, Z up); front when unknown
    double diffuseness = 1.0;                          // psi, 0 .. 1
    double intensity = 0.0;                            // |<I>| per bin (across the neighbours)
    double energy = 0.0;                               // <E> per bin (across the neighbours)
    double ownEnergy = 0.0;                            // the band's own E summed over its bins, time-averaged
};

class DirectionalAnalysis {
public:
    static constexpr double kPeriods = 10.0;
    static constexpr double kMinTimeConstant = 0.010;  // seconds
    static constexpr double kMaxTimeConstant = 0.050;  // seconds

    // The time constant of the averages at `hz`, in seconds.
    static double TimeConstant(double hz);

    // Sizes the state for `bands` (kept by reference) with a new frame every `hopSeconds`,
    // and clears it. Throws std::bad_alloc.
    void Configure(const AnalysisBands& bands, double hopSeconds);
    void Reset();

    // Takes the next frame: bformat[0..3] the spectra of W, X, Y, Z over the bands' bins.
    void Update(const fftw_complex* const bformat[4]);

    const BandEstimate& Band(int band) const { return m_estimates[static_cast<std::size_t>(band)]; }
    // The one-pole coefficient of `band` (the weight of the past per frame).
    double Smoothing(int band) const { return m_smoothing[static_cast<std::size_t>(band)]; }

private:
    struct Sums {
        double ix = 0.0, iy = 0.0, iz = 0.0, e = 0.0;
    };

    const AnalysisBands* m_bands = nullptr;
    std::vector<Sums> m_raw;       // this frame's sums over each band's bins
    std::vector<Sums> m_averages;  // across neighbours and time, per bin
    std::vector<double> m_ownEnergy;
    std::vector<double> m_neighbourBins;  // weighted bin count across the neighbours
    std::vector<double> m_smoothing;
    std::vector<BandEstimate> m_estimates;
};

}  // namespace vq
