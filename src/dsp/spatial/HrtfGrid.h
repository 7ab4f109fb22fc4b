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
    // The interpolated magnitudes of both ears (left, right) in `band`, and their delays in
    // frames.
    void Ears(const Cell& cell, int band, double magnitudes[kEars], double delays[kEars]) const;
    // The diffuse-field magnitude of `ear` in `band`: the root mean square over all
    // directions (each grid direction weighted by the solid angle it stands for).
    double DiffuseMagnitude(int band, int ear) const
    {
        return m_diffuse[static_cast<std::size_t>(band) * kEars + ear];
    }

    int Directions() const { return kVertices; }

private:
    static constexpr int kSide = kDivisions + 1;
    static constexpr int kVertices = 6 * kSide * kSide;

    static std::array<double, 3> VertexDirection(int vertex);
    // The share of the sphere that `vertex` stands for (trapezoid weights on its face).
    static double SolidAngle(int vertex);

    int m_bands = 0;
    // [vertex][band][ear]: a source that stays in one cell reads its rows band after band.
    std::vector<float> m_magnitudes;
    std::vector<double> m_delays;     // [vertex][ear], frames
    std::vector<double> m_diffuse;    // [band][ear]
};

}  // namespace vq
