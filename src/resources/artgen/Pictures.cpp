#include "Pictures.h"

#include "StrokeFont.h"

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kDarkInk{24, 24, 24};
constexpr Colour kLightGrey{214, 214, 214};
constexpr Colour kTileEdge{168, 168, 168};
constexpr Colour kGreen{46, 160, 67};
constexpr Colour kRed{211, 47, 47};

// Paints the logo into the square of side `size` whose top left corner is (left, top). The
// line width grows more slowly than the size so that small icons stay legible and large
// ones stay light; it is a whole number of pixels, and the circle's inner edge falls on a
// pixel boundary, so that the circle's top, bottom and sides come out sharp.
void PaintLogo(Canvas* canvas, double left, double top, double size, Colour ink)
{
    const double lineWidth = std::max(1.0, std::round(0.055 * size + 0.4));
    const double cx = left + size / 2;
    const double cy = top + size / 2;
    const double radius = std::round(0.39 * size - lineWidth / 2) + lineWidth / 2;
    const double arm = 0.17 * size;  // half the X's extent along each axis

    Coverage logo(canvas->Width(), canvas->Height());
    Polyline circle;
    const int pieces = 128;
    for (int i = 0; i <= pieces; ++i) {
        const double angle = 2.0 * 3.141592653589793 * i / pieces;
        circle.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    logo.Stroke(circle, lineWidth);
    logo.Stroke({{cx - arm, cy - arm}, {cx + arm, cy + arm}}, lineWidth);
    logo.Stroke({{cx - arm, cy + arm}, {cx + arm, cy - arm}}, lineWidth);
    canvas->Paint(logo, ink);
}

// Stroke pieces given in shares of the picture's size.
Canvas DrawMark(int size, const std::vector<Polyline>& unitStrokes, Colour colour)
{
    Canvas canvas(size, size, true);
    Coverage mark(size, size);
    for (const Polyline& unit : unitStrokes) {
        Polyline stroke;
        for (const Point& p : unit)
            stroke.push_back({p.x * size, p.y * size});
        mark.Stroke(stroke, 0.15 * size);
    }
    canvas.Paint(mark, colour);
    return canvas;
}

}  // namespace

Canvas DrawLogo(int size, bool onLightGrey)
{
    Canvas canvas(size, size, !onLightGrey);
    if (onLightGrey)
        canvas.Clear(kLightGrey);
    PaintLogo(&canvas, 0, 0, size, onLightGrey ? kDarkInk : kBlack);
    return canvas;
}

Canvas DrawDesktopIcon(int size)
{
    Canvas canvas(size, size, true);
    const double margin = size / 32.0;
    const double edge = size / 64.0;
    const double corner = size / 5.0;
    Coverage outer(size, size);
    outer.FillRoundedRect(margin, margin, size - margin, size - margin, corner);
    canvas.Paint(outer, kTileEdge);
    Coverage inner(size, size);
    inner.FillRoundedRect(margin + edge, margin + edge, size - margin - edge, size - margin - edge, corner - edge);
    canvas.Paint(inner, kLightGrey);
    PaintLogo(&canvas, margin, margin, size - 2 * margin, kDarkInk);
    return canvas;
}

Canvas DrawCheckMark(int size)
{
    return DrawMark(size, {{{0.20, 0.53}, {0.41, 0.74}, {0.80, 0.27}}}, kGreen);
}

Canvas DrawCross(int size)
{
    return DrawMark(size, {{{0.24, 0.24}, {0.76, 0.76}}, {{0.24, 0.76}, {0.76, 0.24}}}, kRed);
}

std::optional<Canvas> DrawNameLabel(const std::string& text, int width, int height)
{
    const double tracking = 0.30;  // letter-spaced, as thin capitals read best
    const double lineWidth = 2.0;
    TextLayout unit;
    if (!LayOutText(text, {0, 0}, 1.0, tracking, &unit) || unit.width <= 0.0)
        return std::nullopt;
    const double margin = 0.06 * width;
    const double capHeight = std::min(0.4 * height, (width - 2 * margin) / unit.width);
    const Point origin{(width - unit.width * capHeight) / 2, (height + capHeight) / 2};
    TextLayout layout;
    LayOutText(text, origin, capHeight, tracking, &layout);

    Canvas canvas(width, height, true);
    Coverage letters(width, height);
    for (const Polyline& stroke : layout.strokes)
        letters.Stroke(stroke, lineWidth);
    canvas.Paint(letters, kBlack);
    return canvas;
}

}  // namespace artgen
