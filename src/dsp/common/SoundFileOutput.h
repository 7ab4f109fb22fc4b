// Checked libsndfile access shared by the engines: creating output files that saturate
// instead of wrapping and that switch to RF64 when a WAV header cannot hold them, and
// reads and writes whose short counts become status codes.
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

// Creates files[0 .. count-1] named names[i], each with `info` in the format that
// FormatForLength picks for `frames` frames; a file still open in a slot is closed first.
// Stops at the first that cannot be created (kOutputOpenFailed); those before stay open.
int CreateOutputFiles(const std::string* names, int count, const SF_INFO& info, std::int64_t frames, SNDFILE** files);

// Writes `frames` interleaved frames; kOutputWriteFailed when fewer are taken.
int WriteFrames(SNDFILE* file, const double* data, std::int64_t frames);

// Reads exactly `frames` interleaved frames; kInputReadFailed when fewer arrive.
int ReadFrames(SNDFILE* file, double* data, std::int64_t frames);

// Closes `file` when open and leaves the handle null.
void CloseSoundFile(SNDFILE*& file);

// Seeks to an absolute frame; `failure` is the code to return when that fails.
int SeekFrame(SNDFILE* file, std::int64_t frame, int failure);

}  // namespace vq
