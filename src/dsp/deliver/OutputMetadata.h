// A recording's metadata carried onto the outputs of its conversion, in whatever form each
// kind of file has a place for; and what keeps reruns byte for byte identical.
//
// An output gets two calls: PrepareOutputMetadata right after libsndfile has created it
// (before any frame), and CompleteOutputMetadata after sf_close and before the file is
// renamed into place. The second writes what libsndfile cannot:
// - the bext and iXML chunks of WAV and RF64 files, exactly as recorded, after the data
//   (libsndfile's broadcast-info call adds a coding-history line of its own and rewrites the
//   version field; its chunk call pads a chunk to a multiple of four bytes and counts the
//   padding);
// - the same chunks in Wave64 files, before the data, which moves once (libsndfile has no
//   chunk call for Wave64 and misreads chunks after its data);
// - the Vorbis comments of FLAC files beyond libsndfile's ten names, in a block reserved
//   by the first call (through SF_STR_COMMENT, which the caller must leave alone).
#pragma once

#include "common/FailureDetail.h"
#include "deliver/RecorderMetadata.h"

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

enum class MetadataRoute {
    RiffChunks,        // bext and iXML chunks added to the finished file
    VorbisComments,    // FLAC: comments in the VORBIS_COMMENT block
    SoundFileStrings,  // libsndfile's strings and chunk call, as the container stores them
};

// One kind of output file and what it keeps of a recording's metadata.
struct MetadataKept {
    int type;               // libsndfile's container (SF_FORMAT_WAV, ...)
    const char* container;  // as the help page names it
    MetadataRoute route;
    const char* kept;       // what it keeps, for the help page
};

const std::vector<MetadataKept>& MetadataKeptTable();
// The row of a libsndfile format's container; null for a container without one.
const MetadataKept* MetadataKeptFor(int format);

// What a conversion carries onto each of its outputs: the take's recorder metadata, and the
// pieces of the coding-history line it adds (the rest of the line, the rate, word length
// and channels, is each output's own).
struct CarriedMetadata {
    RecorderMetadata recorder;
    std::string version;  // the program's version, first in T=
    std::string detail;   // the rest of T=, e.g. "B-format FuMa; filters 48000 Hz"
};

// The metadata of one output of `format` with `channels` channels at `sampleRate`.
struct OutputMetadata;
OutputMetadata MetadataOfOutput(const CarriedMetadata& carried, int format, int channels, int sampleRate);

struct OutputMetadata {
    RecorderMetadata recorder;  // what the first input of the take holds; may be empty
    std::string historyLine;    // FormatCodingHistoryLine(...) describing this output
};

// On a file libsndfile has just created for writing (`format` as created), before any
// frame: turns off libsndfile's PEAK chunk of a float WAV, whose time stamp would make two
// runs differ (a float AIFF's is kept, its stamp cleared by CompleteOutputMetadata), and
// hands libsndfile what it stores itself. Call it for every output, with or without
// metadata. kStatusOk, or kOutputOpenFailed with detail->reason set.
int PrepareOutputMetadata(SNDFILE* file, int format, const OutputMetadata& metadata, FailureDetail* detail);

// Bytes CompleteOutputMetadata adds to a file of `format` at most: a WAV is to become RF64
// when its data and these do not fit its 32-bit header.
std::uint64_t TrailingMetadataBytes(int format, const OutputMetadata& metadata);

// On the closed file, open as `fd` for reading and writing (an O_TMPFILE descriptor too):
// clears a float AIFF's PEAK time stamp and writes the chunks or comments of the file's route. `name` is the file as the user knows
// it, for detail->path. kStatusOk, kOutputWriteFailed or kOutOfMemory.
int CompleteOutputMetadata(int fd, const std::string& name, int format, const OutputMetadata& metadata,
                           FailureDetail* detail);
// The same on the file at `path` (a temporary), named `name` in a failure.
int CompleteOutputMetadata(const std::string& path, const std::string& name, int format,
                           const OutputMetadata& metadata, FailureDetail* detail);

}  // namespace vq
