#include "deliver/FlacComments.h"

#include "deliver/FileBytes.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vq {

namespace {

constexpr int kStreamInfo = 0;
constexpr int kPadding = 1;
constexpr int kVorbisComment = 4;
constexpr std::size_t kBlockHeader = 4;
constexpr std::uint32_t kMaxBlockLength = 0xFFFFFF;
// libsndfile writes a few hundred bytes of metadata; a bound against a broken file.
constexpr std::uint64_t kMaxMetadataBytes = 16u << 20;
const char kReservationName[] = "comment";

struct Block {
    int type;
    std::vector<unsigned char> body;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Entry(const std::string& name, const std::string& value)
{
    return name + "=" + value;
}

std::size_t EntryBytes(const VorbisComments& comments)
{
    std::size_t bytes = 0;
    for (const auto& comment : comments)
        bytes += 4 + Entry(comment.first, comment.second).size();
    return bytes;
}

// The file's metadata blocks and where its frames start.
bool ReadBlocks(int fd, std::vector<Block>* blocks, std::uint64_t* framesStart)
{
    unsigned char header[kBlockHeader];
    if (!ReadAt(fd, 0, header, 4) || std::memcmp(header, "fLaC", 4) != 0)
        return false;
    std::uint64_t at = 4;
    for (bool last = false; !last;) {
        if (!ReadAt(fd, at, header, kBlockHeader))
            return false;
        last = (header[0] & 0x80) != 0;
        Block block{header[0] & 0x7F, std::vector<unsigned char>(Be24(header + 1))};
        at += kBlockHeader + block.body.size();
        if (at > kMaxMetadataBytes || !ReadAt(fd, at - block.body.size(), block.body.data(), block.body.size()))
            return false;
        blocks->push_back(std::move(block));
    }
    *framesStart = at;
    return !blocks->empty() && blocks->front().type == kStreamInfo;
}

// The vendor string and the entries of a VORBIS_COMMENT body; false when it is malformed.
bool ParseComments(const std::vector<unsigned char>& body, std::string* vendor, std::vector<std::string>* entries)
{
    std::size_t at = 0;
    auto text = [&](std::string* out) {
        if (body.size() - at < 4 || body.size() - at - 4 < Le32(body.data() + at))
            return false;
        const std::size_t size = Le32(body.data() + at);
        out->assign(reinterpret_cast<const char*>(body.data()) + at + 4, size);
        at += 4 + size;
        return true;
    };
    if (!text(vendor) || body.size() - at < 4)
        return false;
    const std::uint32_t count = Le32(body.data() + at);
    at += 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        entries->emplace_back();
        if (!text(&entries->back()))
            return false;
    }
    return true;
}

std::vector<unsigned char> CommentBody(const std::string& vendor, const std::vector<std::string>& entries)
{
    std::vector<unsigned char> body;
    auto put = [&](const std::string& text) {
        unsigned char size[4];
        PutLe32(size, static_cast<std::uint32_t>(text.size()));
        body.insert(body.end(), size, size + 4);
        body.insert(body.end(), text.begin(), text.end());
    };
    put(vendor);
    unsigned char count[4];
    PutLe32(count, static_cast<std::uint32_t>(entries.size()));
    body.insert(body.end(), count, count + 4);
    for (const std::string& entry : entries)
        put(entry);
    return body;
}

// The comment block with `comments` set; entries of the same names and the reservation go.
bool NewCommentBody(const std::vector<Block>& blocks, const VorbisComments& comments, std::vector<unsigned char>* body)
{
    std::string vendor;
    std::vector<std::string> kept;
    const auto old = std::find_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.type == kVorbisComment; });
    if (old != blocks.end() && !ParseComments(old->body, &vendor, &kept))
        return false;
    const std::string reservation = Entry(kReservationName, FlacReservation(comments));
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const std::string& entry) {
                                  const std::string name = Lower(entry.substr(0, entry.find('=')));
                                  return entry == reservation ||
                                         std::any_of(comments.begin(), comments.end(), [&](const auto& comment) {
                                             return Lower(comment.first) == name;
                                         });
                              }),
               kept.end());
    for (const auto& comment : comments)
        kept.push_back(Entry(comment.first, comment.second));
    *body = CommentBody(vendor, kept);
    return body->size() <= kMaxBlockLength;
}

void PutBlock(std::vector<unsigned char>* out, int type, const std::vector<unsigned char>& body, bool last)
{
    unsigned char header[kBlockHeader];
    header[0] = static_cast<unsigned char>(type | (last ? 0x80 : 0));
    PutBe24(header + 1, static_cast<std::uint32_t>(body.size()));
    out->insert(out->end(), header, header + kBlockHeader);
    out->insert(out->end(), body.begin(), body.end());
}

}  // namespace

std::string FlacReservation(const VorbisComments& comments)
{
    // One entry "comment=<reservation>" takes as many bytes as the entries it stands for.
    const std::size_t own = 4 + std::strlen(kReservationName) + 1;
    return std::string(std::max(EntryBytes(comments), own + 1) - own, ' ');
}

bool SetFlacComments(int fd, const VorbisComments& comments, std::string* reason)
{
    std::vector<Block> blocks;
    std::uint64_t framesStart = 0;
    std::vector<unsigned char> commentBody;
    if (!ReadBlocks(fd, &blocks, &framesStart) || !NewCommentBody(blocks, comments, &commentBody)) {
        *reason = "its FLAC metadata cannot be read";
        return false;
    }
    // STREAMINFO and the blocks besides comments and padding stay, in their order; the new
    // comment block follows them, and padding fills what is left of the old room.
    std::vector<const Block*> kept;
    for (const Block& block : blocks)
        if (block.type != kVorbisComment && block.type != kPadding)
            kept.push_back(&block);
    std::vector<unsigned char> metadata = {'f', 'L', 'a', 'C'};
    for (const Block* block : kept)
        PutBlock(&metadata, block->type, block->body, false);
    const std::uint64_t room = framesStart - metadata.size();
    const bool padded = room >= commentBody.size() + 2 * kBlockHeader;
    PutBlock(&metadata, kVorbisComment, commentBody, !padded);
    if (padded)
        PutBlock(&metadata, kPadding, std::vector<unsigned char>(room - commentBody.size() - 2 * kBlockHeader), true);
    const bool written = (metadata.size() == framesStart || MoveTail(fd, framesStart, metadata.size())) &&
                         WriteAt(fd, 0, metadata.data(), metadata.size());
    if (!written)
        *reason = LastSystemError();
    return written;
}

bool FlacHoldsNoFrames(int fd)
{
    std::vector<Block> blocks;
    std::uint64_t framesStart = 0, length = 0;
    return ReadBlocks(fd, &blocks, &framesStart) && FileLength(fd, &length) && framesStart == length;
}

}  // namespace vq
