// The filter-matrix file the converter reads: 4 channels (W, X, Y, Z), 4 L frames, frames
// k L .. k L + L - 1 of channel j holding the filter from capsule k to output j, as 32-bit
// float WAV at the set's rate, named FilterMatrix_<rate>.wav, with what it is in its
// LIST/INFO chunk (see FilterDescription.h).
#pragma once

#include "common/FilterMatrixName.h"
#include "common/SoundFileWriter.h"
#include "filters/FilterDesign.h"

#include <string>

namespace vq {

// kStatusOk, kOutOfMemory, kOutputOpenFailed or kOutputWriteFailed.
int WriteFilterMatrixFile(const std::string& path, const FilterSet& set, const SoundFileStrings& description);

}  // namespace vq
