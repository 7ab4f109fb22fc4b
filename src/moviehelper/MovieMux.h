// The tasks of the movie helper: the checks a movie needs before any output exists, the movie
// muxed from the AmbiX sound file a conversion wrote, with the head-locked pair and a clip's
// video, and a still of the clip for the direction map drawn over it.
#pragma once

#include "movie/MovieJob.h"

#include <functional>

namespace vq {

// The head-locked file against the take, then the clip and the codec (MovieWriter::Check).
MovieAnswer CheckMovie(const MovieJob& job);

// Writes the movie into `fd` (open for reading and writing): the job's audio file, and the
// head-locked pair (silence after its end) as channels 5 and 6, rounded as the audio is.
// `progress` gets the permille done; when it returns false the muxing stops with
// kStatusCancelled. The audio file's name is removed once it is open.
MovieAnswer MuxMovie(const MovieJob& job, int fd, const std::function<bool(int permille)>& progress);

// Writes the frame shown at the middle of the job's clip as a PPM picture to the job's `frame`.
MovieAnswer WriteClipFrame(const MovieJob& job);

}  // namespace vq
