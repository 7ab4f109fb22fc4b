// A text file that appears whole or not at all (common/ReplacedFile.h), as the sound
// outputs do.
#pragma once

#include "common/FailureDetail.h"

#include <string>

namespace vq {

// Writes `text` to `path`. kStatusOk; kOutputOpenFailed or kOutputWriteFailed with detail
// naming the file and the reason, any earlier file of that name left as it was.
int WriteTextFileAtomically(const std::string& path, const std::string& text, FailureDetail* detail);

}  // namespace vq
