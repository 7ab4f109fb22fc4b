// Big-endian integers in byte buffers, the byte order of every ISO base media (MOV/MP4) box.
#pragma once

#include <cstdint>

namespace vq {

inline std::uint32_t ReadBig32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

inline std::uint64_t ReadBig64(const std::uint8_t* p)
{
    return std::uint64_t(ReadBig32(p)) << 32 | ReadBig32(p + 4);
}

inline void WriteBig32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i, value >>= 8)
        p[i] = static_cast<std::uint8_t>(value);
}

inline void WriteBig64(std::uint8_t* p, std::uint64_t value)
{
    WriteBig32(p, static_cast<std::uint32_t>(value >> 32));
    WriteBig32(p + 4, static_cast<std::uint32_t>(value));
}

}  // namespace vq
