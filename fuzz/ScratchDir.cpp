#include "ScratchDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vqfuzz {

namespace {

std::string MakeScratchDir()
{
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/vq-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("vq-fuzz: cannot create a working directory");
        std::exit(1);
    }
    return pattern;
}

void RemoveScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(ScratchDir(), ec);
}

}  // namespace

const std::string& ScratchDir()
{
    // Never destroyed: the exit handler that removes the directory still reads it.
    static const std::string* dir = [] {
        const std::string* made = new std::string(MakeScratchDir());
        std::atexit(RemoveScratchDir);
        return made;
    }();
    return *dir;
}

std::string ScratchPath(const std::string& name)
{
    return ScratchDir() + "/" + name;
}

void WriteScratchFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(ScratchPath(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void EmptyScratchFolder(const std::string& name)
{
    std::error_code ec;
    std::filesystem::remove_all(ScratchPath(name), ec);
    std::filesystem::create_directories(ScratchPath(name), ec);
}

}  // namespace vqfuzz
