#include "spatial/DirectionMapLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vq {

std::array<double, 3> DirectionScaleColour(double levelDb)
{
    // The brightness rises steadily from one stop to the next.
    static const std::array<double, 3> kStops[] = {
        {0.02, 0.02, 0.12}, {0.28, 0.06, 0.46}, {0.72, 0.16, 0.38}, {0.98, 0.50, 0.12}, {1.00, 0.97, 0.70},
    };
    constexpr int kLast = 4;
    const double t = std::clamp((levelDb + kDirectionScaleDb) / kDirectionScaleDb, 0.0, 1.0) * kLast;
    const int i = std::min(static_cast<int>(t), kLast - 1);
    const double f = t - i;
    std::array<double, 3> c;
    for (int k = 0; k < 3; ++k)
        c[k] = kStops[i][k] + f * (kStops[i + 1][k] - kStops[i][k]);
    return c;
}

double LevelAt(const DirectionMapLevels& levels, double azimuth, double elevation)
{
    if (levels.map.empty())
        return DirectionMap::kFloorDb;
    const double fa = std::clamp((azimuth + 180.0) / DirectionMap::kStepDegrees, 0.0, DirectionMap::kAzimuths - 1.0);
    const double fe = std::clamp((elevation + 90.0) / DirectionMap::kStepDegrees, 0.0, DirectionMap::kElevations - 1.0);
    const int a = std::min(static_cast<int>(fa), DirectionMap::kAzimuths - 2);
    const int e = std::min(static_cast<int>(fe), DirectionMap::kElevations - 2);
    const double s = fa - a, t = fe - e;
    return (1 - s) * (1 - t) * levels.LevelDb(a, e) + s * (1 - t) * levels.LevelDb(a + 1, e) +
           (1 - s) * t * levels.LevelDb(a, e + 1) + s * t * levels.LevelDb(a + 1, e + 1);
}

double MapAzimuthAt(double x, double width)
{
    return 180.0 - x * 360.0 / width;
}

double MapXOf(double azimuth, double width)
{
    return (180.0 - azimuth) / 360.0 * width;
}

double StripLevelAt(const DirectionMapLevels& levels, int x, int y, int width, int height)
{
    const int columns = levels.stripColumns;
    if (columns <= 0 || width <= 0 || height <= 0)
        return DirectionMap::kFloorDb;
    const int column = std::min(columns - 1, x * columns / width);
    const double degreesPerRow = 360.0 / height;
    const double top = 180.0 - y * degreesPerRow;
    const int last = static_cast<int>(std::lround((top + 180.0) / DirectionMap::kStepDegrees));
    const int first = static_cast<int>(std::lround((top - degreesPerRow + 180.0) / DirectionMap::kStepDegrees));
    double level = DirectionMap::kFloorDb;
    for (int bin = first; bin <= last; ++bin)
        level = std::max(level, levels.StripLevelDb(column, bin % DirectionMap::kStripAzimuths));
    return level;
}

namespace {

std::string Frequency(double hz)
{
    char text[32];
    if (hz >= 1000.0)
        std::snprintf(text, sizeof text, "%g kHz", hz / 1000.0);
    else
        std::snprintf(text, sizeof text, "%g Hz", hz);
    return text;
}

}  // namespace

std::string DirectionMapTitle(const DirectionMapLevels& levels)
{
    return "Where the sound comes from, " + Frequency(levels.lowHz) + " to " + Frequency(levels.highHz);
}

double StripTimeStep(double seconds)
{
    for (double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1800.0, 3600.0})
        if (seconds / step <= 6.0)
            return step;
    return 7200.0;
}

}  // namespace vq
