// The picture of a direction map, drawn with cairo from its levels. Apart from everything
// else, so that it can be built into the module the command line loads only when asked for
// a picture (DirectionMapPictureModule.h).
#include "spatial/DirectionMapPicture.h"

#include "common/EngineStatus.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vq {

namespace {

// Layout, pixels: the map at two pixels per degree, the legend to its right, the strip below.
constexpr double kMapLeft = kDirectionPictureMapLeft;
constexpr double kMapTop = kDirectionPictureMapTop;
constexpr int kMapWidth = kDirectionPictureMapWidth;
constexpr int kMapHeight = kDirectionPictureMapHeight;
constexpr double kLegendLeft = kMapLeft + kMapWidth + 30.0;
constexpr double kLegendWidth = 18.0;
constexpr double kStripTop = kMapTop + kMapHeight + 70.0;
constexpr int kStripHeight = 90;  // 360 degrees
constexpr double kFontSize = 12.0;
constexpr double kPi = 3.14159265358979323846;

using Colour = std::array<double, 3>;

std::uint32_t Pixel(const Colour& c)
{
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// An image of width x height pixels, each coloured by colour(x, y).
template <typename ColourOf>
Surface Image(int width, int height, ColourOf colour)
{
    Surface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS)
        return image;
    cairo_surface_flush(image.get());
    unsigned char* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            row[x] = Pixel(colour(x, y));
    }
    cairo_surface_mark_dirty(image.get());
    return image;
}

// "-90" as a typesetter writes it, with a minus sign, and the unit after it.
std::string Label(double value, const char* unit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::fabs(value) < 1e-9 ? 0.0 : value);
    std::string label = text;
    if (label[0] == '-')
        label.replace(0, 1, "\u2212");
    return label + unit;
}

enum class Align { kLeft, kCentre, kRight };

// Text with its baseline at y, placed at x as aligned.
void Text(cairo_t* cr, double x, double y, const std::string& text, Align align = Align::kCentre)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    const double width = extents.x_advance;
    const double left = align == Align::kLeft ? x : align == Align::kCentre ? x - width / 2 : x - width;
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, text.c_str());
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

double MapX(double azimuth)
{
    return kMapLeft + MapXOf(azimuth, kMapWidth);
}

double MapY(double elevation)
{
    return kMapTop + (90.0 - elevation) / 180.0 * kMapHeight;
}

double StripY(double azimuth)
{
    return kStripTop + (180.0 - azimuth) / 360.0 * kStripHeight;
}

// Front, left, right and back: dashed lines down a map `width` x `height` at (left, top),
// named at `nameY` in `ink`, the names kept `inset` inside the map's sides.
void DrawMarks(cairo_t* cr, double left, double top, double width, double height, double nameY, const Colour& ink,
               double inset)
{
    const double dash[] = {4.0, 4.0};
    cairo_set_line_width(cr, 1.0);
    struct Mark {
        double azimuth;
        const char* name;
    };
    for (const Mark& mark : {Mark{-180, "back"}, Mark{-90, "right"}, Mark{0, "front"}, Mark{90, "left"},
                             Mark{180, "back"}}) {
        const double x = left + MapXOf(mark.azimuth, width);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
        cairo_set_dash(cr, dash, 2, 0.0);
        Line(cr, x, top, x, top + height);
        cairo_set_dash(cr, nullptr, 0, 0.0);
        cairo_set_source_rgb(cr, ink[0], ink[1], ink[2]);
        Text(cr, std::clamp(x, left + inset, left + width - inset), nameY, mark.name);
    }
}

void DrawMap(cairo_t* cr, const DirectionMapLevels& map)
{
    const Surface image = Image(kMapWidth, kMapHeight, [&](int x, int y) {
        const double azimuth = MapAzimuthAt(x + 0.5, kMapWidth);
        const double elevation = 90.0 - (y + 0.5) * 180.0 / kMapHeight;
        return DirectionScaleColour(LevelAt(map, azimuth, elevation));
    });
    cairo_set_source_surface(cr, image.get(), kMapLeft, kMapTop);
    cairo_paint(cr);

    DrawMarks(cr, kMapLeft, kMapTop, kMapWidth, kMapHeight, kMapTop - 8, {0, 0, 0}, 0.0);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, kMapLeft, kMapTop, kMapWidth, kMapHeight);
    cairo_stroke(cr);
    for (double azimuth = -180; azimuth <= 180; azimuth += 45) {
        Line(cr, MapX(azimuth), kMapTop + kMapHeight, MapX(azimuth), kMapTop + kMapHeight + 5);
        Text(cr, MapX(azimuth), kMapTop + kMapHeight + 18, Label(azimuth, "\u00b0"));
    }
    Text(cr, kMapLeft + kMapWidth / 2.0, kMapTop + kMapHeight + 36, "azimuth (positive to the left)");
    for (double elevation = -90; elevation <= 90; elevation += 30) {
        Line(cr, kMapLeft - 5, MapY(elevation), kMapLeft, MapY(elevation));
        Text(cr, kMapLeft - 8, MapY(elevation) + 4, Label(elevation, "\u00b0"), Align::kRight);
    }
    // The elevation's name up the left margin.
    cairo_save(cr);
    cairo_translate(cr, kMapLeft - 52, kMapTop + kMapHeight / 2.0);
    cairo_rotate(cr, -kPi / 2);
    Text(cr, 0, 0, "elevation");
    cairo_restore(cr);
}

