// The head-related responses of an HRIR set in the form the parametric headphone decoder
// renders with: for directions on a grid, each ear's magnitude per analysis band and its
// delay, both interpolated between the grid's directions.
//
// The grid: the faces of a cube, each divided into kDivisions x kDivisions squares and
// projected onto the sphere (486 directions, 8 to 14 degrees apart). A direction falls on
// one face (its largest coordinate) and between four grid directions there; magnitudes and
// delays are interpolated bilinearly, so they change smoothly as a source moves, also
// across the edges of the faces (whose directions two faces share). The straight ahead,
// behind, left, right, up and down directions lie on the grid.
//
// Each ear's response is reduced to a magnitude and a pure delay:
// - the magnitude: the root mean square over the band's bins of the response's spectrum;
// - the delay: its low-frequency group delay, from the phase steps between the bins below
//   200 Hz (at least three). For the built-in head that is the onset of the responses plus
//   Woodworth's delay of the ear (within a few microseconds), which is what sets the
//   interaural delay a listener hears. The response's phase above that is left out: a
//   phase that differs between neighbouring directions would cancel where they are
//   interpolated, and the delay is the cue that matters there.
#pragma once

#include "binaural/HrirSet.h"
#include "spatial/AnalysisBands.h"
#include "spatial/BFormatStft.h"

#include <array>
#include <vector>

namespace vq {

class HrtfGrid {
public:
    static constexpr int kDivisions = 8;
    static constexpr int kEars = 2;
    static constexpr double kDelayBandHz = 200.0;

    // Where a direction falls: four grid directions and their weights (adding up to 1).
    struct Cell {
        int vertex[4];
        double weight[4];
    };

    // Computes the grid from `hrirs` at `sampleRate` (accepted by its CheckRate) for the
    // bands of `stft`'s transform, whose frames must be at least as long as the responses.
    // Throws std::bad_alloc.
    void Build(const HrirSet& hrirs, int sampleRate, const AnalysisBands& bands, BFormatStft& stft);

    Cell Locate(const std::array<double, 3>& direction) const;
    // The interpolated magnitude of `ear` (0 left, 1 right) in `band`.
    double Magnitude(const Cell& cell, int band, int ear) const;
    // The interpolated delay of `ear`, in frames.
    double Delay(const Cell& cell, int ear) const;

    int Directions() const { return kVertices; }

private:
    static constexpr int kSide = kDivisions + 1;
    static constexpr int kVertices = 6 * kSide * kSide;

    static std::array<double, 3> VertexDirection(int vertex);

    int m_bands = 0;
    std::vector<float> m_magnitudes;  // [band][vertex][ear]
    std::vector<double> m_delays;     // [vertex][ear], frames
};

}  // namespace vq
