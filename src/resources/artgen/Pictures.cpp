#include "Pictures.h"

#include "ConvertSymbol.h"
#include "StrokeFont.h"

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kDarkInk{24, 24, 24};
// The tetrahedron's edges and the sphere's equator, behind the symbol's ink.
constexpr Colour kDetailOnLight{128, 128, 128};
constexpr Colour kLightGrey{214, 214, 214};
constexpr Colour kTileEdge{168, 168, 168};
constexpr Colour kGreen{46, 160, 67};
constexpr Colour kRed{211, 47, 47};

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
    PaintConvertSymbol(&canvas, 0, 0, size, onLightGrey ? kDarkInk : kBlack, kDetailOnLight);
    return canvas;
}

Canvas DrawDesktopIcon(int size)
{
    // Whole pixels throughout, so that the tile's straight edges and the symbol stay sharp.
    // Up to 24 pixels the symbol needs every pixel: the tile is the whole square.
    Canvas canvas(size, size, true);
    const bool small = size <= 24;
    const int margin = small ? 0 : size / 32;
    const int edge = std::max(1, size / 64);
    const double corner = size / 5.0;
    Coverage outer(size, size);
    outer.FillRoundedRect(margin, margin, size - margin, size - margin, corner);
    canvas.Paint(outer, kTileEdge);
    Coverage inner(size, size);
    inner.FillRoundedRect(margin + edge, margin + edge, size - margin - edge, size - margin - edge, corner - edge);
    canvas.Paint(inner, kLightGrey);
    const int inset = small ? 0 : margin + edge + size / 32;
    PaintConvertSymbol(&canvas, inset, inset, size - 2 * inset, kDarkInk, kDetailOnLight);
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
