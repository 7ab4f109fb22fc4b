// After FFmpeg has muxed a movie: adds the boxes it cannot write (the spatial-audio and
// spherical-video boxes) at the end of the sample entry of a track, keeping the file
// consistent: the size of every enclosing box and every chunk offset that moves are fixed.
// Optionally moves the index (moov) in front of the media data, so that players can start
// before the whole file is there. A small walker of the ISO base media boxes, no more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

struct SampleEntryAddition {
    const char* handler;              // the kind of track: "soun" or "vide"
    int track;                        // which track of that kind, 0 for the first
    std::vector<std::uint8_t> boxes;  // whole boxes, appended to its first sample entry
};

// Edits the finished movie open (for reading and writing) as `fd`. With `indexFirst`, a moov
// that follows the media data is moved in front of it, unless a 32-bit chunk offset would
// then pass 4 GiB (it stays where it is then). True, or false with `reason` (the file may then
// be damaged: the caller discards it).
bool AddSampleEntryBoxes(int fd, const std::vector<SampleEntryAddition>& additions, bool indexFirst,
                         std::string* reason);

}  // namespace vq
