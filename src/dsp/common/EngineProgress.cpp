#include "common/EngineProgress.h"

namespace vq {

void EngineProgress::ProgressStart(const char*, const char*) {}

bool EngineProgress::ProgressUpdate(std::int64_t, std::int64_t)
{
    return true;
}

void EngineProgress::ProgressEnd() {}

}  // namespace vq
