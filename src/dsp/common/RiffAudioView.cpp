#include "common/RiffAudioView.h"

#include "deliver/FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace vq {

namespace {

constexpr std::size_t kFormatBytes = 16;     // a format chunk's fields up to the bits per sample
constexpr std::size_t kExtensibleBytes = 26;  // ... and WAVE-EX's up to its sub-format's tag
constexpr std::uint64_t kMaxFormatBytes = 4096;  // far beyond any format chunk's extra fields
constexpr unsigned kIntegerTag = 1, kFloatTag = 3, kExtensibleTag = 0xFFFE;

unsigned Le16(const unsigned char* p)
{
    return p[0] | unsigned(p[1]) << 8;
}

// Samples libsndfile reads as they lie (whole frames of blockAlign bytes each).
bool PlainSamples(const std::vector<unsigned char>& format)
{
    unsigned tag = Le16(format.data());
    if (tag == kExtensibleTag && format.size() >= kExtensibleBytes)
        tag = Le16(format.data() + 24);
    return tag == kIntegerTag || tag == kFloatTag;
}

}  // namespace

RiffAudioView::~RiffAudioView()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool RiffAudioView::Open(const std::string& path)
{
    m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::uint64_t length = 0;
    std::vector<FoundChunk> chunks;
    const RiffKind kind = m_fd < 0 ? RiffKind::Unknown : ListChunks(m_fd, &chunks);
    if (kind == RiffKind::Unknown || !FileLength(m_fd, &length))
        return false;
    const auto named = [&](const char* id) {
        return std::find_if(chunks.begin(), chunks.end(), [id](const FoundChunk& c) { return c.id == id; });
    };
    const auto format = named("fmt ");
    const auto data = named("data");
    if (format == chunks.end() || data == chunks.end() || format->truncated || format->size < kFormatBytes ||
        format->size > kMaxFormatBytes)
        return false;
    std::vector<unsigned char> body(static_cast<std::size_t>(format->size));
    if (!ReadAt(m_fd, format->offset, body.data(), body.size()) || !PlainSamples(body))
        return false;
    const unsigned blockAlign = Le16(body.data() + 12);
    if (blockAlign == 0 || Le16(body.data() + 2) == 0)
        return false;

    // A data chunk cut short by the file's end holds what is there, in whole frames.
    m_dataOffset = data->offset;
    m_dataBytes = std::min(data->size, length - data->offset) / blockAlign * blockAlign;
    m_frames = static_cast<std::int64_t>(m_dataBytes / blockAlign);
    m_chunksFollow = !data->truncated && data + 1 != chunks.end() && !chunks.back().truncated;

    m_header = FileHeader(kind, 0, m_dataBytes, static_cast<std::uint64_t>(m_frames));
    const std::vector<unsigned char> formatHeader = ChunkHeader(kind, "fmt ", body.size());
    m_header.insert(m_header.end(), formatHeader.begin(), formatHeader.end());
    m_header.insert(m_header.end(), body.begin(), body.end());
    m_header.resize(m_header.size() + (ChunkFootprint(kind, body.size()) - formatHeader.size() - body.size()), 0);
    const std::vector<unsigned char> dataHeader = ChunkHeader(kind, "data", m_dataBytes);
    m_header.insert(m_header.end(), dataHeader.begin(), dataHeader.end());
    // The header again, now that the whole view's length is known.
    const std::uint64_t viewLength = m_header.size() + m_dataBytes;
    const std::vector<unsigned char> fileHeader =
        FileHeader(kind, viewLength, m_dataBytes, static_cast<std::uint64_t>(m_frames));
    std::copy(fileHeader.begin(), fileHeader.end(), m_header.begin());
    return true;
}

SNDFILE* RiffAudioView::OpenSoundFile(SF_INFO* info)
{
    static SF_VIRTUAL_IO io = {&RiffAudioView::Length, &RiffAudioView::Seek, &RiffAudioView::Read,
                               &RiffAudioView::Write, &RiffAudioView::Tell};
    m_position = 0;
    *info = SF_INFO{};
    return sf_open_virtual(&io, SFM_READ, info, this);
}

sf_count_t RiffAudioView::Length(void* self)
{
    const RiffAudioView& view = *static_cast<RiffAudioView*>(self);
    return static_cast<sf_count_t>(view.m_header.size() + view.m_dataBytes);
}

sf_count_t RiffAudioView::Seek(sf_count_t offset, int whence, void* self)
{
    RiffAudioView& view = *static_cast<RiffAudioView*>(self);
    const sf_count_t base = whence == SEEK_CUR ? static_cast<sf_count_t>(view.m_position)
                            : whence == SEEK_END ? Length(self)
                                                 : 0;
    if (base + offset < 0)
        return -1;
    view.m_position = static_cast<std::uint64_t>(base + offset);
    return base + offset;
}

sf_count_t RiffAudioView::Read(void* data, sf_count_t count, void* self)
{
    RiffAudioView& view = *static_cast<RiffAudioView*>(self);
    auto* to = static_cast<unsigned char*>(data);
    const std::uint64_t end = std::min<std::uint64_t>(view.m_position + static_cast<std::uint64_t>(count),
                                                      static_cast<std::uint64_t>(Length(self)));
    std::uint64_t at = view.m_position;
    for (; at < end && at < view.m_header.size(); ++at)
        *to++ = view.m_header[static_cast<std::size_t>(at)];
    if (at < end) {
        const std::uint64_t bytes = end - at;
        if (!ReadAt(view.m_fd, view.m_dataOffset + (at - view.m_header.size()), to, static_cast<std::size_t>(bytes)))
            return -1;
        at = end;
    }
    const sf_count_t read = static_cast<sf_count_t>(at - view.m_position);
    view.m_position = at;
    return read;
}

sf_count_t RiffAudioView::Write(const void*, sf_count_t, void*)
{
    return 0;  // a view is only read
}

sf_count_t RiffAudioView::Tell(void* self)
{
    return static_cast<sf_count_t>(static_cast<RiffAudioView*>(self)->m_position);
}

}  // namespace vq
