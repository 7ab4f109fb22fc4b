// Path comparisons shared by the engines, so that no output ever replaces a file a run reads.
#pragma once

#include <string>
#include <vector>

namespace vq {

// True when `a` and `b` name the same file: the same inode when both exist, the same
// normalised path when one of them does not exist yet. False when either is empty.
bool SameFile(const std::string& a, const std::string& b);

// True when one of outputs[0 .. count-1] names one of `readPaths` or an earlier output:
// creating it would destroy a file the run reads or writes.
bool OutputsCollide(const std::string* outputs, int count, const std::vector<std::string>& readPaths);

}  // namespace vq
