#include "movie/BoxReader.h"

#include <fstream>
#include <iterator>
#include <set>

namespace vqtest {

namespace {

// Boxes made of boxes only.
const std::set<std::string> kContainers = {"moov", "trak", "mdia", "minf", "stbl", "edts",
                                           "dinf", "udta", "sv3d", "proj", "wave"};
// Sample entries whose boxes the tests look into.
const std::set<std::string> kSoundEntries = {"sowt", "twos", "in24", "fl32", "lpcm", "mp4a", "Opus"};
const std::set<std::string> kVideoEntries = {"avc1", "avc3", "hev1", "hvc1", "mp4v"};

}  // namespace

const FileBox* FileBox::Child(const std::string& childType) const
{
    for (const FileBox& child : children)
        if (child.type == childType)
            return &child;
    return nullptr;
}

const FileBox* FileBox::At(const std::string& path) const
{
    const FileBox* box = this;
    std::size_t from = 0;
    while (box && from <= path.size()) {
        const std::size_t slash = path.find('/', from);
        const std::string name = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        box = box->Child(name);
        if (slash == std::string::npos)
            break;
        from = slash + 1;
    }
    return box;
}

MovieFile::MovieFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (m_bytes.empty())
        m_problem = "cannot read " + path;
    else
        Parse(0, m_bytes.size(), m_top, "");
}

std::uint64_t MovieFile::ChildrenStart(const FileBox& box, const std::string& parent) const
{
    if (kContainers.count(box.type))
        return box.payload;
    if (box.type == "stsd")
        return box.payload + 8;  // version, flags, entry count
    if (parent == "stsd" && kSoundEntries.count(box.type)) {
        // QuickTime sound descriptions grow with their version: 0, 1 (16 bytes more), 2 (36).
        const std::uint32_t version = U16(box.payload + 8);
        return box.payload + (version == 2 ? 64 : version == 1 ? 44 : 28);
    }
    if (parent == "stsd" && kVideoEntries.count(box.type))
        return box.payload + 78;   // the fixed fields of a visual sample entry
    return box.offset + box.size;  // no children looked into
}

void MovieFile::Parse(std::uint64_t begin, std::uint64_t end, std::vector<FileBox>& into, const std::string& parent)
{
    std::uint64_t at = begin;
    while (at < end && m_problem.empty()) {
        FileBox box;
        box.offset = at;
        if (end - at < 8) {
            m_problem = "a box header is cut off at " + std::to_string(at) + " in " + parent;
            return;
        }
        box.size = U32(at);
        box.type = Bytes(at + 4, 4);
        box.payload = at + 8;
        if (box.size == 1) {
            box.size = U64(at + 8);
            box.payload = at + 16;
        } else if (box.size == 0 && parent.empty()) {
            box.size = end - at;
        }
        if (box.size < box.payload - at || box.size > end - at) {
            m_problem =
                box.type + " at " + std::to_string(at) + " does not fit in " + (parent.empty() ? "the file" : parent);
            return;
        }
        const std::uint64_t first = ChildrenStart(box, parent);
        if (first < box.offset + box.size)
            Parse(first, box.offset + box.size, box.children, box.type);
        into.push_back(box);
        at += box.size;
    }
}

const FileBox* MovieFile::Top(const std::string& type) const
{
    for (const FileBox& box : m_top)
        if (box.type == type)
            return &box;
    return nullptr;
}

std::vector<const FileBox*> MovieFile::Tracks(const std::string& handler) const
{
    std::vector<const FileBox*> tracks;
    const FileBox* moov = Top("moov");
    if (!moov)
        return tracks;
    for (const FileBox& trak : moov->children) {
        const FileBox* hdlr = trak.At("mdia/hdlr");
        if (trak.type == "trak" && hdlr && Bytes(hdlr->payload + 8, 4) == handler)
            tracks.push_back(&trak);
    }
    return tracks;
}

const FileBox* MovieFile::SampleEntry(const FileBox& trak) const
{
    const FileBox* stsd = trak.At("mdia/minf/stbl/stsd");
    return stsd && !stsd->children.empty() ? &stsd->children.front() : nullptr;
}

std::vector<std::uint64_t> MovieFile::ChunkOffsets(const FileBox& trak) const
{
    std::vector<std::uint64_t> offsets;
    const FileBox* stco = trak.At("mdia/minf/stbl/stco");
    const FileBox* co64 = trak.At("mdia/minf/stbl/co64");
    const FileBox* table = stco ? stco : co64;
    if (!table)
        return offsets;
    const std::uint32_t count = U32(table->payload + 4);
    for (std::uint32_t i = 0; i < count; ++i)
        offsets.push_back(stco ? U32(table->payload + 8 + 4 * i) : U64(table->payload + 8 + 8 * i));
    return offsets;
}

}  // namespace vqtest
