#include "common/OutputFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vq {

bool PrepareDirectory(const char* program, const std::string& directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory, error)) {
        std::fprintf(stderr, "%s: cannot create the directory %s: %s\n", program, directory.c_str(),
                     error ? error.message().c_str() : "a file of that name exists");
        return false;
    }
    return true;
}

bool MayWrite(const char* program, const std::vector<std::string>& paths, bool force)
{
    if (force)
        return true;
    bool clear = true;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
            std::fprintf(stderr, "%s: %s exists; use --force to replace it\n", program, path.c_str());
            clear = false;
        }
    }
    return clear;
}

}  // namespace vq
