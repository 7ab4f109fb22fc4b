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

// False when `path` is no sound file libsndfile can open.
bool ReadSoundFileHeader(const wxString& path, SoundFileHeader* header);

// Taps per filter of FilterMatrix_<rate>.wav in `filtersDir`: the file holds the filters
// from the four capsules one after the other, so a quarter of its frames. 0 when the file
// is missing or no sound file.
int FilterMatrixTaps(const wxString& filtersDir, int sampleRate);
