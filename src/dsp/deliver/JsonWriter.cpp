#include "deliver/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vq {

namespace {

// Length of the well-formed UTF-8 sequence at text[i] that encodes a non-ASCII character, 0
// when there is none.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || text.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

void AppendEscape(std::string* out, unsigned code)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    *out += escape;
}

}  // namespace

void JsonWriter::BeginObject()
{
    Open('{');
}

void JsonWriter::EndObject()
{
    Close('}');
}

void JsonWriter::BeginArray()
{
    Open('[');
}

void JsonWriter::EndArray()
{
    Close(']');
}

void JsonWriter::Key(const std::string& name)
{
    String(name);
    m_text += ": ";
    m_afterKey = true;
}

void JsonWriter::String(const std::string& text)
{
    BeforeValue();
    m_text += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceAt(text, i);
            if (length > 0)
                m_text.append(text, i, length);
            else
                AppendEscape(&m_text, 0xDC00 + c);
            i += length > 0 ? length : 1;
            continue;
        }
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            if (c < 0x20)
                AppendEscape(&m_text, c);
            else
                m_text += static_cast<char>(c);
        }
        ++i;
    }
    m_text += '"';
}

void JsonWriter::Number(double value, int decimals)
{
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeValue();
    char digits[64];
    const std::to_chars_result written = decimals < 0
                                             ? std::to_chars(digits, digits + sizeof digits, value)
                                             : std::to_chars(digits, digits + sizeof digits, value,
                                                             std::chars_format::fixed, decimals);
    const std::string number(digits, written.ptr);
    m_text += number;
    // A whole number stays a floating-point one for readers that type by the text.
    if (number.find_first_of(".e") == std::string::npos)
        m_text += ".0";
}

void JsonWriter::Integer(std::int64_t value)
{
    BeforeValue();
    m_text += std::to_string(value);
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
}

void JsonWriter::String(const std::string& name, const std::string& text)
{
    Key(name);
    String(text);
}

void JsonWriter::Number(const std::string& name, double value, int decimals)
{
    Key(name);
    Number(value, decimals);
}

void JsonWriter::Integer(const std::string& name, std::int64_t value)
{
    Key(name);
    Integer(value);
}

void JsonWriter::Bool(const std::string& name, bool value)
{
    Key(name);
    Bool(value);
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_hasMembers.empty())
        return;
    if (m_hasMembers.back())
        m_text += ',';
    m_hasMembers.back() = true;
    NewLine();
}

void JsonWriter::Open(char bracket)
{
    BeforeValue();
    m_text += bracket;
    m_hasMembers.push_back(false);
}

void JsonWriter::Close(char bracket)
{
    const bool hadMembers = !m_hasMembers.empty() && m_hasMembers.back();
    if (!m_hasMembers.empty())
        m_hasMembers.pop_back();
    if (hadMembers)
        NewLine();
    m_text += bracket;
    if (m_hasMembers.empty())
        m_text += '\n';
}

void JsonWriter::NewLine()
{
    m_text += '\n';
    m_text.append(2 * m_hasMembers.size(), ' ');
}

}  // namespace vq
