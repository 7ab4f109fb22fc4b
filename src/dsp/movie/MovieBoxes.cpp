#include "movie/MovieBoxes.h"

#include "movie/BigEndian.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace vq {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Box {
    std::uint64_t start = 0;  // offset of its first byte
    std::uint64_t size = 0;   // the whole box, header included
    unsigned header = 8;      // 8, or 16 with a 64-bit size
    char type[4] = {};

    std::uint64_t Body() const { return start + header; }
    std::uint64_t End() const { return start + size; }
    bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
};

// The box whose header bytes are at `bytes` (`available` of them), starting at `start` in
// a space that ends at `limit`. False when it does not fit there.
bool ParseBox(const std::uint8_t* bytes, std::uint64_t available, std::uint64_t start, std::uint64_t limit, Box* box)
{
    if (available < 8 || limit - start < 8)
        return false;
    box->start = start;
    box->header = 8;
    box->size = ReadBig32(bytes);
    std::memcpy(box->type, bytes + 4, 4);
    if (box->size == 1) {
        if (available < 16)
            return false;
        box->size = ReadBig64(bytes + 8);
        box->header = 16;
    } else if (box->size == 0) {
        box->size = limit - start;  // reaches to the end
    }
    return box->size >= box->header && box->size <= limit - start;
}

// The children of `parent` in `data`, from `first` (the parent's body, or later where it
// has fields of its own before them). False when one does not fit.
bool Children(const Bytes& data, const Box& parent, std::uint64_t first, std::vector<Box>* children)
{
    children->clear();
    for (std::uint64_t at = first; at < parent.End();) {
        Box child;
        if (!ParseBox(&data[at], parent.End() - at, at, parent.End(), &child))
            return false;
        children->push_back(child);
        at = child.End();
    }
    return true;
}

bool Child(const Bytes& data, const Box& parent, const char* type, Box* found)
{
    std::vector<Box> children;
    if (!Children(data, parent, parent.Body(), &children))
        return false;
    for (const Box& child : children)
        if (child.Is(type)) {
            *found = child;
            return true;
        }
    return false;
}

// The boxes from moov down to the first sample entry of the `nth` track whose handler is
// `handler`, outermost first.
bool SampleEntryPath(const Bytes& moov, const char* handler, int nth, std::vector<Box>* path)
{
    Box root;
    std::vector<Box> tracks;
    if (!ParseBox(moov.data(), moov.size(), 0, moov.size(), &root) || !Children(moov, root, root.Body(), &tracks))
        return false;
    for (const Box& trak : tracks) {
        Box mdia, hdlr, minf, stbl, stsd, entry;
        // hdlr: version and flags, pre_defined, then the handler type.
        const bool ofKind = trak.Is("trak") && Child(moov, trak, "mdia", &mdia) && Child(moov, mdia, "hdlr", &hdlr) &&
                            hdlr.size >= hdlr.header + 12u && std::memcmp(&moov[hdlr.Body() + 8], handler, 4) == 0;
        if (!ofKind || nth-- > 0)
            continue;
        // stsd: version and flags, the entry count, then the entries.
        if (!Child(moov, mdia, "minf", &minf) || !Child(moov, minf, "stbl", &stbl) ||
            !Child(moov, stbl, "stsd", &stsd) || stsd.size < stsd.header + 8u ||
            !ParseBox(&moov[stsd.Body() + 8], stsd.End() - stsd.Body() - 8, stsd.Body() + 8, stsd.End(), &entry))
            return false;
        *path = {root, trak, mdia, minf, stbl, stsd, entry};
        return true;
    }
    return false;
}

bool Grow(Bytes& data, const Box& box, std::uint64_t by)
{
    const std::uint64_t size = box.size + by;
    if (box.header == 16) {
        WriteBig64(&data[box.start + 8], size);
        return true;
    }
    if (size > 0xFFFFFFFFu)
        return false;
    WriteBig32(&data[box.start], static_cast<std::uint32_t>(size));
    return true;
}

bool Append(Bytes& moov, const SampleEntryAddition& addition, std::string* reason)
{
    std::vector<Box> path;
    if (!SampleEntryPath(moov, addition.handler, addition.track, &path)) {
        *reason = std::string("the movie has no sample entry for its ") +
                  (std::strcmp(addition.handler, "soun") == 0 ? "audio" : "video");
        return false;
    }
    for (const Box& box : path)
        if (!Grow(moov, box, addition.boxes.size())) {
            *reason = "the movie's index would outgrow its box";
            return false;
        }
    moov.insert(moov.begin() + static_cast<std::ptrdiff_t>(path.back().End()), addition.boxes.begin(),
                addition.boxes.end());
    return true;
}

// Rewrites every chunk offset (stco and co64 of every track) through `moved`. False when an
// stco entry would not fit in its 32 bits, or a table does not fit in its box.
bool MoveChunkOffsets(Bytes& moov, const std::function<std::uint64_t(std::uint64_t)>& moved)
{
    Box root;
    std::vector<Box> tracks;
    if (!ParseBox(moov.data(), moov.size(), 0, moov.size(), &root) || !Children(moov, root, root.Body(), &tracks))
        return false;
    for (const Box& trak : tracks) {
        Box mdia, minf, stbl;
        std::vector<Box> tables;
        if (!trak.Is("trak") || !Child(moov, trak, "mdia", &mdia) || !Child(moov, mdia, "minf", &minf) ||
            !Child(moov, minf, "stbl", &stbl) || !Children(moov, stbl, stbl.Body(), &tables))
            continue;
        for (const Box& table : tables) {
            const bool wide = table.Is("co64");
            if (!wide && !table.Is("stco"))
                continue;
            const unsigned width = wide ? 8 : 4;
            // version and flags, the entry count, then the offsets.
            if (table.size < table.header + 8u)
                return false;
            const std::uint64_t count = ReadBig32(&moov[table.Body() + 4]);
            if (count > (table.size - table.header - 8) / width)
                return false;
            for (std::uint64_t i = 0; i < count; ++i) {
                std::uint8_t* entry = &moov[table.Body() + 8 + i * width];
                const std::uint64_t offset = moved(wide ? ReadBig64(entry) : ReadBig32(entry));
                if (wide)
                    WriteBig64(entry, offset);
                else if (offset > 0xFFFFFFFFu)
                    return false;
                else
                    WriteBig32(entry, static_cast<std::uint32_t>(offset));
            }
        }
    }
    return true;
}

