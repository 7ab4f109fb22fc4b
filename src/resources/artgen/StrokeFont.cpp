#include "StrokeFont.h"

#include <cmath>

namespace artgen {

namespace {

// Glyph geometry in em units: x to the right from the letter's left edge, y up from the
// baseline, cap height 1.
struct Glyph {
    double width;
    std::vector<Polyline> strokes;
};

// An elliptic arc from startDegrees to endDegrees (counter-clockwise when end > start,
// with y up), in short straight pieces.
Polyline Arc(double cx, double cy, double rx, double ry, double startDegrees, double endDegrees)
{
    const double pi = 3.141592653589793;
    const int pieces = 48;
    Polyline arc;
    for (int i = 0; i <= pieces; ++i) {
        const double angle = (startDegrees + (endDegrees - startDegrees) * i / pieces) * pi / 180.0;
        arc.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    return arc;
}

Polyline Join(Polyline first, const Polyline& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

bool FindGlyph(char letter, Glyph* glyph)
{
    switch (letter) {
    case 'A':
        *glyph = {0.70, {{{0, 0}, {0.35, 1}, {0.70, 0}}, {{0.116, 0.33}, {0.584, 0.33}}}};
        return true;
    case 'E':
        *glyph = {0.50, {{{0.50, 1}, {0, 1}, {0, 0}, {0.50, 0}}, {{0, 0.52}, {0.42, 0.52}}}};
        return true;
    case 'I':
        *glyph = {0.0, {{{0, 0}, {0, 1}}}};
        return true;
    case 'L':
        *glyph = {0.44, {{{0, 1}, {0, 0}, {0.44, 0}}}};
        return true;
    case 'Q':
        *glyph = {0.94, {Arc(0.47, 0.5, 0.47, 0.5, 0, 360), {{0.58, 0.22}, {0.92, -0.08}}}};
        return true;
    case 'R':
        *glyph = {0.54,
                  {Join({{0, 0}, {0, 1}, {0.27, 1}}, Join(Arc(0.27, 0.75, 0.25, 0.25, 90, -90), {{0, 0.5}})),
                   {{0.24, 0.5}, {0.54, 0}}}};
        return true;
    case 'S':
        // Two bowls meeting at the middle: the upper one turning left, the lower one right.
        *glyph = {0.52, {Join(Arc(0.26, 0.75, 0.24, 0.25, 20, 270), Arc(0.26, 0.25, 0.26, 0.25, 90, -160))}};
        return true;
    case 'U':
        *glyph = {0.60, {Join({{0, 1}}, Join(Arc(0.30, 0.32, 0.30, 0.32, 180, 360), {{0.60, 1}}))}};
        return true;
    case 'V':
        *glyph = {0.70, {{{0, 1}, {0.35, 0}, {0.70, 1}}}};
        return true;
    case 'X':
        *glyph = {0.62, {{{0, 0}, {0.62, 1}}, {{0, 1}, {0.62, 0}}}};
        return true;
    default:
        return false;
    }
}

}  // namespace

bool LayOutText(const std::string& text, Point origin, double capHeight, double tracking, TextLayout* layout)
{
    *layout = TextLayout{};
    double pen = 0.0;  // em units from the origin
    for (std::size_t i = 0; i < text.size(); ++i) {
        Glyph glyph;
        if (!FindGlyph(text[i], &glyph))
            return false;
        if (i > 0)
            pen += tracking;
        for (const Polyline& stroke : glyph.strokes) {
            Polyline placed;
            for (const Point& p : stroke)
                placed.push_back({origin.x + (pen + p.x) * capHeight, origin.y - p.y * capHeight});
            layout->strokes.push_back(placed);
        }
        pen += glyph.width;
    }
    layout->width = pen * capHeight;
    return true;
}

}  // namespace artgen
