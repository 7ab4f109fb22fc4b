// Path comparisons shared by the engines, so that no output ever replaces a file a run reads.
#pragma once

#include <string>
#include <vector>

namespace vq {

// True when `a` and `b` name the same file: the same inode when both exist, the same
// normalised path when one of them does not exist yet. False when either is empty.
bool SameFile(const std::string& a, const std::string& b);

// The two names of a clash: the output, and the file it would destroy as written.
struct PathClash {
    std::string output;
    std::string other;
    bool otherIsOutput = false;  // `other` is an earlier output, not a file the run reads

    // "the same file as <other>" (with "the output" before it for another output).
    std::string Reason() const;
};

// True when one of outputs[0 .. count-1] names one of `readPaths` or an earlier output:
// creating it would destroy a file the run reads or writes. `clash`, when given, receives
// the first pair found.
bool OutputsCollide(const std::string* outputs, int count, const std::vector<std::string>& readPaths,
                    PathClash* clash = nullptr);

}  // namespace vq
