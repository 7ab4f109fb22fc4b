#include "movie/HeadLockedStereo.h"

#include "common/EngineStatus.h"

#include <sndfile.h>

namespace vq {

int CheckHeadLockedStereo(const std::string& path, int sampleRate, std::int64_t frames, FailureDetail* detail)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    int status = kStatusOk;
    std::string reason;
    if (!file) {
        status = kInputOpenFailed;
        reason = sf_strerror(nullptr);
    } else if (info.channels != 2) {
        status = kHeadLockedNotStereo;
        reason = "it has " + std::to_string(info.channels) + " channels";
    } else if (info.samplerate != sampleRate) {
        status = kHeadLockedRateMismatch;
        reason =
            "it is at " + std::to_string(info.samplerate) + " Hz, the take at " + std::to_string(sampleRate) + " Hz";
    } else if (info.frames != frames) {
        status = kHeadLockedLengthMismatch;
        reason = "it has " + std::to_string(info.frames) + " frames, the take " + std::to_string(frames);
    }
    if (file)
        sf_close(file);
    if (status != kStatusOk && detail) {
        detail->path = path;
        detail->reason = reason;
    }
    return status;
}

}  // namespace vq
