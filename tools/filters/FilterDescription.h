// What the designer writes into every matrix about how it was made (read back with
// common/FilterMatrixInfo.h): a one-line title, and key=value lines with the design (the
// defaults, a preset or a measurement), the microphone's geometry, the rate, the taps, the
// delay and the design date.
//
// The date is the day given with --date, else the day of SOURCE_DATE_EPOCH (the convention
// of reproducible builds) when it is set, else today, in UTC. The build designs the default
// set with the day it was configured on (or SOURCE_DATE_EPOCH's), so that rebuilding the
// same tree gives the same files byte for byte.
#pragma once

#include "common/SoundFileWriter.h"
#include "filters/ArrayModel.h"
#include "filters/FilterDesign.h"

#include <string>

namespace vq {

struct DesignDescription {
    std::string design;  // "default", "preset tetramic (Core Sound TetraMic)", "measured lab (72 directions)"
    ArrayGeometry geometry;
    std::string date;  // YYYY-MM-DD
};

// The title and the key=value lines of `set` designed as `description` says.
SoundFileStrings DescribeFilterSet(const DesignDescription& description, const FilterSet& set);

// The design date (see above) from the --date value `given` (empty when none). False, with
// *problem saying why, when `given` or SOURCE_DATE_EPOCH is malformed.
bool DesignDate(const std::string& given, std::string* date, std::string* problem);

}  // namespace vq
