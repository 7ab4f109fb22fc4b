// Whole reads and writes at an offset of an open file, and little- and big-endian numbers
// in byte buffers: what the chunk passes over finished files share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vq {

// Reads exactly `size` bytes at `offset`; false at the end of the file or on an error.
bool ReadAt(int fd, std::uint64_t offset, void* data, std::size_t size);
// Writes exactly `size` bytes at `offset`; false on an error (errno says which).
bool WriteAt(int fd, std::uint64_t offset, const void* data, std::size_t size);
// The file's length in bytes; false when it cannot be had.
bool FileLength(int fd, std::uint64_t* length);
// Moves the bytes [from, end of file) to start at `to`, in bounded pieces, in the order that
// never overwrites a byte before it is moved; the file is cut to its new end.
bool MoveTail(int fd, std::uint64_t from, std::uint64_t to);
// The reason of the last failed call, in the system's words.
std::string LastSystemError();

std::uint32_t Le32(const unsigned char* p);
std::uint64_t Le64(const unsigned char* p);
void PutLe32(unsigned char* p, std::uint32_t value);
void PutLe64(unsigned char* p, std::uint64_t value);
std::uint32_t Be24(const unsigned char* p);
void PutBe24(unsigned char* p, std::uint32_t value);

}  // namespace vq
