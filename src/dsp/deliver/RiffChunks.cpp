#include "deliver/RiffChunks.h"

#include "deliver/FileBytes.h"

#include <algorithm>
#include <cstring>

namespace vq {

namespace {

// Wave64 names the chunks of the RIFF family with their four characters and this tail.
const unsigned char kWave64Tail[12] = {0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
const unsigned char kWave64Riff[16] = {'r',  'i',  'f',  'f',  0x2E, 0x91, 0xCF, 0x11,
                                       0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
constexpr std::uint64_t kWave64Header = 24;  // GUID and 64-bit size, counted in the size
constexpr std::uint32_t kRf64Placeholder = 0xFFFFFFFF;
constexpr std::size_t kMaxChunks = 10000;  // no recording has more; a bound for broken files
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFF;

struct Layout {
    RiffKind kind = RiffKind::Unknown;
    std::uint64_t firstChunk = 0;
    std::uint64_t declaredLength = 0;  // the whole file's length as the header says
    std::uint64_t rf64DataSize = 0;    // ds64's size of the data chunk
};

bool ReadLayout(int fd, Layout* layout)
{
    unsigned char head[48];
    if (!ReadAt(fd, 0, head, 40))
        return false;
    if (std::memcmp(head, kWave64Riff, 16) == 0 && std::memcmp(head + 24, "wave", 4) == 0 &&
        std::memcmp(head + 28, kWave64Tail, 12) == 0) {
        *layout = {RiffKind::Wave64, 40, Le64(head + 16), 0};
        return true;
    }
    if (std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    if (std::memcmp(head, "RIFF", 4) == 0) {
        *layout = {RiffKind::Riff, 12, std::uint64_t(Le32(head + 4)) + 8, 0};
        return true;
    }
    // RF64 and BW64 give the sizes that do not fit 32 bits in a ds64 chunk, first of all.
    if ((std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0) &&
        std::memcmp(head + 12, "ds64", 4) == 0 && Le32(head + 16) >= 16 && ReadAt(fd, 20, head + 20, 16)) {
        *layout = {RiffKind::Rf64, 12, Le64(head + 20) + 8, Le64(head + 28)};
        return true;
    }
    return false;
}

std::uint64_t Alignment(RiffKind kind)
{
    return kind == RiffKind::Wave64 ? 8 : 2;
}

}  // namespace

std::vector<unsigned char> FileHeader(RiffKind kind, std::uint64_t length, std::uint64_t dataSize,
                                      std::uint64_t frames)
{
    std::vector<unsigned char> header;
    unsigned char number[8];
    if (kind == RiffKind::Wave64) {
        header.assign(kWave64Riff, kWave64Riff + 16);
        PutLe64(number, length);
        header.insert(header.end(), number, number + 8);
        header.insert(header.end(), {'w', 'a', 'v', 'e'});
        header.insert(header.end(), kWave64Tail, kWave64Tail + 12);
        return header;
    }
    const bool rf64 = kind == RiffKind::Rf64;
    const char* tag = rf64 ? "RF64WAVE" : "RIFFWAVE";
    header.assign(tag, tag + 4);
    PutLe32(number, rf64 ? kRf64Placeholder : static_cast<std::uint32_t>(length - 8));
    header.insert(header.end(), number, number + 4);
    header.insert(header.end(), tag + 4, tag + 8);
    if (rf64) {
        // ds64: the sizes of the file and of the data, the frames, and no table.
        const std::vector<unsigned char> ds64 = ChunkHeader(kind, "ds64", 28);
        header.insert(header.end(), ds64.begin(), ds64.end());
        for (const std::uint64_t value : {length - 8, dataSize, frames}) {
            PutLe64(number, value);
            header.insert(header.end(), number, number + 8);
        }
        header.resize(header.size() + 4, 0);
    }
    return header;
}

std::vector<unsigned char> ChunkHeader(RiffKind kind, const std::string& id, std::uint64_t size)
{
    std::vector<unsigned char> header(id.begin(), id.begin() + 4);
    if (kind == RiffKind::Wave64) {
        header.insert(header.end(), kWave64Tail, kWave64Tail + 12);
        header.resize(kWave64Header);
        PutLe64(&header[16], size + kWave64Header);
        return header;
    }
    header.resize(8);
    const bool large = kind == RiffKind::Rf64 && id == "data";
    PutLe32(&header[4], large ? kRf64Placeholder : static_cast<std::uint32_t>(size));
    return header;
}

std::uint64_t ChunkFootprint(RiffKind kind, std::uint64_t size)
{
    const std::uint64_t alignment = Alignment(kind);
    const std::uint64_t header = kind == RiffKind::Wave64 ? kWave64Header : 8;
    return header + (size + alignment - 1) / alignment * alignment;
}

RiffKind ListChunks(int fd, std::vector<FoundChunk>* chunks)
{
    chunks->clear();
    Layout layout;
    std::uint64_t length = 0;
    if (!ReadLayout(fd, &layout) || !FileLength(fd, &length))
        return RiffKind::Unknown;
    const bool wave64 = layout.kind == RiffKind::Wave64;
    const std::uint64_t headerSize = wave64 ? kWave64Header : 8;
    std::uint64_t at = layout.firstChunk;
    while (at + headerSize <= length && chunks->size() < kMaxChunks) {
        unsigned char header[24];
        if (!ReadAt(fd, at, header, headerSize))
            break;
        FoundChunk chunk;
        chunk.offset = at + headerSize;
        if (wave64) {
            const std::uint64_t size = Le64(header + 16);
            if (size < kWave64Header)
                break;
            if (std::memcmp(header + 4, kWave64Tail, 12) == 0)
                chunk.id.assign(reinterpret_cast<const char*>(header), 4);
            chunk.size = size - kWave64Header;
        } else {
            chunk.id.assign(reinterpret_cast<const char*>(header), 4);
            chunk.size = Le32(header + 4);
            if (layout.kind == RiffKind::Rf64 && chunk.id == "data" && chunk.size == kRf64Placeholder)
                chunk.size = layout.rf64DataSize;
        }
        chunk.truncated = chunk.size > length - chunk.offset;
        chunks->push_back(chunk);
        if (chunk.truncated)
            break;
        const std::uint64_t end = chunk.offset + chunk.size;
        at = wave64 ? (end + 7) / 8 * 8 : end + (end & 1);
    }
    return layout.kind;
}

std::uint64_t AddedBytes(const std::vector<ChunkToAdd>& chunks)
{
    std::uint64_t bytes = 7;  // the alignment of the file's end
    for (const ChunkToAdd& chunk : chunks)
        bytes += kWave64Header + chunk.body->size() + 7;
    return bytes;
}

bool AddChunks(int fd, const std::vector<ChunkToAdd>& chunks, std::string* reason)
{
    Layout layout;
    std::uint64_t length = 0;
    if (!FileLength(fd, &length)) {
        *reason = LastSystemError();
        return false;
    }
    if (!ReadLayout(fd, &layout)) {
        *reason = "it is no WAV, RF64 or Wave64 file that chunks can be added to";
        return false;
    }
    // A chunk of odd length is followed by a pad byte, which a header may leave uncounted.
    if (layout.declaredLength != length && !(layout.kind != RiffKind::Wave64 && layout.declaredLength + 1 == length)) {
        *reason = "its header gives another length than the file has";
        return false;
    }
    const bool wave64 = layout.kind == RiffKind::Wave64;
    // Wave64 chunks go before the data chunk, whose start is aligned; the others at the end.
    std::uint64_t at = length;
    if (wave64) {
        std::vector<FoundChunk> found;
        ListChunks(fd, &found);
        const auto data = std::find_if(found.begin(), found.end(), [](const FoundChunk& c) { return c.id == "data"; });
        if (data == found.end() || data->truncated) {
            *reason = "its data chunk cannot be found";
            return false;
        }
        at = data->offset - kWave64Header;
    }
    const std::uint64_t alignment = Alignment(layout.kind);
    std::vector<unsigned char> added((alignment - at % alignment) % alignment, 0);
    for (const ChunkToAdd& chunk : chunks) {
        const std::uint64_t size = chunk.body->size();
        const std::vector<unsigned char> header = ChunkHeader(layout.kind, chunk.id, size);
        added.insert(added.end(), header.begin(), header.end());
        added.insert(added.end(), chunk.body->begin(), chunk.body->end());
        added.resize(added.size() + (alignment - size % alignment) % alignment, 0);
    }
    const std::uint64_t newLength = length + added.size();
    if (layout.kind == RiffKind::Riff && newLength - 8 > kMaxRiffSize) {
        *reason = "the metadata would make it longer than a WAV header can describe";
        return false;
    }
    unsigned char size[8];
    bool written = (at == length || MoveTail(fd, at, at + added.size())) && WriteAt(fd, at, added.data(), added.size());
    if (wave64) {
        PutLe64(size, newLength);
        written = written && WriteAt(fd, 16, size, 8);
    } else if (layout.kind == RiffKind::Rf64) {
        PutLe64(size, newLength - 8);
        written = written && WriteAt(fd, 20, size, 8);
    } else {
        PutLe32(size, static_cast<std::uint32_t>(newLength - 8));
        written = written && WriteAt(fd, 4, size, 4);
    }
    if (!written)
        *reason = LastSystemError();
    return written;
}

}  // namespace vq
