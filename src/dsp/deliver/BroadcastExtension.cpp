#include "deliver/BroadcastExtension.h"

#include "deliver/FileBytes.h"
#include "deliver/MetadataText.h"

#include <algorithm>
#include <cstring>

namespace vq {

namespace {

constexpr std::size_t kTimeReferenceOffset = 338;

struct TextField {
    const char* name;
    std::size_t offset;
    std::size_t size;
};
const TextField kTextFields[] = {{"description", 0, 256},          {"originator", 256, 32},
                                 {"originator reference", 288, 32}, {"origination date", 320, 10},
                                 {"origination time", 330, 8}};

// R 98 fields are separated by commas and a line ends the entry.
std::string FieldText(const std::string& text)
{
    std::string field = text;
    std::replace(field.begin(), field.end(), ',', ';');
    std::replace(field.begin(), field.end(), '\r', ' ');
    std::replace(field.begin(), field.end(), '\n', ' ');
    return field;
}

}  // namespace

std::string FormatCodingHistoryLine(const CodingHistoryEntry& entry)
{
    std::string line = "A=PCM,F=" + std::to_string(entry.sampleRate) + ",W=" + std::to_string(entry.wordLength) +
                       ",M=" + FieldText(entry.mode) + ",T=VessarQuilix " + FieldText(entry.version);
    if (!entry.detail.empty())
        line += "; " + FieldText(entry.detail);
    return line + "\r\n";
}

bool BroadcastExtension::Parse(const unsigned char* body, std::size_t size, BroadcastExtension* out,
                               std::string* problem)
{
    if (size < kBextFixedBytes) {
        *problem = "its bext chunk has " + std::to_string(size) + " bytes, fewer than the " +
                   std::to_string(kBextFixedBytes) + " its fields take";
        return false;
    }
    BroadcastExtension parsed;
    std::memcpy(parsed.m_fixed.data(), body, kBextFixedBytes);
    for (const TextField& field : kTextFields) {
        const std::string text = parsed.Field(field.offset, field.size);
        if (!IsText(text.data(), text.size())) {
            *problem = std::string("the ") + field.name + " of its bext chunk is not text";
            return false;
        }
    }
    const char* history = reinterpret_cast<const char*>(body + kBextFixedBytes);
    const std::size_t historySize = size - kBextFixedBytes;
    parsed.m_history.assign(history, std::find(history, history + historySize, '\0'));
    if (!IsText(parsed.m_history.data(), parsed.m_history.size())) {
        *problem = "the coding history of its bext chunk is not text";
        return false;
    }
    *out = std::move(parsed);
    return true;
}

std::uint64_t BroadcastExtension::TimeReference() const
{
    return Le64(m_fixed.data() + kTimeReferenceOffset);
}

std::vector<unsigned char> BroadcastExtension::Body(const std::string& addedLine) const
{
    std::string history = m_history;
    if (!history.empty() && history.back() != '\n')
        history += "\r\n";
    history += addedLine;
    std::vector<unsigned char> body(m_fixed.begin(), m_fixed.end());
    body.insert(body.end(), history.begin(), history.end());
    return body;
}

std::string BroadcastExtension::Field(std::size_t offset, std::size_t size) const
{
    const char* begin = reinterpret_cast<const char*>(m_fixed.data() + offset);
    return std::string(begin, std::find(begin, begin + size, '\0'));
}

}  // namespace vq
