// What the window shows of an input before any run: the header of a sound file, and the
// length of the filter matrix that a conversion at its rate would use.
#pragma once

#include <wx/string.h>

#include "common/Containers.h"

#include <cstdint>

struct SoundFileHeader {
    int sampleRate = 0;  // Hz
    int channels = 0;
    std::int64_t frames = 0;
    int format = 0;  // libsndfile's format code: container and sample format
};

// The sample format that keeps the precision of a file of this libsndfile format: 16-bit
// for 16 bits or fewer, 24-bit for 24, float for float, double and 32-bit integers (24-bit
// when the container holds no float); 16-bit when the format tells none.
vq::SampleFormat SampleFormatKeeping(int format, const vq::Container& container);

// False when `path` is no sound file libsndfile can open.
bool ReadSoundFileHeader(const wxString& path, SoundFileHeader* header);

// Taps per filter of FilterMatrix_<rate>.wav in `filtersDir`: the file holds the filters
// from the four capsules one after the other, so a quarter of its frames. 0 when the file
// is missing or no sound file.
int FilterMatrixTaps(const wxString& filtersDir, int sampleRate);
