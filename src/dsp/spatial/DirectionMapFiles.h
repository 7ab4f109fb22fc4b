// The direction map of a take (DirectionMap.h) written out: as CSV data for research and
// tests, and as a PNG picture drawn with cairo. Both files appear under their names only when
// complete (ReplacedFile.h).
#pragma once

#include "common/FailureDetail.h"
#include "spatial/DirectionMap.h"
#include "spatial/DirectionMapPicture.h"

#include <string>

namespace vq {

// Rows "azimuth,elevation,level_db" after a header row of those names: every grid point,
// elevation -90 to 90, within each azimuth -180 to 180, levels to 0.01 dB. 0, or kBadState
// (the map is not finished), kOutputOpenFailed, kOutputWriteFailed with `detail` naming the
// file and the reason.
int WriteDirectionMapCsv(const DirectionMap& map, const std::string& path, FailureDetail* detail);

// The picture (DrawDirectionMapPng). 0, or kBadState, kOutOfMemory (cairo cannot draw),
// kOutputOpenFailed, kOutputWriteFailed.
int WriteDirectionMapPng(const DirectionMap& map, const std::string& path, FailureDetail* detail);

}  // namespace vq
