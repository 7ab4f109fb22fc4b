#include "common/SoundFileInput.h"

#include "common/EngineStatus.h"

#include <sys/stat.h>

#include <vector>

namespace vq {

namespace {

// More frames per byte than any codec delivers (FLAC's constant subframes give a few
// thousand): a length beyond it is not what the file holds.
constexpr std::int64_t kMaxFramesPerByte = 65536;

bool LengthIsCredible(const SF_INFO& info, const std::string& path)
{
    struct stat status {};
    if (info.frames < 0 || info.frames > kMaxInputFrames || stat(path.c_str(), &status) != 0)
        return false;
    return info.frames / kMaxFramesPerByte <= static_cast<std::int64_t>(status.st_size);
}

// Decodes the whole file to count its frames, then goes back to its start.
int CountFrames(SNDFILE* file, int channels, std::int64_t* frames)
{
    constexpr sf_count_t kPiece = 4096;
    std::vector<float> buffer(static_cast<std::size_t>(kPiece) * static_cast<std::size_t>(channels));
    std::int64_t count = 0;
    for (;;) {
        const sf_count_t read = sf_readf_float(file, buffer.data(), kPiece);
        if (read <= 0)
            break;
        count += read;
        if (count > kMaxInputFrames)
            return kBadParameter;
    }
    if (sf_seek(file, 0, SEEK_SET) != 0)
        return kInputOpenFailed;
    *frames = count;
    return kStatusOk;
}

}  // namespace

int OpenSoundFileForReading(const std::string& path, SF_INFO* info, SNDFILE** file, std::string* reason)
{
    *info = SF_INFO{};
    *file = sf_open(path.c_str(), SFM_READ, info);
    if (!*file) {
        *reason = sf_strerror(nullptr);
        return kInputOpenFailed;
    }
    if (LengthIsCredible(*info, path))
        return kStatusOk;
    std::int64_t frames = 0;
    const int status = CountFrames(*file, info->channels, &frames);
    if (status != kStatusOk) {
        *reason = status == kBadParameter
                      ? "it holds more frames than any recording"
                      : "its header gives no usable length and it cannot be read again from its start";
        sf_close(*file);
        *file = nullptr;
        return kInputOpenFailed;
    }
    info->frames = frames;
    return kStatusOk;
}

}  // namespace vq
