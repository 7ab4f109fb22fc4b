// FFmpeg's words for one of its error codes, for the reason a failure detail gives; and
// FFmpeg's own log kept quiet, as the engines print nothing.
#pragma once

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <mutex>
#include <string>

namespace vq {

inline std::string AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// FFmpeg's libraries write notes and warnings to the standard error by default; what
// matters comes back as a status with the reason instead. Once, as movies may be written
// on several threads.
inline void QuietLibav()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace vq
