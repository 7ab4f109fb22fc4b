// Checked libsndfile access shared by the engines and the tools: creating output files that
// saturate instead of wrapping and that switch to RF64 when a WAV header cannot hold them,
// and writes whose short counts become status codes.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

namespace vq {

// Largest data chunk a RIFF/WAVE header can describe, with room for the header itself.
constexpr std::uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 65536;

// Bytes one sample of the format takes in the file (8 when unknown: the safe side).
int BytesPerSample(int format);

// True for the integer sample formats, the ones that clip at full scale.
bool IsIntegerFormat(int format);

// The format to create a file of `frames` frames with: a WAV or WAVE-EX format whose data
// would not fit in its 32-bit header becomes RF64 with the same samples.
int FormatForLength(int format, int channels, std::int64_t frames, std::uint64_t maxWavDataBytes = kMaxWavDataBytes);

// Creates (or replaces) `path` for writing with `info` (format already chosen).
// Integer formats are set to saturate at full scale. Returns kStatusOk or
// kOutputOpenFailed; *file is null on failure.
int CreateOutputFile(const std::string& path, SF_INFO info, SNDFILE** file);

// Writes `frames` interleaved frames; kOutputWriteFailed when fewer are taken.
int WriteFrames(SNDFILE* file, const double* data, std::int64_t frames);

// Closes `file` when open and leaves the handle null.
void CloseSoundFile(SNDFILE*& file);

}  // namespace vq
