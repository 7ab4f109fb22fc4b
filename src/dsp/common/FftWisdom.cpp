#include "common/FftWisdom.h"

#include <fftw3.h>

#include <cstdio>

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
    const std::string partial = path + ".part";
    std::lock_guard<std::mutex> lock(FftwPlannerMutex());
    if (fftw_export_wisdom_to_filename(partial.c_str()) == 0) {
        std::remove(partial.c_str());
        return false;
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

}  // namespace vq
