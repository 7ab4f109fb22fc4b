// Checks and conversions of the texts recorders write into their files' metadata.
#pragma once

#include <cstddef>
#include <string>

namespace vq {

// True when no byte is a control character other than tab, CR and LF (bytes above 127 are
// text: recorders write Latin-1 or UTF-8).
bool IsText(const char* text, std::size_t size);
// True when the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& text);
// UTF-8 as it is; anything else read as Latin-1 (what older recorders write) and converted.
std::string AsUtf8(const std::string& text);

}  // namespace vq
