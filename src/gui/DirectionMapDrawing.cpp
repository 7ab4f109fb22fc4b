#include "DirectionMapDrawing.h"

#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/pen.h>

#include <algorithm>
#include <cmath>

namespace vqgui {

namespace {

// Layout, pixels: a little smaller than the PNG's, so that the dialog fits a 1280x720 screen.
constexpr int kMapLeft = 70;
constexpr int kMapTop = 44;
constexpr int kMapWidth = 640;   // 360 degrees
constexpr int kMapHeight = 320;  // 180 degrees
constexpr int kLegendLeft = kMapLeft + kMapWidth + 26;
constexpr int kLegendWidth = 16;
constexpr int kStripTop = kMapTop + kMapHeight + 62;
constexpr int kStripHeight = 80;  // 360 degrees
constexpr int kWidth = kLegendLeft + kLegendWidth + 44;
constexpr int kHeight = kStripTop + kStripHeight + 36;

unsigned char Byte(double value)
{
    return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

// An image whose pixel (x, y) has the colour of the level levelAt(x, y).
template <typename LevelAt>
wxImage Coloured(int width, int height, LevelAt levelAt)
{
    wxImage image(width, height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::array<double, 3> c = vq::DirectionScaleColour(levelAt(x, y));
            image.SetRGB(x, y, Byte(c[0]), Byte(c[1]), Byte(c[2]));
        }
    return image;
}

// "-90°" with a true minus sign and its unit, as the PNG writes it.
wxString Label(double value, const wxString& unit)
{
    const wxString number = wxString::Format("%g", std::fabs(value) < 1e-9 ? 0.0 : value);
    return (number.StartsWith("-") ? wxString::FromUTF8("\u2212") + number.Mid(1) : number) + unit;
}

wxString Degrees(double value)
{
    return Label(value, wxString::FromUTF8("\u00b0"));
}

int MapX(double azimuth)
{
    return kMapLeft + static_cast<int>(std::lround(vq::MapXOf(azimuth, kMapWidth)));
}

int MapY(double elevation)
{
    return kMapTop + static_cast<int>(std::lround((90.0 - elevation) / 180.0 * kMapHeight));
}

void Centred(wxDC& dc, const wxString& text, int x, int y)
{
    dc.DrawText(text, x - dc.GetTextExtent(text).x / 2, y);
}

void RightAligned(wxDC& dc, const wxString& text, int x, int y)
{
    dc.DrawText(text, x - dc.GetTextExtent(text).x, y);
}

void DrawMapAxes(wxDC& dc)
{
    // Grey, so that they never read as the loudest colour of the scale.
    dc.SetPen(wxPen(wxColour(150, 150, 150), 1, wxPENSTYLE_SHORT_DASH));
    struct Mark {
        double azimuth;
        const char* name;
    };
    for (const Mark& mark : {Mark{-180, "back"}, Mark{-90, "right"}, Mark{0, "front"}, Mark{90, "left"},
                             Mark{180, "back"}}) {
        dc.DrawLine(MapX(mark.azimuth), kMapTop, MapX(mark.azimuth), kMapTop + kMapHeight);
        Centred(dc, mark.name, MapX(mark.azimuth), kMapTop - 18);
    }
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(kMapLeft, kMapTop, kMapWidth + 1, kMapHeight + 1);
    for (double azimuth = -180; azimuth <= 180; azimuth += 45) {
        dc.DrawLine(MapX(azimuth), kMapTop + kMapHeight, MapX(azimuth), kMapTop + kMapHeight + 5);
        Centred(dc, Degrees(azimuth), MapX(azimuth), kMapTop + kMapHeight + 6);
    }
    Centred(dc, "azimuth (positive to the left)", kMapLeft + kMapWidth / 2, kMapTop + kMapHeight + 24);
    for (double elevation = -90; elevation <= 90; elevation += 30) {
        dc.DrawLine(kMapLeft - 5, MapY(elevation), kMapLeft, MapY(elevation));
        RightAligned(dc, Degrees(elevation), kMapLeft - 7, MapY(elevation) - dc.GetCharHeight() / 2);
    }
    const wxString elevation = "elevation";
    dc.DrawRotatedText(elevation, 4, kMapTop + (kMapHeight + dc.GetTextExtent(elevation).x) / 2, 90.0);
}

void DrawLegend(wxDC& dc)
{
    const wxImage bar = Coloured(kLegendWidth, kMapHeight, [](int, int y) {
        return -vq::kDirectionScaleDb * (y + 0.5) / kMapHeight;
    });
    dc.DrawBitmap(wxBitmap(bar), kLegendLeft, kMapTop);
    dc.DrawRectangle(kLegendLeft, kMapTop, kLegendWidth + 1, kMapHeight + 1);
    for (double db = 0; db >= -vq::kDirectionScaleDb; db -= 10) {
        const int y = kMapTop + static_cast<int>(std::lround(-db / vq::kDirectionScaleDb * kMapHeight));
        dc.DrawLine(kLegendLeft + kLegendWidth, y, kLegendLeft + kLegendWidth + 4, y);
        dc.DrawText(Label(db, ""), kLegendLeft + kLegendWidth + 6, y - dc.GetCharHeight() / 2);
    }
    Centred(dc, "dB", kLegendLeft + kLegendWidth / 2, kMapTop - 18);
}

void DrawStrip(wxDC& dc, const vq::DirectionMapLevels& levels)
{
    const wxImage strip = Coloured(kMapWidth, kStripHeight, [&](int x, int y) {
        return vq::StripLevelAt(levels, x, y, kMapWidth, kStripHeight);
    });
    dc.DrawBitmap(wxBitmap(strip), kMapLeft, kStripTop);
    dc.DrawRectangle(kMapLeft, kStripTop, kMapWidth + 1, kStripHeight + 1);
    Centred(dc, "azimuth over time", kMapLeft + kMapWidth / 2, kStripTop - 18);
    for (double azimuth = -180; azimuth <= 180; azimuth += 90) {
        const int y = kStripTop + static_cast<int>(std::lround((180.0 - azimuth) / 360.0 * kStripHeight));
        dc.DrawLine(kMapLeft - 5, y, kMapLeft, y);
        RightAligned(dc, Degrees(azimuth), kMapLeft - 7, y - dc.GetCharHeight() / 2);
    }
    const double seconds = std::max(1, levels.stripColumns) * levels.columnSeconds;
    if (seconds <= 0.0)
        return;
    const double step = vq::StripTimeStep(seconds);
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        const int x = kMapLeft + static_cast<int>(std::lround(t / seconds * kMapWidth));
        dc.DrawLine(x, kStripTop + kStripHeight, x, kStripTop + kStripHeight + 5);
        Centred(dc, Label(t, " s"), x, kStripTop + kStripHeight + 6);
    }
}

}  // namespace

wxImage DirectionMapImage(const vq::DirectionMapLevels& levels, int width, int height)
{
    return Coloured(width, height, [&](int x, int y) {
        return vq::LevelAt(levels, vq::MapAzimuthAt(x + 0.5, width), 90.0 - (y + 0.5) * 180.0 / height);
    });
}

wxRect DirectionMapArea()
{
    return wxRect(kMapLeft, kMapTop, kMapWidth, kMapHeight);
}

wxBitmap DirectionMapBitmap(const vq::DirectionMapLevels& levels)
{
    wxBitmap picture(kWidth, kHeight);
    wxMemoryDC dc(picture);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(wxFont(wxFontInfo(9)));
    dc.SetTextForeground(*wxBLACK);
    dc.DrawBitmap(wxBitmap(DirectionMapImage(levels, kMapWidth, kMapHeight)), kMapLeft, kMapTop);
    dc.SetTextForeground(*wxBLACK);
    DrawMapAxes(dc);
    DrawLegend(dc);
    DrawStrip(dc, levels);
    Centred(dc, wxString::FromUTF8(vq::DirectionMapTitle(levels).c_str()), kWidth / 2, 6);
    dc.SelectObject(wxNullBitmap);
    return picture;
}

}  // namespace vqgui
