// The picture of where the sound of a take comes from, drawn with the toolkit from the map's
// levels (spatial/DirectionMapLevels.h): the map in the colours of the command line's PNG,
// with its legend in dB, front, left, right and back marked, axes in degrees, and the strip
// of azimuth over time below.
#pragma once

#include "spatial/DirectionMapLevels.h"

#include <wx/bitmap.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

namespace vqgui {

// The coloured map alone: azimuth -180 to 180 left to right, elevation 90 at the top row.
wxImage DirectionMapImage(const vq::DirectionMapLevels& levels, int width, int height);

// The whole picture, with its labels.
wxBitmap DirectionMapBitmap(const vq::DirectionMapLevels& levels);
// Where in that picture the map lies (DirectionMapImage's pixels).
wxRect DirectionMapArea();

}  // namespace vqgui
