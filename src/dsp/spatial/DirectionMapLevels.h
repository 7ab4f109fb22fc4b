// A finished direction map (DirectionMap.h) as plain values, and how a picture shows them:
// what the window draws with its toolkit and the PNG writer with cairo, from the same levels,
// positions and colour scale.
#pragma once

#include "spatial/DirectionMap.h"

#include <array>
#include <string>
#include <vector>

namespace vq {

struct DirectionMapLevels {
    double lowHz = DirectionMap::kDefaultLowHz;  // the band the map is made from
    double highHz = DirectionMap::kDefaultHighHz;
    double columnSeconds = 0.0;  // the length of a column of the strip
    int stripColumns = 0;
    // dB relative to the loudest direction: [elevation index][azimuth index] on the map's grid,
    // and [column][azimuth bin] of the strip.
    std::vector<double> map;
    std::vector<double> strip;

    double LevelDb(int azimuthIndex, int elevationIndex) const
    {
        return map[static_cast<std::size_t>(elevationIndex) * DirectionMap::kAzimuths + azimuthIndex];
    }
    double StripLevelDb(int column, int azimuthBin) const
    {
        return strip[static_cast<std::size_t>(column) * DirectionMap::kStripAzimuths + azimuthBin];
    }
};

// The levels of a finished map; empty ones (no grid) for a map that is not finished.
DirectionMapLevels LevelsOf(const DirectionMap& map);

// The pictures' colour scale spans this many dB below the loudest direction.
constexpr double kDirectionScaleDb = 30.0;
// Red, green and blue from 0 to 1 for a level: dark blue (kDirectionScaleDb below the
// loudest, or less) through purple, red and orange to pale yellow (the loudest).
std::array<double, 3> DirectionScaleColour(double levelDb);

// The map's level at any azimuth and elevation (degrees), bilinear between the grid points.
double LevelAt(const DirectionMapLevels& levels, double azimuth, double elevation);

// Every picture lays the map out as a 360-degree video frame is laid out (equirectangular):
// azimuth +180 at the left edge, through 0 (the front) in the middle, to -180 at the right,
// so that the left is on the left; elevation +90 at the top. The azimuth at `x` across a map
// `width` wide (0 at its left edge), and the other way round.
double MapAzimuthAt(double x, double width);
double MapXOf(double azimuth, double width);
// What a pixel of the strip `width` x `height` shows at (x, y): the loudest azimuth bin that
// its row covers (azimuth 180 at the top to -180 at the bottom) in the column under x.
double StripLevelAt(const DirectionMapLevels& levels, int x, int y, int width, int height);

// "Where the sound comes from, 200 Hz to 4 kHz": the picture's title, with its band.
std::string DirectionMapTitle(const DirectionMapLevels& levels);

// The step between the labels of time under a strip `seconds` long: about six of them.
double StripTimeStep(double seconds);

}  // namespace vq
