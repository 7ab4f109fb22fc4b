// A file written as a whole or not at all, through a stream: the text or picture goes to a
// pending file (PendingFile.h) that replaces the destination in one step when complete, so
// a failed run leaves an earlier file of that name as it was and never a half-written one.
#pragma once

#include "common/FailureDetail.h"
#include "common/PendingFile.h"

#include <cstdio>
#include <string>

namespace vq {

class ReplacedFile {
public:
    ReplacedFile() = default;
    ~ReplacedFile() { Discard(); }
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Creates the temporary for `path`. 0, or kOutputOpenFailed with the path and the reason.
    int Open(const std::string& path, FailureDetail* detail);
    // Where to write; null when not open.
    std::FILE* Stream() const { return m_stream; }
    // Completes the file and renames it to its name. 0, or kOutputWriteFailed (a write that
    // failed on the way included) with the path and the reason; the temporary is removed.
    int Commit(FailureDetail* detail);
    // Removes the temporary (nothing is renamed).
    void Discard();

private:
    std::string m_path;
    PendingFile m_file;
    std::FILE* m_stream = nullptr;
};

}  // namespace vq
