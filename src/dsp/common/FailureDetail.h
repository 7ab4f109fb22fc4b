// Where a failed engine operation failed: the file concerned (empty when none) and why, in
// the words of the system or of libsndfile, so that the message shown can name both.
#pragma once

#include <string>

namespace vq {

struct FailureDetail {
    std::string path;
    std::string reason;
    void Clear()
    {
        path.clear();
        reason.clear();
    }
};

}  // namespace vq