void DrawLegend(cairo_t* cr)
{
    const Surface bar = Image(static_cast<int>(kLegendWidth), kMapHeight, [](int, int y) {
        return DirectionScaleColour(-kDirectionScaleDb * (y + 0.5) / kMapHeight);
    });
    cairo_set_source_surface(cr, bar.get(), kLegendLeft, kMapTop);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, kLegendLeft, kMapTop, kLegendWidth, kMapHeight);
    cairo_stroke(cr);
    for (double db = 0; db >= -kDirectionScaleDb; db -= 10) {
        const double y = kMapTop - db / kDirectionScaleDb * kMapHeight;
        Line(cr, kLegendLeft + kLegendWidth, y, kLegendLeft + kLegendWidth + 4, y);
        Text(cr, kLegendLeft + kLegendWidth + 7, y + 4, Label(db, ""), Align::kLeft);
    }
    Text(cr, kLegendLeft + kLegendWidth / 2, kMapTop - 8, "dB");
}

void DrawStrip(cairo_t* cr, const DirectionMapLevels& map)
{
    const int columns = std::max(1, map.stripColumns);
    const Surface image = Image(kMapWidth, kStripHeight, [&](int x, int y) {
        return DirectionScaleColour(StripLevelAt(map, x, y, kMapWidth, kStripHeight));
    });
    cairo_set_source_surface(cr, image.get(), kMapLeft, kStripTop);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, kMapLeft, kStripTop, kMapWidth, kStripHeight);
    cairo_stroke(cr);
    Text(cr, kMapLeft + kMapWidth / 2.0, kStripTop - 8, "azimuth over time");
    for (double azimuth = -180; azimuth <= 180; azimuth += 90) {
        Line(cr, kMapLeft - 5, StripY(azimuth), kMapLeft, StripY(azimuth));
        Text(cr, kMapLeft - 8, StripY(azimuth) + 4, Label(azimuth, "\u00b0"), Align::kRight);
    }
    const double seconds = columns * map.columnSeconds;
    const double step = StripTimeStep(seconds);
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        const double x = kMapLeft + t / seconds * kMapWidth;
        Line(cr, x, kStripTop + kStripHeight, x, kStripTop + kStripHeight + 5);
        Text(cr, x, kStripTop + kStripHeight + 18, Label(t, " s"));
    }
}

cairo_status_t WriteToStream(void* closure, const unsigned char* data, unsigned int length)
{
    return std::fwrite(data, 1, length, static_cast<std::FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                                     : CAIRO_STATUS_WRITE_ERROR;
}

// Flushes the drawing and writes it as a PNG: the statuses of DrawDirectionMapPng.
int WritePng(cairo_surface_t* surface, cairo_t* cr, std::FILE* out, std::string* reason)
{
    cairo_surface_flush(surface);
    const cairo_status_t drawn = cairo_status(cr);
    if (drawn != CAIRO_STATUS_SUCCESS) {
        *reason = cairo_status_to_string(drawn);
        return kOutOfMemory;
    }
    const cairo_status_t written = cairo_surface_write_to_png_stream(surface, WriteToStream, out);
    if (written != CAIRO_STATUS_SUCCESS) {
        *reason = cairo_status_to_string(written);
        return kOutputWriteFailed;
    }
    return kStatusOk;
}

// How much of a direction's colour covers the frame: a little where it is quiet (the bottom of
// the scale), most where it is loudest, so that the picture beneath stays in sight.
constexpr double kQuietCover = 0.15;
constexpr double kLoudCover = 0.7;

}  // namespace

int DrawDirectionMapOverFramePng(const DirectionMapLevels& map, const RgbImage& frame, std::FILE* out,
                                 std::string* reason)
{
    if (map.map.empty() || frame.Empty())
        return kBadState;
    const int width = frame.width, height = frame.height;
    const Surface surface = Image(width, height, [&](int x, int y) {
        const double level = LevelAt(map, MapAzimuthAt(x + 0.5, width), 90.0 - (y + 0.5) * 180.0 / height);
        const Colour colour = DirectionScaleColour(level);
        const double cover =
            kQuietCover + (kLoudCover - kQuietCover) * std::clamp(1.0 + level / kDirectionScaleDb, 0.0, 1.0);
        const unsigned char* beneath = &frame.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        Colour blended;
        for (int c = 0; c < 3; ++c)
            blended[c] = (1.0 - cover) * beneath[c] / 255.0 + cover * colour[c];
        return blended;
    });
    const Context context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    const double fontSize = std::max(9.0, height / 40.0);
    cairo_set_font_size(cr, fontSize);
    DrawMarks(cr, 0, 0, width, height, 1.5 * fontSize, {1, 1, 1}, 2 * fontSize);
    return WritePng(surface.get(), cr, out, reason);
}

int DrawDirectionMapPng(const DirectionMapLevels& map, std::FILE* out, std::string* reason)
{
    if (map.map.empty())
        return kBadState;
    const Surface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDirectionPictureWidth, kDirectionPictureHeight));
    const Context context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
    cairo_set_source_rgb(cr, 0, 0, 0);
    Text(cr, kMapLeft + kMapWidth / 2.0, 22, DirectionMapTitle(map));
    DrawMap(cr, map);
    DrawLegend(cr);
    DrawStrip(cr, map);
    return WritePng(surface.get(), cr, out, reason);
}

}  // namespace vq
