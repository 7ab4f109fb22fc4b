#include "deliver/FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace vq {

bool ReadAt(int fd, std::uint64_t offset, void* data, std::size_t size)
{
    errno = 0;
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAt(int fd, std::uint64_t offset, const void* data, std::size_t size)
{
    errno = 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t put = pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        offset += static_cast<std::uint64_t>(put);
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool FileLength(int fd, std::uint64_t* length)
{
    struct stat status {};
    if (fstat(fd, &status) != 0)
        return false;
    *length = static_cast<std::uint64_t>(status.st_size);
    return true;
}

bool MoveTail(int fd, std::uint64_t from, std::uint64_t to)
{
    std::uint64_t end = 0;
    if (!FileLength(fd, &end) || from > end)
        return false;
    const std::uint64_t length = end - from;
    constexpr std::size_t kPiece = 1 << 18;
    const std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[kPiece]);
    if (!piece)
        return false;
    // Moving towards the end copies the last piece first, towards the start the first piece.
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, length - done));
        const std::uint64_t at = to > from ? length - done - n : done;
        if (!ReadAt(fd, from + at, piece.get(), n) || !WriteAt(fd, to + at, piece.get(), n))
            return false;
        done += n;
    }
    return to >= from || ftruncate(fd, static_cast<off_t>(to + length)) == 0;
}

std::string LastSystemError()
{
    return errno != 0 ? std::strerror(errno) : "the file ended early";
}

std::uint32_t Le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

std::uint64_t Le64(const unsigned char* p)
{
    return Le32(p) | std::uint64_t(Le32(p + 4)) << 32;
}

void PutLe32(unsigned char* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutLe64(unsigned char* p, std::uint64_t value)
{
    PutLe32(p, static_cast<std::uint32_t>(value));
    PutLe32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

std::uint32_t Be24(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
}

void PutBe24(unsigned char* p, std::uint32_t value)
{
    p[0] = static_cast<unsigned char>(value >> 16);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value);
}

}  // namespace vq
