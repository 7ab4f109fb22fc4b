// The chunks of RIFF WAVE, RF64 (and BW64) and Sony Wave64 files: listed with bounded reads
// that never trust a size beyond the end of the file, and added to a finished file with its
// header's sizes brought up to date.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

enum class RiffKind { Unknown, Riff, Rf64, Wave64 };

struct FoundChunk {
    std::string id;            // four characters; a Wave64 GUID of the RIFF family gives its four
    std::uint64_t offset = 0;  // where the body starts
    std::uint64_t size = 0;    // of the body, as the header (or RF64's ds64) says
    bool truncated = false;    // the body runs past the end of the file
};

// The kind of the file open as `fd` and its chunks in file order. The list ends at the
// first chunk that runs past the end of the file (kept, marked truncated) or whose size
// cannot be right; Unknown gives no chunks.
RiffKind ListChunks(int fd, std::vector<FoundChunk>* chunks);

// The bytes that open a file of `kind` (Riff, Rf64 or Wave64) of `length` bytes in all, up
// to its first chunk; RF64 gives its sizes (the file's, the data chunk's of `dataSize`
// bytes and its `frames`) in the ds64 chunk that comes first.
std::vector<unsigned char> FileHeader(RiffKind kind, std::uint64_t length, std::uint64_t dataSize,
                                      std::uint64_t frames);
// The header of a chunk `id` (four characters) with a body of `size` bytes: 8 bytes, or 24
// in Wave64, whose size counts the header too. RF64 gives a data chunk's size in ds64.
std::vector<unsigned char> ChunkHeader(RiffKind kind, const std::string& id, std::uint64_t size);
// The bytes a chunk of `size` bytes takes with its header and the padding after it.
std::uint64_t ChunkFootprint(RiffKind kind, std::uint64_t size);

struct ChunkToAdd {
    std::string id;  // four characters
    const std::vector<unsigned char>* body;
};

// Bytes AddChunks adds at most (alignment included).
std::uint64_t AddedBytes(const std::vector<ChunkToAdd>& chunks);

// Adds `chunks` to a finished WAV, RF64 or Wave64 file and updates the size its header gives
// for the whole file (RF64: in the ds64 chunk). WAV and RF64 get them after their last byte;
// Wave64 before its data chunk, which moves (libsndfile 1.2 misreads chunks after the data
// of a Wave64 file, and counts them as frames). False with `reason` set, before anything is
// written, when the file is of none of these kinds, its header disagrees with its length,
// or a WAV would pass the 4 GiB its header can describe; false too when a write fails.
bool AddChunks(int fd, const std::vector<ChunkToAdd>& chunks, std::string* reason);

}  // namespace vq
