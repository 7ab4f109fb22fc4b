// Writes an opaque canvas as an XPM image: C source declaring
// `static const char* const <name>_xpm[]`, to be compiled into the program.
#pragma once

#include "Canvas.h"

#include <string>

namespace artgen {

// One character per pixel when the picture has few enough colours, two otherwise.
// Returns false when the file cannot be written or the picture has too many colours (over 8281).
bool WriteXpm(const Canvas& canvas, const std::string& name, const std::string& path);

}  // namespace artgen
