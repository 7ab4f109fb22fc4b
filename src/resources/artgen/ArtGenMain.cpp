// vq-artgen: draws the program's pictures into a directory at build time.
//   <id>.png          the images the art provider serves, named by their art ids
//   <id>.xpm          the window icons, as C source
//   desktop-<size>.png  the desktop entry's icon, at the sizes of the icon theme's folders
#include "Pictures.h"
#include "PngFile.h"
#include "XpmFile.h"

#include <cstdio>
#include <string>

using namespace artgen;

namespace {

bool Png(const std::string& directory, const std::string& name, const Canvas& canvas)
{
    const std::string path = directory + "/" + name + ".png";
    if (WritePng(canvas, path))
        return true;
    std::fprintf(stderr, "vq-artgen: cannot write %s\n", path.c_str());
    return false;
}

bool Xpm(const std::string& directory, const std::string& name, const Canvas& canvas)
{
    const std::string path = directory + "/" + name + ".xpm";
    if (WriteXpm(canvas, name, path))
        return true;
    std::fprintf(stderr, "vq-artgen: cannot write %s\n", path.c_str());
    return false;
}

std::string SizedName(const std::string& stem, int size)
{
    return stem + "_" + std::to_string(size) + "x" + std::to_string(size);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vq-artgen OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string out = argv[1];

    const std::optional<Canvas> label = DrawNameLabel("VESSARQUILIX", 400, 100);
    if (!label) {
        std::fprintf(stderr, "vq-artgen: the stroke font lacks a letter of the label\n");
        return 1;
    }
    bool ok = Png(out, "conv_small", DrawLogo(36, false)) && Png(out, "label_b_alpha", *label);
    for (int size : {16, 24, 32, 48, 64, 128}) {
        const Canvas icon = DrawLogo(size, true);
        ok = ok && Png(out, SizedName("vessarquilix", size), icon) && Xpm(out, SizedName("vessarquilix", size), icon);
    }
    for (int size : {16, 24, 32})
        ok = ok && Png(out, SizedName("check", size), DrawCheckMark(size)) &&
             Png(out, SizedName("cross", size), DrawCross(size));
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok = ok && Png(out, "desktop-" + std::to_string(size), DrawDesktopIcon(size));
    return ok ? 0 : 1;
}
