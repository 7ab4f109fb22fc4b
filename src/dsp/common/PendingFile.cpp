#include "common/PendingFile.h"

#include "common/EngineStatus.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vq {

namespace {

std::string Directory(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Fail(FailureDetail* detail, const std::string& path, const std::string& reason, int status)
{
    if (detail) {
        detail->path = path;
        detail->reason = reason;
    }
    return status;
}

// A hidden name beside `destination` that no file has yet: created empty with mkstemp.
int MakeHiddenFile(const std::string& destination, std::string* name)
{
    const std::string pattern = Directory(destination) + "/." + BaseName(destination) + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd >= 0)
        *name = buffer.data();
    return fd;
}

}  // namespace

PendingFile::~PendingFile()
{
    Discard();
}

int PendingFile::Create(const std::string& destination, FailureDetail* detail)
{
    Discard();
    m_destination = destination;
    const mode_t mask = umask(0);
    umask(mask);
    m_fd = open(Directory(destination).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666 & ~mask);
    m_unnamed = m_fd >= 0;
    if (m_unnamed)
        return kStatusOk;
    // No unnamed files here (an older kernel, or a file system without them).
    m_fd = MakeHiddenFile(destination, &m_temporary);
    if (m_fd < 0)
        return Fail(detail, destination, std::strerror(errno), kOutputOpenFailed);
    // mkstemp makes the file private; an output gets the permissions any new file gets.
    fchmod(m_fd, 0666 & ~mask);
    return kStatusOk;
}

int PendingFile::LinkUnnamed(const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return -1;
    // No /proc: linking the descriptor itself needs a privilege, which a service may have.
    return linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
}

int PendingFile::Publish(bool replace, FailureDetail* detail)
{
    if (m_fd < 0)
        return Fail(detail, m_destination, "the file was not created", kOutputWriteFailed);
    if (fdatasync(m_fd) != 0)
        return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
    const char* destination = m_destination.c_str();
    if (m_unnamed && !replace) {
        if (LinkUnnamed(m_destination) != 0)
            return errno == EEXIST ? Fail(detail, m_destination, "it appeared while this conversion ran", kOutputExists)
                                   : Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
    } else if (m_unnamed) {
        // Replacing atomically takes a rename, and a rename takes a name: a hidden one,
        // which lives only between the link and the rename.
        std::string hidden;
        const int placeholder = MakeHiddenFile(m_destination, &hidden);
        if (placeholder < 0)
            return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
        close(placeholder);
        std::remove(hidden.c_str());
        if (LinkUnnamed(hidden) != 0)
            return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
        m_temporary = hidden;
        if (std::rename(hidden.c_str(), destination) != 0)
            return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
    } else if (!replace) {
        if (renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, destination, RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST)
                return Fail(detail, m_destination, "it appeared while this conversion ran", kOutputExists);
            if (errno != EINVAL && errno != ENOSYS)
                return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
            // A file system without the no-replace rename: a hard link cannot replace either.
            if (link(m_temporary.c_str(), destination) != 0)
                return errno == EEXIST
                           ? Fail(detail, m_destination, "it appeared while this conversion ran", kOutputExists)
                           : Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
            std::remove(m_temporary.c_str());
        }
    } else if (std::rename(m_temporary.c_str(), destination) != 0) {
        return Fail(detail, m_destination, std::strerror(errno), kOutputWriteFailed);
    }
    m_temporary.clear();
    close(m_fd);
    m_fd = -1;
    return kStatusOk;
}

void PendingFile::Discard()
{
    if (!m_temporary.empty())
        std::remove(m_temporary.c_str());
    m_temporary.clear();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

}  // namespace vq