// All `count` bytes at `at` through pread or pwrite, across short transfers and interruptions.
template <typename Transfer, typename Byte>
bool Whole(Transfer transfer, int fd, Byte* data, std::uint64_t count, std::uint64_t at)
{
    while (count > 0) {
        const ssize_t done = transfer(fd, data, count, static_cast<off_t>(at));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        count -= static_cast<std::uint64_t>(done);
        at += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool ReadAt(int fd, std::uint8_t* data, std::uint64_t count, std::uint64_t at)
{
    return Whole(pread, fd, data, count, at);
}

bool WriteAt(int fd, const std::uint8_t* data, std::uint64_t count, std::uint64_t at)
{
    return Whole(pwrite, fd, data, count, at);
}

// Moves the bytes [from, to) of the file `by` bytes further on, from the last piece back, so
// that the source is read before the destination overwrites it.
bool ShiftForward(int fd, std::uint64_t from, std::uint64_t to, std::uint64_t by, Bytes& buffer)
{
    for (std::uint64_t end = to; end > from && by > 0;) {
        const std::uint64_t count = std::min<std::uint64_t>(buffer.size(), end - from);
        end -= count;
        if (!ReadAt(fd, buffer.data(), count, end) || !WriteAt(fd, buffer.data(), count, end + by))
            return false;
    }
    return true;
}

// The top-level boxes of the file.
bool TopLevel(int fd, std::vector<Box>* boxes, std::string* reason)
{
    struct stat status;
    if (fstat(fd, &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    const std::uint64_t length = static_cast<std::uint64_t>(status.st_size);
    for (std::uint64_t at = 0; at < length;) {
        std::uint8_t header[16] = {};
        const std::uint64_t available = std::min<std::uint64_t>(16, length - at);
        Box box;
        if (!ReadAt(fd, header, available, at) || !ParseBox(header, available, at, length, &box)) {
            *reason = "the movie's top-level boxes do not fit in the file";
            return false;
        }
        boxes->push_back(box);
        at = box.End();
    }
    return true;
}

}  // namespace

bool AddSampleEntryBoxes(int fd, const std::vector<SampleEntryAddition>& additions, bool indexFirst,
                         std::string* reason)
{
    std::vector<Box> boxes;
    if (!TopLevel(fd, &boxes, reason))
        return false;
    const Box* moovBox = nullptr;
    const Box* firstMedia = nullptr;
    for (const Box& box : boxes) {
        if (box.Is("moov"))
            moovBox = &box;
        else if (box.Is("mdat") && !firstMedia)
            firstMedia = &box;
        else if (box.Is("moof")) {
            *reason = "fragmented movies cannot be given spatial metadata";
            return false;
        }
    }
    if (!moovBox) {
        *reason = "the movie has no index (moov box)";
        return false;
    }
    const Box moov = *moovBox;
    const std::uint64_t fileEnd = boxes.back().End();

    Bytes index(moov.size);
    errno = 0;
    if (!ReadAt(fd, index.data(), index.size(), moov.start)) {
        *reason = std::strerror(errno ? errno : EIO);
        return false;
    }
    for (const SampleEntryAddition& addition : additions)
        if (!Append(index, addition, reason))
            return false;
    const std::uint64_t grown = index.size() - moov.size;

    // In front of the media data: what lay between the first mdat and moov moves on by the
    // whole new index, what followed moov by what it grew.
    std::uint64_t indexAt = moov.start;
    if (indexFirst && firstMedia && firstMedia->start < moov.start) {
        Bytes moved = index;
        const std::uint64_t from = firstMedia->start, newSize = index.size();
        const bool fits = MoveChunkOffsets(moved, [&](std::uint64_t offset) {
            return offset >= moov.End() ? offset + grown : offset >= from ? offset + newSize : offset;
        });
        if (fits) {
            index.swap(moved);
            indexAt = from;
        }
    }
    if (indexAt == moov.start && !MoveChunkOffsets(index, [&](std::uint64_t offset) {
            return offset >= moov.End() ? offset + grown : offset;
        })) {
        *reason = "the movie's chunk offsets cannot be moved (a 32-bit offset would pass 4 GiB)";
        return false;
    }

    // The tail first: the media data moves into the room it leaves.
    Bytes buffer(std::size_t(1) << 20);
    errno = 0;
    const bool written = ShiftForward(fd, moov.End(), fileEnd, grown, buffer) &&
                         (indexAt == moov.start || ShiftForward(fd, indexAt, moov.start, index.size(), buffer)) &&
                         WriteAt(fd, index.data(), index.size(), indexAt);
    if (!written)
        *reason = std::strerror(errno ? errno : EIO);
    return written;
}

}  // namespace vq
