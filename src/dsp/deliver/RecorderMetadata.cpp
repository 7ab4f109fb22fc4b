#include "deliver/RecorderMetadata.h"

#include "deliver/FileBytes.h"
#include "deliver/MetadataText.h"
#include "deliver/RiffChunks.h"

#include <fcntl.h>
#include <unistd.h>

#include <new>

namespace vq {

namespace {

// The body of the first chunk named `id`; false (with `problem` set when there is one to
// report) when it is missing, truncated, too large or unreadable.
bool ChunkBody(int fd, const std::vector<FoundChunk>& chunks, const std::string& id,
               std::vector<unsigned char>* body, std::string* problem)
{
    for (const FoundChunk& chunk : chunks) {
        if (chunk.id != id)
            continue;
        if (chunk.truncated) {
            *problem = "its " + id + " chunk claims " + std::to_string(chunk.size) + " bytes, more than the file holds";
            return false;
        }
        if (chunk.size > kMaxMetadataChunkBytes) {
            *problem = "its " + id + " chunk has " + std::to_string(chunk.size) + " bytes, too many to be metadata";
            return false;
        }
        body->resize(static_cast<std::size_t>(chunk.size));
        if (!ReadAt(fd, chunk.offset, body->data(), body->size())) {
            *problem = "its " + id + " chunk cannot be read: " + LastSystemError();
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace

bool CheckIxml(const std::vector<unsigned char>& body, std::string* problem)
{
    std::size_t end = body.size();
    while (end > 0 && (body[end - 1] == 0 || body[end - 1] == ' ' || body[end - 1] == '\r' || body[end - 1] == '\n'))
        --end;
    std::string text(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(end));
    const std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::size_t open = text.find_first_not_of(" \t\r\n", start);
    if (!IsText(text.data(), text.size()) || !IsUtf8(text)) {
        *problem = "its iXML chunk is not UTF-8 text";
        return false;
    }
    if (open == std::string::npos || text[open] != '<' || text.back() != '>') {
        *problem = "its iXML chunk holds no XML";
        return false;
    }
    return true;
}

RecorderMetadata ReadRecorderMetadata(const std::string& path, std::vector<MetadataWarning>* warnings)
{
    RecorderMetadata metadata;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return metadata;
    auto warn = [&](const std::string& reason) {
        if (warnings)
            warnings->push_back({path, reason + "; it is not carried over"});
    };
    try {
        std::vector<FoundChunk> chunks;
        ListChunks(fd, &chunks);
        std::vector<unsigned char> body;
        std::string problem;
        BroadcastExtension bext;
        if (ChunkBody(fd, chunks, "bext", &body, &problem) &&
            BroadcastExtension::Parse(body.data(), body.size(), &bext, &problem))
            metadata.bext = bext;
        if (!problem.empty())
            warn(problem);
        problem.clear();
        if (ChunkBody(fd, chunks, "iXML", &body, &problem) && CheckIxml(body, &problem))
            metadata.ixml = body;
        if (!problem.empty())
            warn(problem);
    } catch (const std::bad_alloc&) {
        warn("its metadata does not fit in memory");
    }
    close(fd);
    return metadata;
}

}  // namespace vq
