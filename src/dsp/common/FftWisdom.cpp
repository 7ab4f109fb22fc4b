#include "common/FftWisdom.h"

#include <fftw3.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vq {

std::mutex& FftwPlannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool LoadFftWisdom(const std::string& path)
{
    std::lock_guard<std::mutex> lock(FftwPlannerMutex());
    return fftw_import_wisdom_from_filename(path.c_str()) != 0;
}

bool SaveFftWisdom(const std::string& path)
{
    // A temporary of its own beside the file, then an atomic rename: two programs saving at
    // once each leave a whole file, never a mixture or a half-written one.
    std::string pattern = path + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;
    std::FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        std::remove(pattern.c_str());
        return false;
    }
    bool saved;
    {
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        fftw_export_wisdom_to_file(file);
    }
    saved = std::fflush(file) == 0 && !std::ferror(file);
    saved = std::fclose(file) == 0 && saved;
    if (saved && std::rename(pattern.c_str(), path.c_str()) == 0)
        return true;
    std::remove(pattern.c_str());
    return false;
}

}  // namespace vq
