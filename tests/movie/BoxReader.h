// An ISO base media (MOV/MP4) reader of the tests' own, written apart from the writer's box
// code: it reads a whole file into a tree of boxes, descending into the containers and the
// sample entries it knows, and says where the file does not hold together (a box that does
// not fit its parent, children that do not fill it exactly).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

struct FileBox {
    std::string type;
    std::uint64_t offset = 0;   // in the file
    std::uint64_t size = 0;     // header included
    std::uint64_t payload = 0;  // offset of the first byte after the header
    std::vector<FileBox> children;

    const FileBox* Child(const std::string& childType) const;
    // Children at a path such as "mdia/minf/stbl/stsd"; null when one is missing.
    const FileBox* At(const std::string& path) const;
};

class MovieFile {
public:
    explicit MovieFile(const std::string& path);

    // Empty when every box fits; else what does not.
    const std::string& Problem() const { return m_problem; }
    const std::vector<FileBox>& TopLevel() const { return m_top; }
    const FileBox* Top(const std::string& type) const;

    // The trak boxes whose handler is `handler` ("soun", "vide"), in file order.
    std::vector<const FileBox*> Tracks(const std::string& handler) const;
    // The first sample entry of a trak.
    const FileBox* SampleEntry(const FileBox& trak) const;
    // The chunk offsets of a trak (stco or co64).
    std::vector<std::uint64_t> ChunkOffsets(const FileBox& trak) const;

    std::uint8_t U8(std::uint64_t at) const { return static_cast<std::uint8_t>(m_bytes.at(at)); }
    std::uint32_t U16(std::uint64_t at) const { return std::uint32_t(U8(at)) << 8 | U8(at + 1); }
    std::uint32_t U32(std::uint64_t at) const { return U16(at) << 16 | U16(at + 2); }
    std::uint64_t U64(std::uint64_t at) const { return std::uint64_t(U32(at)) << 32 | U32(at + 4); }
    std::string Bytes(std::uint64_t at, std::uint64_t count) const { return m_bytes.substr(at, count); }

private:
    void Parse(std::uint64_t begin, std::uint64_t end, std::vector<FileBox>& into, const std::string& parent);
    std::uint64_t ChildrenStart(const FileBox& box, const std::string& parent) const;

    std::string m_bytes;
    std::vector<FileBox> m_top;
    std::string m_problem;
};

}  // namespace vqtest
