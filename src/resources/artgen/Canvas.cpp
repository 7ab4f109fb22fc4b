#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {

double DistanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Share of a one-pixel box centred `distance` away from the centre line that a band of the
// given width covers: exact for straight edges, and right for bands thinner than a pixel.
double BandCoverage(double distance, double width)
{
    const double overlap = std::min(distance + 0.5, width / 2) - std::max(distance - 0.5, -width / 2);
    return std::clamp(overlap, 0.0, 1.0);
}

std::uint8_t ToByte(double value)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

}  // namespace

Coverage::Coverage(int width, int height)
    : m_width(width), m_height(height), m_values(static_cast<std::size_t>(width) * height, 0.0)
{
}

void Coverage::Stroke(const Polyline& line, double width)
{
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const Point centre{x + 0.5, y + 0.5};
            double distance = line.size() == 1 ? std::hypot(centre.x - line[0].x, centre.y - line[0].y) : HUGE_VAL;
            for (std::size_t i = 1; i < line.size(); ++i)
                distance = std::min(distance, DistanceToSegment(centre, line[i - 1], line[i]));
            Value(x, y) = std::max(Value(x, y), BandCoverage(distance, width));
        }
    }
}

void Coverage::FillRoundedRect(double left, double top, double right, double bottom, double radius)
{
    const double centreX = (left + right) / 2;
    const double centreY = (top + bottom) / 2;
    const double innerHalfWidth = (right - left) / 2 - radius;
    const double innerHalfHeight = (bottom - top) / 2 - radius;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            // Signed distance to the rounded outline, negative inside.
            const double qx = std::fabs(x + 0.5 - centreX) - innerHalfWidth;
            const double qy = std::fabs(y + 0.5 - centreY) - innerHalfHeight;
            const double distance =
                std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
            Value(x, y) = std::max(Value(x, y), std::clamp(0.5 - distance, 0.0, 1.0));
        }
    }
}

void Coverage::FillConvexPolygon(const Polyline& corners)
{
    // A point is inside when it lies on the same side of every edge; each pixel is sampled
    // on a grid of 8 x 8 points, which is exact for edges along the pixel grid.
    const auto inside = [&](double x, double y) {
        int sides = 0;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const Point& a = corners[i];
            const Point& b = corners[(i + 1) % corners.size()];
            const double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
            sides |= cross > 0 ? 1 : cross < 0 ? 2 : 0;
        }
        return sides != 3;
    };
    constexpr int kSamples = 8;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            int hits = 0;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i)
                    hits += inside(x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples);
            Value(x, y) = std::max(Value(x, y), double(hits) / (kSamples * kSamples));
        }
    }
}

Canvas::Canvas(int width, int height, bool hasAlpha)
    : m_width(width), m_height(height), m_hasAlpha(hasAlpha), m_rgba(static_cast<std::size_t>(width) * height * 4, 0)
{
}

void Canvas::Clear(Colour colour)
{
    for (std::size_t i = 0; i < m_rgba.size(); i += 4) {
        m_rgba[i] = colour.r;
        m_rgba[i + 1] = colour.g;
        m_rgba[i + 2] = colour.b;
        m_rgba[i + 3] = 255;
    }
}

void Canvas::Paint(const Coverage& shape, Colour colour)
{
    const double source[3] = {double(colour.r), double(colour.g), double(colour.b)};
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const double a = shape.At(x, y);
            if (a <= 0.0)
                continue;
            std::uint8_t* pixel = &m_rgba[(static_cast<std::size_t>(y) * m_width + x) * 4];
            const double below = pixel[3] / 255.0;
            const double outAlpha = a + below * (1.0 - a);
            for (int c = 0; c < 3; ++c)
                pixel[c] = ToByte((source[c] * a + pixel[c] * below * (1.0 - a)) / outAlpha);
            pixel[3] = ToByte(outAlpha * 255.0);
        }
    }
}

}  // namespace artgen
