// Measurements that tell the pictures' subjects apart on decoded images: where the ink is,
// how often a line crosses it, and its colour.
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

namespace vqtest {

// Ink: for images with alpha, a mostly opaque pixel; for opaque images, a pixel darker than
// half the brightness of the top left corner (the background).
bool IsInk(const wxImage& image, int x, int y);

// Separate stretches of ink met along the middle row, and along the diagonal from the top
// left corner to the bottom right one. A circle with an X inside meets three on each.
int InkRunsAlongMiddleRow(const wxImage& image);
int InkRunsAlongDiagonal(const wxImage& image);

// Separate groups of columns that hold ink: the letters of a line of text.
int InkColumnGroups(const wxImage& image);

// The smallest rectangle that holds all the ink (empty when there is none).
wxRect InkBounds(const wxImage& image);

// Mean colour of the ink pixels.
wxColour MeanInkColour(const wxImage& image);

// Every pixel of the outermost rows and columns is fully transparent.
bool EdgeIsTransparent(const wxImage& image);

}  // namespace vqtest
