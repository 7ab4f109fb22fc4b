#include "common/SoundFileOutput.h"

#include "common/EngineStatus.h"

namespace vq {

int BytesPerSample(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    default:
        return 8;
    }
}

bool IsIntegerFormat(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return false;
    default:
        return true;
    }
}

int FormatForLength(int format, int channels, std::int64_t frames, std::uint64_t maxWavDataBytes)
{
    const int container = format & SF_FORMAT_TYPEMASK;
    if (container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX)
        return format;
    if (frames <= 0 || channels <= 0)
        return format;
    const std::uint64_t bytes = static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(channels) *
                                static_cast<std::uint64_t>(BytesPerSample(format));
    if (bytes <= maxWavDataBytes)
        return format;
    return SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK) | (format & SF_FORMAT_ENDMASK);
}

int CreateOutputFile(const std::string& path, SF_INFO info, SNDFILE** file)
{
    *file = nullptr;
    if (path.empty() || !sf_format_check(&info))
        return kOutputOpenFailed;
    SNDFILE* handle = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!handle)
        return kOutputOpenFailed;
    // libsndfile wraps an over-range double around when it converts to integers
    // (1.5 becomes -0.5 in 16 bits); saturating keeps such a sample at full scale.
    if (IsIntegerFormat(info.format) && sf_command(handle, SFC_SET_CLIPPING, nullptr, SF_TRUE) != SF_TRUE) {
        sf_close(handle);
        return kOutputOpenFailed;
    }
    *file = handle;
    return kStatusOk;
}

int WriteFrames(SNDFILE* file, const double* data, std::int64_t frames)
{
    if (frames <= 0)
        return kStatusOk;
    return sf_writef_double(file, data, frames) == frames ? kStatusOk : kOutputWriteFailed;
}

void CloseSoundFile(SNDFILE*& file)
{
    if (file)
        sf_close(file);
    file = nullptr;
}

}  // namespace vq
