#include "PictureChecks.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace vqtest {

namespace {

int Brightness(const wxImage& image, int x, int y)
{
    return (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y)) / 3;
}

int InkRuns(const wxImage& image, const std::vector<wxPoint>& path)
{
    int runs = 0;
    bool inInk = false;
    for (const wxPoint& p : path) {
        const bool ink = IsInk(image, p.x, p.y);
        if (ink && !inInk)
            ++runs;
        inInk = ink;
    }
    return runs;
}

}  // namespace

bool IsInk(const wxImage& image, int x, int y)
{
    if (image.HasAlpha())
        return image.GetAlpha(x, y) >= 128;
    return Brightness(image, x, y) < Brightness(image, 0, 0) / 2;
}

int InkRunsAlongMiddleRow(const wxImage& image)
{
    std::vector<wxPoint> row;
    for (int x = 0; x < image.GetWidth(); ++x)
        row.emplace_back(x, image.GetHeight() / 2);
    return InkRuns(image, row);
}

int InkRunsAlongDiagonal(const wxImage& image)
{
    std::vector<wxPoint> diagonal;
    for (int i = 0; i < std::min(image.GetWidth(), image.GetHeight()); ++i)
        diagonal.emplace_back(i, i);
    return InkRuns(image, diagonal);
}

int InkColumnGroups(const wxImage& image)
{
    int groups = 0;
    bool previousHasInk = false;
    for (int x = 0; x < image.GetWidth(); ++x) {
        bool hasInk = false;
        for (int y = 0; y < image.GetHeight() && !hasInk; ++y)
            hasInk = IsInk(image, x, y);
        if (hasInk && !previousHasInk)
            ++groups;
        previousHasInk = hasInk;
    }
    return groups;
}

wxRect InkBounds(const wxImage& image)
{
    wxRect bounds;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (IsInk(image, x, y))
                bounds = bounds.IsEmpty() ? wxRect(x, y, 1, 1) : bounds.Union(wxRect(x, y, 1, 1));
    return bounds;
}

wxColour MeanInkColour(const wxImage& image)
{
    long sums[3] = {0, 0, 0};
    long count = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (!IsInk(image, x, y))
                continue;
            sums[0] += image.GetRed(x, y);
            sums[1] += image.GetGreen(x, y);
            sums[2] += image.GetBlue(x, y);
            ++count;
        }
    }
    if (count == 0)
        return wxNullColour;
    return wxColour(static_cast<unsigned char>(sums[0] / count), static_cast<unsigned char>(sums[1] / count),
                    static_cast<unsigned char>(sums[2] / count));
}

bool IsDarkInk(const wxImage& image, int x, int y)
{
    return (!image.HasAlpha() || image.GetAlpha(x, y) >= 128) && Brightness(image, x, y) < 85;
}

namespace {

bool IsFullyDark(const wxImage& image, int x, int y)
{
    return (!image.HasAlpha() || image.GetAlpha(x, y) >= 250) && Brightness(image, x, y) <= 40;
}

// Marks, from `seeds`, every pixel for which `member` holds that a path of such pixels
// reaches, with `diagonal` steps or not; the pixels reached, in the order found.
template <typename Member>
std::vector<wxPoint> Flood(const wxImage& image, std::vector<bool>& seen, std::vector<wxPoint> seeds, bool diagonal,
                           Member member)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    std::vector<wxPoint> reached;
    std::deque<wxPoint> queue;
    for (const wxPoint& p : seeds)
        if (!seen[p.y * w + p.x] && member(p.x, p.y)) {
            seen[p.y * w + p.x] = true;
            queue.push_back(p);
        }
    while (!queue.empty()) {
        const wxPoint p = queue.front();
        queue.pop_front();
        reached.push_back(p);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p.x + dx, y = p.y + dy;
                if ((dx == 0 && dy == 0) || (!diagonal && dx != 0 && dy != 0) || x < 0 || y < 0 || x >= w || y >= h)
                    continue;
                if (!seen[y * w + x] && member(x, y)) {
                    seen[y * w + x] = true;
                    queue.emplace_back(x, y);
                }
            }
    }
    return reached;
}

}  // namespace

std::vector<InkPart> DarkInkParts(const wxImage& image)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    const auto dark = [&](int x, int y) { return IsDarkInk(image, x, y); };
    // The background that the picture's edge reaches, without crossing dark ink.
    std::vector<bool> outside(static_cast<std::size_t>(w) * h, false);
    std::vector<wxPoint> edge;
    for (int x = 0; x < w; ++x)
        edge.insert(edge.end(), {wxPoint(x, 0), wxPoint(x, h - 1)});
    for (int y = 0; y < h; ++y)
        edge.insert(edge.end(), {wxPoint(0, y), wxPoint(w - 1, y)});
    Flood(image, outside, edge, false, [&](int x, int y) { return !dark(x, y); });

    std::vector<InkPart> parts;
    std::vector<bool> seen(static_cast<std::size_t>(w) * h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (seen[y * w + x] || !dark(x, y))
                continue;
            InkPart part;
            part.pixels = Flood(image, seen, {wxPoint(x, y)}, true, dark);
            for (const wxPoint& p : part.pixels)
                part.bounds = part.bounds.IsEmpty() ? wxRect(p, wxSize(1, 1)) : part.bounds.Union(wxRect(p, wxSize(1, 1)));
            const wxRect& b = part.bounds;
            for (const wxPoint& p : part.pixels) {
                part.sharpTop |= p.y == b.GetTop() && IsFullyDark(image, p.x, p.y);
                part.sharpLeft |= p.x == b.GetLeft() && IsFullyDark(image, p.x, p.y);
            }
            for (int yy = b.GetTop(); yy <= b.GetBottom(); ++yy)
                for (int xx = b.GetLeft(); xx <= b.GetRight(); ++xx)
                    part.enclosesBackground |= !dark(xx, yy) && !outside[yy * w + xx];
            parts.push_back(part);
        }
    std::stable_sort(parts.begin(), parts.end(), [](const InkPart& a, const InkPart& b) {
        return a.bounds.GetLeft() != b.bounds.GetLeft() ? a.bounds.GetLeft() < b.bounds.GetLeft()
                                                        : a.bounds.GetTop() < b.bounds.GetTop();
    });
    return parts;
}

bool EdgeIsTransparent(const wxImage& image)
{
    if (!image.HasAlpha())
        return false;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    for (int x = 0; x < w; ++x)
        if (image.GetAlpha(x, 0) != 0 || image.GetAlpha(x, h - 1) != 0)
            return false;
    for (int y = 0; y < h; ++y)
        if (image.GetAlpha(0, y) != 0 || image.GetAlpha(w - 1, y) != 0)
            return false;
    return true;
}

}  // namespace vqtest
