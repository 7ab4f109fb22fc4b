#include "deliver/MetadataText.h"

namespace vq {

bool IsText(const char* text, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
            return false;
    }
    return true;
}

bool IsUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || text.size() - i <= static_cast<std::size_t>(more))
            return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

std::string AsUtf8(const std::string& text)
{
    if (IsUtf8(text))
        return text;
    std::string utf8;
    for (const char byte : text) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            utf8 += byte;
        } else {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

}  // namespace vq
