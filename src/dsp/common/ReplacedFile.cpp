#include "common/ReplacedFile.h"

#include "common/EngineStatus.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    FailureDetail problem;
    const int status = m_file.Create(path, &problem);
    if (status != kStatusOk)
        return Fail(detail, problem.path, problem.reason, status);
    // The stream writes through a descriptor of its own; the pending file keeps its own to
    // publish with.
    const int fd = dup(m_file.Descriptor());
    m_stream = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!m_stream) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        m_file.Discard();
        return Fail(detail, path, std::strerror(error), kOutputOpenFailed);
    }
    m_path = path;
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
    if (!written || !closed) {
        status = Fail(detail, m_path,
                      written || error == 0 ? "the file could not be completed" : std::strerror(error),
                      kOutputWriteFailed);
    } else {
        FailureDetail problem;
        status = m_file.Publish(true, &problem);
        if (status != kStatusOk)
            Fail(detail, problem.path.empty() ? m_path : problem.path, problem.reason, status);
    }
    Discard();
    return status;
}

void ReplacedFile::Discard()
{
    if (m_stream)
        std::fclose(m_stream);
    m_stream = nullptr;
    m_file.Discard();
}

}  // namespace vq
