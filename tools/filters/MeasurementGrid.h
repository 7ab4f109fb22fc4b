// How the directions of a measurement cover the sphere, and up to which frequency they
// determine a design.
//
// A grid whose directions lie a mean angle s (radians) from their nearest neighbours
// samples directional responses up to about spherical-harmonic order pi / s - 1. Capsules
// at radius r hear a plane wave of wavenumber k with responses of order up to about k r + 1
// (the first-order pattern, widened by the spacing's phase). So the grid determines the
// design up to the spatial-aliasing frequency
//   f_a = c (pi / s - 2) / (2 pi r),
// for 15 mm about 21 kHz with 72 evenly spread directions, 10 kHz with 26, 6.5 kHz with 16
// and 2 kHz with the 8 corners of a cube.
#pragma once

#include "common/Vec3.h"

#include <vector>

namespace vq {

struct GridCoverage {
    int distinct = 0;      // directions more than kSameDirectionDegrees apart
    bool planar = false;   // every direction within kPlaneToleranceDegrees of one plane
    Vec3 normal{};         // that plane's normal (planar only)
    double spacing = 0.0;  // mean angle from each direction to its nearest neighbour, radians
};

constexpr double kSameDirectionDegrees = 1.0;
constexpr double kPlaneToleranceDegrees = 5.0;

GridCoverage AnalyseGrid(const std::vector<Vec3>& directions);

// f_a above for capsules at `radius` metres; 0 when the grid is too coarse for any.
double GridAliasingFrequency(const GridCoverage& grid, double radius);

}  // namespace vq
