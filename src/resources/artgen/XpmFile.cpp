#include "XpmFile.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

namespace artgen {

namespace {

// Printable characters that need no escape inside a C string (and make no trigraph).
std::string PixelCharacters()
{
    std::string characters;
    for (char c = '!'; c <= '~'; ++c)
        if (c != '"' && c != '\\' && c != '?')
            characters += c;
    return characters;
}

std::uint32_t PixelColour(const Canvas& canvas, int x, int y)
{
    const std::uint8_t* p = &canvas.Rgba()[(static_cast<std::size_t>(y) * canvas.Width() + x) * 4];
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

}  // namespace

bool WriteXpm(const Canvas& canvas, const std::string& name, const std::string& path)
{
    // Colours numbered in order of first appearance.
    std::map<std::uint32_t, std::size_t> index;
    std::vector<std::uint32_t> palette;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (index.emplace(PixelColour(canvas, x, y), palette.size()).second)
                palette.push_back(PixelColour(canvas, x, y));

    const std::string characters = PixelCharacters();
    const std::size_t base = characters.size();
    if (palette.size() > base * base)
        return false;
    const int charsPerPixel = palette.size() <= base ? 1 : 2;
    auto code = [&](std::size_t i) {
        return charsPerPixel == 1 ? std::string(1, characters[i])
                                  : std::string{characters[i / base], characters[i % base]};
    };

    std::ofstream out(path, std::ios::trunc);
    out << "/* XPM */\nstatic const char* const " << name << "_xpm[] = {\n";
    out << '"' << canvas.Width() << ' ' << canvas.Height() << ' ' << palette.size() << ' ' << charsPerPixel << "\",\n";
    for (std::size_t i = 0; i < palette.size(); ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%06X", static_cast<unsigned>(palette[i]));
        out << '"' << code(i) << " c " << hex << "\",\n";
    }
    for (int y = 0; y < canvas.Height(); ++y) {
        out << '"';
        for (int x = 0; x < canvas.Width(); ++x)
            out << code(index[PixelColour(canvas, x, y)]);
        out << (y + 1 < canvas.Height() ? "\",\n" : "\"\n");
    }
    out << "};\n";
    return static_cast<bool>(out.flush());
}

}  // namespace artgen
