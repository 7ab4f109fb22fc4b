// The program's symbol, which reads as "convert": the four capsules of a tetrahedral
// microphone (four dots on the corners of a tetrahedron) and an arrow into a circle, the
// sphere of B-format. The Convert button, the window icons and the desktop icon show it.
#pragma once

#include "Canvas.h"

namespace artgen {

// Paints the symbol into the square of side `size` whose top left corner is (left, top),
// laid out on the pixel grid of that size so that it stays sharp: widths of whole pixels,
// the circle's and the shaft's edges on pixel boundaries. From 24 pixels
// up the tetrahedron's edges and the sphere's equator are drawn too, thinner and in
// `detail`; below that there is no room for them.
void PaintConvertSymbol(Canvas* canvas, int left, int top, int size, Colour ink, Colour detail);

}  // namespace artgen
