#include "ConvertSymbol.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace artgen {

namespace {

constexpr double kPi = 3.141592653589793;

// At 16 pixels no geometry comes out sharp: the symbol is drawn pixel by pixel. Four dots
// of 2 x 2, an arrowhead and a circle of 7 pixels.
const char* const kSixteenPixels[16] = {
    "................",
    "................",
    "................",
    "..##............",
    "..##............",
    "...........###..",
    ".....#....#...#.",
    ".....##..#.....#",
    "..##.###.#.....#",
    "..##.##..#.....#",
    ".....#....#...#.",
    "...........###..",
    "##.##...........",
    "##.##...........",
    "................",
    "................",
};

// The design, in shares of the square's side: the tetrahedron seen from the front, a little
// above and to the left (the apex on top, the back corner inside the triangle of the other
// three), the arrow and the circle on one centre line.
constexpr Point kApex{0.185, 0.28}, kBack{0.15, 0.57}, kLeft{0.075, 0.72}, kRight{0.29, 0.72};
constexpr double kDot = 0.11;
constexpr double kCircleDiameter = 0.40, kRightMargin = 0.03;
constexpr double kShaftStart = 0.365, kHeadLength = 0.15, kHalfHead = 0.13, kTipGap = 0.025;

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

// The centre nearest to `value` of a mark `width` pixels wide whose edges fall on pixel
// boundaries.
double Snapped(double value, int width)
{
    return width % 2 ? std::floor(value) + 0.5 : std::round(value);
}

Polyline Ellipse(Point centre, double rx, double ry)
{
    Polyline outline;
    const int pieces = 128;
    for (int i = 0; i <= pieces; ++i) {
        const double angle = 2.0 * kPi * i / pieces;
        outline.push_back({centre.x + rx * std::cos(angle), centre.y + ry * std::sin(angle)});
    }
    return outline;
}

void PaintPixels(Canvas* canvas, int left, int top, const char* const* rows, int size, Colour ink)
{
    Coverage shape(canvas->Width(), canvas->Height());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (rows[y][x] == '#')
                shape.FillRoundedRect(left + x, top + y, left + x + 1, top + y + 1, 0);
    canvas->Paint(shape, ink);
}

}  // namespace

void PaintConvertSymbol(Canvas* canvas, int left, int top, int size, Colour ink, Colour detail)
{
    if (size == 16) {
        PaintPixels(canvas, left, top, kSixteenPixels, size, ink);
        return;
    }
    const auto at = [&](Point unit, int width) {
        return Point{Snapped(left + unit.x * size, width), Snapped(top + unit.y * size, width)};
    };
    const int line = std::max(1, Round(size / 16.0));  // the circle's and the shaft's width
    const int dot = std::max(2, Round(kDot * size));
    const int diameter = std::max(3, Round(kCircleDiameter * size));

    // The circle's outer edges and the shaft's edges on pixel boundaries: the centre line
    // and the circle's centre snapped by the parity of the widths.
    const double centreY = Snapped(top + size / 2.0, diameter);
    const int right = left + size - std::max(1, Round(kRightMargin * size));
    const Point centre{right - diameter / 2.0, centreY};
    const double radius = (diameter - line) / 2.0;
    const double shaftY = Snapped(centreY, line);
    const double tip = centre.x - diameter / 2.0 - std::max(1, Round(kTipGap * size));
    const double head = std::max(2, Round(kHeadLength * size));
    const double halfHead = std::max(2, Round(kHalfHead * size)) + (line % 2 ? 0.5 : 0.0);

    Coverage shape(canvas->Width(), canvas->Height());
    shape.Stroke(Ellipse(centre, radius, radius), line);
    shape.FillRoundedRect(std::round(left + kShaftStart * size), shaftY - line / 2.0, tip - head + 0.5,
                          shaftY + line / 2.0, 0);
    shape.FillConvexPolygon({{tip - head, shaftY - halfHead}, {tip, shaftY}, {tip - head, shaftY + halfHead}});
    const Point dots[4] = {at(kApex, dot), at(kBack, dot), at(kLeft, dot), at(kRight, dot)};
    for (const Point& p : dots)
        shape.Stroke({p}, dot);

    // The tetrahedron's six edges and the sphere's equator, where there is room for them.
    if (size >= 24) {
        const double thin = std::max(1.0, line / 2.0);
        Coverage edges(canvas->Width(), canvas->Height());
        const Point& apex = dots[0];
        const Point& back = dots[1];
        edges.Stroke({dots[2], apex, dots[3], dots[2]}, thin);
        edges.Stroke({dots[2], back, dots[3]}, thin);
        edges.Stroke({apex, back}, thin);
        edges.Stroke(Ellipse(centre, radius, 0.36 * radius), thin);
        canvas->Paint(edges, detail);
    }
    canvas->Paint(shape, ink);
}

}  // namespace artgen
