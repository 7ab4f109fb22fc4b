// How the engines report progress: the same three operations for every engine and every
// pass, with the same units. Every ProgressStart is followed by exactly one ProgressEnd,
// whether the pass completes, is cancelled or fails. The defaults report nothing.
#pragma once

#include <cstdint>

namespace vq {

class EngineProgress {
public:
    virtual ~EngineProgress() = default;

    // A pass begins. Title and message may be null: the caller's defaults for the engine.
    virtual void ProgressStart(const char* title, const char* message);
    // `done` of `total` frames of the pass are complete (0 <= done <= total); false asks
    // the engine to stop, which it does at once and then calls ProgressEnd.
    virtual bool ProgressUpdate(std::int64_t done, std::int64_t total);
    // The pass has ended.
    virtual void ProgressEnd();
};

}  // namespace vq
