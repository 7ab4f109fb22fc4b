#include "movie/HeadLockedStereo.h"

#include "common/EngineStatus.h"
#include "common/SoundFileInput.h"

#include <sndfile.h>

namespace vq {

int CheckHeadLockedStereo(const std::string& path, int sampleRate, std::int64_t frames, FailureDetail* detail)
{
    InputSoundFile file;
    std::string reason;
    int status = file.Open(path, InputSoundFile::Length::Counted, &reason);
    const SF_INFO& info = file.Info();
    if (status != kStatusOk) {
        // the reason is the file's
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
    if (status != kStatusOk && detail) {
        detail->path = path;
        detail->reason = reason;
    }
    return status;
}

}  // namespace vq
