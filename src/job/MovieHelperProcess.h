// Runs the movie helper (vessarquilix-movie; what it is asked and answers: movie/MovieJob.h)
// as a child process, forwarding its progress and stopping it on a cancel.
#pragma once

#include "movie/MovieJob.h"

#include <functional>
#include <string>

namespace vq {

// The helper: $VESSARQUILIX_MOVIE_HELPER when set; else ../libexec/vessarquilix/vessarquilix-movie
// from the running program's folder (an installed or a staged program); else where
// `cmake --install` puts it.
std::string MovieHelperPath();

// Runs the helper on `job`, handing it `movieFd` (>= 0 for a Write) as kMovieJobDescriptor.
// `keepGoing` (may be empty) is called with the last permille reported (0 at first) as it
// comes, and a few times a second; false stops the helper and returns kStatusCancelled.
// Otherwise the helper's answer, or kMovieWriterUnavailable naming the helper and why when it
// cannot be started or ends without answering.
MovieAnswer RunMovieHelper(const MovieJob& job, int movieFd, const std::function<bool(int permille)>& keepGoing);

}  // namespace vq
