// The run report of conversions (deliver/RunReport.h) from their requests and results: the
// settings as named values, and each take's record.
#pragma once

#include "ConversionRequest.h"
#include "ConversionResult.h"

#include "deliver/RunReport.h"

#include <string>
#include <utility>
#include <vector>

namespace vq {

// The settings of a request that shape its outputs, by name: the mode and its decoder, the
// files, the B-format stage, the decode's settings (in a decode mode), the map's band (when a
// map is made) and the filters folder.
std::vector<std::pair<std::string, SettingValue>> ReportedSettings(const ConversionRequest& request);

// What a take's conversion did: its files, rate and length, the filter matrix and its delay
// (for an A-format take), each written file with its frames, clipped samples and loudness
// (and the normalising gain of a decode's outputs), the outputs' loudness as one programme,
// and why it failed when it did.
TakeRecord TakeRecordOf(const ConversionRequest& request, const ConversionResult& result);

}  // namespace vq
