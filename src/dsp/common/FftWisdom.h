// FFTW's wisdom: the fastest transform plans it has measured on this machine. Measuring
// takes up to a second for long transforms; kept in a file, it is paid once, not per run.
#pragma once

#include <mutex>
#include <string>

namespace vq {

// FFTW's planner is not thread-safe: every plan is made and destroyed, and wisdom read or
// written, under this lock.
std::mutex& FftwPlannerMutex();

// Adds the wisdom kept in `path`; false when there is none or it cannot be read.
bool LoadFftWisdom(const std::string& path);
// Keeps all wisdom gathered so far in `path`, replacing it whole (written beside it, then
// renamed); false when that fails.
bool SaveFftWisdom(const std::string& path);

}  // namespace vq
