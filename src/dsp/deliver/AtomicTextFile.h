// A text file that appears whole or not at all: written to a hidden temporary beside it,
// then renamed over its name, as the sound outputs are.
#pragma once

#include "common/FailureDetail.h"

#include <string>

namespace vq {

// Writes `text` to `path`. kStatusOk; kOutputOpenFailed or kOutputWriteFailed with detail
// naming the file and the reason, any earlier file of that name left as it was.
int WriteTextFileAtomically(const std::string& path, const std::string& text, FailureDetail* detail);

}  // namespace vq
