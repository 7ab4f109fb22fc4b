// A thin geometric stroke font for the capital letters of the program's name, so that the
// name label is drawn from line geometry alone (no font files needed at build time).
#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

namespace artgen {

struct TextLayout {
    std::vector<Polyline> strokes;  // in pixels
    double width = 0.0;             // from the first letter's left edge to the last one's right edge
};

// Lays out capital letters on a baseline starting at `origin` (the left end of the baseline).
// capHeight is the letters' height in pixels; tracking the gap between letters as a share
// of capHeight. Returns false when the text holds a letter the font does not draw.
bool LayOutText(const std::string& text, Point origin, double capHeight, double tracking, TextLayout* layout);

}  // namespace artgen
