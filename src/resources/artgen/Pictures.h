// The program's pictures, drawn from simple geometry at any size.
#pragma once

#include "Canvas.h"

#include <optional>
#include <string>

namespace artgen {

// The logo, the symbol of converting (ConvertSymbol.h): black on a transparent background
// (the Convert button's picture), or dark on light grey without alpha (the window icons).
Canvas DrawLogo(int size, bool onLightGrey);
// The logo on a light grey tile with rounded corners and a transparent surround, for the
// desktop's application menus.
Canvas DrawDesktopIcon(int size);
// A green check mark and a red X on a transparent background.
Canvas DrawCheckMark(int size);
Canvas DrawCross(int size);
// The text in thin black capitals centred on a transparent background; nothing when the
// text holds a letter the stroke font does not draw.
std::optional<Canvas> DrawNameLabel(const std::string& text, int width, int height);

}  // namespace artgen
