// Vorbis comments of a finished FLAC file. libsndfile writes FLAC comments only under its own
// ten names (title, comment, date, ...); this pass sets any name in the file's
// VORBIS_COMMENT block after libsndfile has closed it.
//
// Rewriting the block moves the audio frames when it grows. To spare that, the block can be
// reserved before the first frame: hand FlacReservation(...) to libsndfile as the file's
// comment, and SetFlacComments puts the comments in its place, the frames unmoved.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vq {

// NAME=value pairs in the order to write; names are ASCII without '='.
using VorbisComments = std::vector<std::pair<std::string, std::string>>;

// The text to give libsndfile as SF_STR_COMMENT so that its block has room for `comments`.
std::string FlacReservation(const VorbisComments& comments);

// In the FLAC file open as `fd` (read and write), replaces the comments whose names (in any
// case) are among `comments` and the reservation, keeps every other comment and the vendor
// string, and adds `comments`. False with `reason` set when the file is no FLAC file or a
// read or write fails.
bool SetFlacComments(int fd, const VorbisComments& comments, std::string* reason);

// Whether the file open as `fd` is a FLAC file whose metadata runs to its end: a recording
// of no frames, which FLAC can only state as one of unknown length.
bool FlacHoldsNoFrames(int fd);

}  // namespace vq
