#include "PictureChecks.h"

#include <algorithm>
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
