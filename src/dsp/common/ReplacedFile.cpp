#include "common/ReplacedFile.h"

#include "common/EngineStatus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace vq {

namespace {

int Fail(FailureDetail* detail, const std::string& path, const std::string& reason, int status)
{
    if (detail) {
        detail->path = path;
        detail->reason = reason;
    }
    return status;
}

}  // namespace

int ReplacedFile::Open(const std::string& path, FailureDetail* detail)
{
    Discard();
    if (path.empty())
        return Fail(detail, path, "no file name given", kOutputOpenFailed);
    // A hidden temporary in the destination's directory, so that the rename is atomic.
    const std::filesystem::path destination(path);
    const std::filesystem::path folder = destination.has_parent_path() ? destination.parent_path() : ".";
    const std::string pattern = (folder / ("." + destination.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return Fail(detail, path, std::strerror(errno), kOutputOpenFailed);
    // mkstemp makes the file private; the result gets the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    m_stream = fdopen(fd, "wb");
    if (!m_stream) {
        const int error = errno;
        close(fd);
        std::remove(name.data());
        return Fail(detail, path, std::strerror(error), kOutputOpenFailed);
    }
    m_path = path;
    m_temporary = name.data();
    return kStatusOk;
}

int ReplacedFile::Commit(FailureDetail* detail)
{
    if (!m_stream)
        return Fail(detail, m_path, "the file is not open", kOutputWriteFailed);
    errno = 0;
    const bool written = std::fflush(m_stream) == 0 && !std::ferror(m_stream);
    const int error = errno;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    int status = kStatusOk;
    if (!written || !closed)
        status = Fail(detail, m_path,
                      written || error == 0 ? "the file could not be completed" : std::strerror(error),
                      kOutputWriteFailed);
    else if (std::rename(m_temporary.c_str(), m_path.c_str()) != 0)
        status = Fail(detail, m_path, std::strerror(errno), kOutputWriteFailed);
    else
        m_temporary.clear();
    Discard();
    return status;
}

void ReplacedFile::Discard()
{
    if (m_stream)
        std::fclose(m_stream);
    m_stream = nullptr;
    if (!m_temporary.empty())
        std::remove(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace vq
