// What the tools do before and after writing their files: create the output directory,
// refuse to replace existing files unless asked to, and say what went wrong.
#pragma once

#include <string>
#include <vector>

namespace vq {

// Creates `directory` (and its parents) when missing; false, with a message, on failure.
bool PrepareDirectory(const char* program, const std::string& directory);

// Unless `force`, reports every path that exists already and returns false, so that
// nothing is written over.
bool MayWrite(const char* program, const std::vector<std::string>& paths, bool force);

}  // namespace vq
