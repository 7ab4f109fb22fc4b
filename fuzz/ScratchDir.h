// The working directory of a fuzz target: made once per process in memory where there is a
// memory file system (/dev/shm), removed with everything in it when the process ends. The
// programs under test take file names, so every input is written here first.
#pragma once

#include <string>

namespace vqfuzz {

// The directory's path (made at the first call; exits the process when it cannot be made).
const std::string& ScratchDir();
// `name` inside it.
std::string ScratchPath(const std::string& name);
// Writes `bytes` to ScratchPath(name), replacing the file.
void WriteScratchFile(const std::string& name, const std::string& bytes);
// Removes everything in ScratchPath(name) and makes it again, empty.
void EmptyScratchFolder(const std::string& name);

}  // namespace vqfuzz
