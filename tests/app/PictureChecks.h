// Measurements that tell the pictures' subjects apart on decoded images: where the ink is,
// how often a line crosses it, and its colour.
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

#include <vector>

namespace vqtest {

// Ink: for images with alpha, a mostly opaque pixel; for opaque images, a pixel darker than
// half the brightness of the top left corner (the background).
bool IsInk(const wxImage& image, int x, int y);

// Separate stretches of ink met along the middle row, and along the diagonal from the top
// left corner to the bottom right one.
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

// Dark ink: a mostly opaque pixel darker than a third of full brightness. Grey detail
// drawn behind the ink is not dark ink.
bool IsDarkInk(const wxImage& image, int x, int y);

// A group of dark ink pixels, each touching the next by a side or a corner.
struct InkPart {
    std::vector<wxPoint> pixels;
    wxRect bounds;
    bool enclosesBackground = false;  // a ring: it holds pixels no path from the edge reaches
    // It has fully dark pixels in its top row, in its left column: its edge lies there on
    // the pixel grid.
    bool sharpTop = false, sharpLeft = false;
};

// The parts of dark ink, from left to right (by their left edge, then their top).
std::vector<InkPart> DarkInkParts(const wxImage& image);

}  // namespace vqtest
