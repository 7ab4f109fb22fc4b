// Writes a canvas as a PNG file: 8-bit RGBA when the canvas has alpha, 8-bit RGB otherwise.
#pragma once

#include "Canvas.h"

#include <string>

namespace artgen {

// Returns false when the file cannot be written or the data cannot be compressed.
bool WritePng(const Canvas& canvas, const std::string& path);

}  // namespace artgen
