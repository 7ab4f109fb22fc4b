// What a field recorder writes into a take besides the sound: the Broadcast WAV "bext"
// chunk (time reference, date, originator, coding history) and the "iXML" chunk (scene,
// take, track names), read from the take so that every output can carry them on.
//
// The chunks are read from the file's bytes rather than through libsndfile: its
// broadcast-info call drops a bext chunk shorter than its fields without a word, neither
// it nor its chunk calls notice a chunk that runs past the end of the file (they hand back
// bytes that are not there), and it has no chunk calls for Wave64.
#pragma once

#include "deliver/BroadcastExtension.h"

#include <optional>
#include <string>
#include <vector>

namespace vq {

struct RecorderMetadata {
    std::optional<BroadcastExtension> bext;
    std::vector<unsigned char> ixml;  // the iXML chunk's body, byte for byte; empty when none

    bool Empty() const { return !bext && ixml.empty(); }
};

// A chunk left out, and why: "<path>: <reason>" is the message.
struct MetadataWarning {
    std::string path;
    std::string reason;
};

// Largest bext or iXML chunk carried over; a recorder writes a few kilobytes.
constexpr std::uint64_t kMaxMetadataChunkBytes = 1 << 20;

// Reads the first bext and iXML chunks of a WAV, RF64/BW64 or Wave64 file, wherever they
// stand. Never fails: a file of another kind, or one that cannot be read, gives nothing; a
// chunk that is truncated, of an impossible size or not text is left out with a warning
// naming the file, and the other chunk is still read.
RecorderMetadata ReadRecorderMetadata(const std::string& path, std::vector<MetadataWarning>* warnings);

// Checks an iXML chunk's body: UTF-8 text holding an XML element, NUL padding at its end
// allowed. False with `problem` set otherwise.
bool CheckIxml(const std::vector<unsigned char>& body, std::string* problem);

}  // namespace vq
