// Takes for the movie tests, made at run time, and the writer driven as the program's output
// writer will drive it: Open, blocks of a fixed length, Finish.
#pragma once

#include "movie/MovieWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

// AmbiX (W, Y, Z, X, SN3D) of a noise plane wave from `azimuth` (counter-clockwise, from the
// front) and `elevation` (up), degrees, interleaved; with `headLocked`, two more channels of
// noise of their own (left and right) follow.
std::vector<double> PlaneWave(std::int64_t frames, double azimuth, double elevation, bool headLocked,
                              unsigned seed = 7);

// Rounded to `bits` and left-justified in 32 bits, as libsndfile's sf_writef_int takes them.
std::vector<int> LeftJustified(const std::vector<double>& samples, int bits);

// Writes `samples` (interleaved, options' channel count) in blocks of `block` frames; for
// integer PCM as LeftJustified. The status of the first step that fails, or 0.
int WriteMovie(const std::string& path, const vq::MovieOptions& options, const std::vector<double>& samples,
               std::int64_t block = 1000, vq::FailureDetail* detail = nullptr, std::string* note = nullptr);

vq::MovieOptions Options(vq::MovieCodec codec, bool headLocked = false);

}  // namespace vqtest
