// The Broadcast WAV "bext" chunk (EBU Tech 3285) of a recording: checked as read, and
// written onto an output with every field as recorded and one line added to its coding
// history that says what this program did.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vq {

// Bytes of the chunk's fixed fields, before the coding history.
constexpr std::size_t kBextFixedBytes = 602;

// The pieces of one coding-history line (EBU R 98) describing a conversion.
struct CodingHistoryEntry {
    int sampleRate = 0;   // F=, in Hz
    int wordLength = 0;   // W=, bits per sample of the output (32 for float)
    std::string mode;     // M=, e.g. "4chn" or "stereo"
    std::string version;  // the program's version (vq::kVersionString), first in T=
    std::string detail;   // the rest of T=, e.g. "B-format FuMa; filters 48000 Hz"; may be empty
};

// "A=PCM,F=48000,W=24,M=<mode>,T=VessarQuilix <version>; <detail>\r\n". R 98 separates the
// fields with commas, so commas in the caller's texts become semicolons, and line breaks
// become spaces.
std::string FormatCodingHistoryLine(const CodingHistoryEntry& entry);

class BroadcastExtension {
public:
    // Takes a bext chunk's body. False, with `problem` saying why, when it is shorter than the
    // fixed fields or a text field or the coding history holds bytes that are not text.
    static bool Parse(const unsigned char* body, std::size_t size, BroadcastExtension* out, std::string* problem);

    // The text fields up to their terminating NUL, as recorded.
    std::string Description() const { return Field(0, 256); }
    std::string Originator() const { return Field(256, 32); }
    std::string OriginatorReference() const { return Field(288, 32); }
    std::string OriginationDate() const { return Field(320, 10); }  // "yyyy-mm-dd"
    std::string OriginationTime() const { return Field(330, 8); }   // "hh:mm:ss"
    std::uint64_t TimeReference() const;                            // samples since midnight
    const std::string& CodingHistory() const { return m_history; }  // up to its first NUL

    // The chunk body to write: the fixed fields byte for byte as read (version, UMID and
    // loudness fields included), the coding history, a CR LF if its last line has none,
    // then `addedLine`.
    std::vector<unsigned char> Body(const std::string& addedLine) const;

private:
    std::string Field(std::size_t offset, std::size_t size) const;

    std::array<unsigned char, kBextFixedBytes> m_fixed{};
    std::string m_history;
};

}  // namespace vq
