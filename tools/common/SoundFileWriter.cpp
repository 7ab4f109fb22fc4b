#include "common/SoundFileWriter.h"

#include "common/EngineStatus.h"
#include "common/SoundFileOutput.h"

#include <sndfile.h>

#include <cstdint>

namespace vq {

int WriteSoundFile(const std::string& path, const std::vector<double>& interleaved, int channels, int rate, int format,
                   const SoundFileStrings& strings)
{
    const std::int64_t frames = static_cast<std::int64_t>(interleaved.size()) / channels;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = FormatForLength(format, channels, frames);
    SNDFILE* file = nullptr;
    int status = CreateOutputFile(path, info, &file);
    if (status != kStatusOk)
        return status;
    if (!IsIntegerFormat(info.format)) {
        // Turning the chunk off answers SF_FALSE whether it worked or not: ask the handle.
        sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
        if (sf_error(file) != SF_ERR_NO_ERROR)
            status = kOutputOpenFailed;
    }
    // Before the first frame, so that they go into the header.
    for (const auto& [kind, text] : strings)
        if (status == kStatusOk && sf_set_string(file, kind, text.c_str()) != 0)
            status = kOutputOpenFailed;
    if (status == kStatusOk)
        status = WriteFrames(file, interleaved.data(), frames);
    // The header is completed by the close: a failure there loses the file too.
    if (sf_close(file) != 0 && status == kStatusOk)
        status = kOutputWriteFailed;
    return status;
}

}  // namespace vq
