// An RGBA picture with anti-aliased drawing from simple geometry: strokes along polylines
// (round caps and joins) and filled rounded rectangles. Coordinates are in pixels, x to the
// right and y downwards; pixel (i, j) covers [i, i+1) x [j, j+1).
#pragma once

#include <cstdint>
#include <vector>

namespace artgen {

struct Point {
    double x;
    double y;
};

using Polyline = std::vector<Point>;

struct Colour {
    std::uint8_t r, g, b;
};

// Coverage of one shape, 0 (outside) to 1 (inside), per pixel.
class Coverage {
public:
    Coverage(int width, int height);

    // Adds a stroke of the given width along the polyline (union with what is there).
    void Stroke(const Polyline& line, double width);
    // Adds a filled rectangle with rounded corners.
    void FillRoundedRect(double left, double top, double right, double bottom, double radius);
    // Adds a filled convex polygon, its corners in order (either way round).
    void FillConvexPolygon(const Polyline& corners);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    double At(int x, int y) const { return m_values[static_cast<std::size_t>(y) * m_width + x]; }

private:
    double& Value(int x, int y) { return m_values[static_cast<std::size_t>(y) * m_width + x]; }

    int m_width;
    int m_height;
    std::vector<double> m_values;
};

class Canvas {
public:
    // A fully transparent canvas; `hasAlpha` false means the picture is saved without alpha,
    // so it must be painted opaque everywhere (Clear).
    Canvas(int width, int height, bool hasAlpha);

    void Clear(Colour colour);
    // Paints the colour over the picture, weighted by the coverage (source-over).
    void Paint(const Coverage& shape, Colour colour);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool HasAlpha() const { return m_hasAlpha; }
    // Pixels as R, G, B, A bytes, row by row from the top.
    const std::vector<std::uint8_t>& Rgba() const { return m_rgba; }

private:
    int m_width;
    int m_height;
    bool m_hasAlpha;
    std::vector<std::uint8_t> m_rgba;
};

}  // namespace artgen
