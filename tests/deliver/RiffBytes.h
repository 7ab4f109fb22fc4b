// The test's own view of RIFF WAVE, RF64 and Wave64 files, written apart from the program's
// chunk code so that each checks the other: recorder files built byte by byte, and the
// chunks of any such file read back from its bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vqtest {

using Bytes = std::vector<unsigned char>;

enum class Wave { Riff, Rf64, Wave64 };

struct RawChunk {
    std::string id;
    Bytes body;
    std::uint32_t declaredSize = 0;  // 0: the body's size
};

// A 4-channel 16-bit 48 kHz recording of `frames` frames of silence with `before` chunks
// between "fmt " and "data" and `after` chunks behind the data.
Bytes RecorderFile(Wave kind, const std::vector<RawChunk>& before, const std::vector<RawChunk>& after,
                   int frames = 100);
// The same with these samples, four a frame.
Bytes RecorderFile(Wave kind, const std::vector<RawChunk>& before, const std::vector<RawChunk>& after,
                   const std::vector<std::int16_t>& samples);

// A bext body: the fixed fields, then `history`.
Bytes BextBody(const std::string& description, const std::string& originator, std::uint64_t timeReference,
               const std::string& history);

// The time reference of a bext body (bytes 338 to 345, little-endian).
std::uint64_t TimeReferenceOf(const Bytes& bext);

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
Bytes AsBytes(const std::string& text);

// Every chunk of a RIFF/RF64/Wave64 file by its four-character name, in file order; checks
// that the sizes the header gives for the whole file and for each chunk agree with the file
// (gtest failures otherwise).
std::map<std::string, std::vector<Bytes>> ChunksOf(const Bytes& file);

}  // namespace vqtest
