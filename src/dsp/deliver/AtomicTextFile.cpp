#include "deliver/AtomicTextFile.h"

#include "common/EngineStatus.h"
#include "deliver/FileBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vq {

namespace {

int Fail(FailureDetail* detail, const std::string& path, int status)
{
    if (detail) {
        detail->path = path;
        detail->reason = std::strerror(errno);
    }
    return status;
}

}  // namespace

int WriteTextFileAtomically(const std::string& path, const std::string& text, FailureDetail* detail)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(directory.size());
    // A hidden temporary in the destination's directory, so that the rename is atomic.
    const std::string pattern = directory + "." + base + ".XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = base.empty() ? -1 : mkstemp(temporary.data());
    if (fd < 0) {
        if (base.empty())
            errno = EISDIR;
        return Fail(detail, path, kOutputOpenFailed);
    }
    // mkstemp makes the file private; the report gets the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    const bool written = fchmod(fd, 0666 & ~mask) == 0 && WriteAt(fd, 0, text.data(), text.size()) && fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = close(fd) == 0;
    if (!written || !closed || std::rename(temporary.data(), path.c_str()) != 0) {
        const int reason = !written ? savedErrno : errno;
        std::remove(temporary.data());
        errno = reason;
        return Fail(detail, path, kOutputWriteFailed);
    }
    return kStatusOk;
}

}  // namespace vq
