#include "movie/FdOutput.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vq {

namespace {

constexpr int kBufferBytes = 1 << 16;

}  // namespace

FdOutput::~FdOutput()
{
    Close();
}

bool FdOutput::Open(int fd, bool writing)
{
    Close();
    m_fd = fd;
    m_position = 0;
    m_error = 0;
    unsigned char* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    if (buffer)
        m_context =
            avio_alloc_context(buffer, kBufferBytes, writing ? 1 : 0, this, &FdOutput::Read,
                               writing ? &FdOutput::Write : nullptr, &FdOutput::Seek);
    if (!m_context)
        av_free(buffer);
    return m_context != nullptr;
}

void FdOutput::Close()
{
    if (m_context) {
        av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
}

int FdOutput::Write(void* opaque, unsigned char* data, int size)
{
    FdOutput& self = *static_cast<FdOutput*>(opaque);
    for (int done = 0; done < size;) {
        const ssize_t wrote = pwrite(self.m_fd, data + done, static_cast<size_t>(size - done), self.m_position);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            const int error = wrote < 0 ? errno : ENOSPC;
            if (!self.m_error)
                self.m_error = error;
            return AVERROR(error);
        }
        done += static_cast<int>(wrote);
        self.m_position += wrote;
    }
    return size;
}

int FdOutput::Read(void* opaque, unsigned char* data, int size)
{
    FdOutput& self = *static_cast<FdOutput*>(opaque);
    ssize_t got;
    do
        got = pread(self.m_fd, data, static_cast<size_t>(size), self.m_position);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return AVERROR(errno);
    if (got == 0)
        return AVERROR_EOF;
    self.m_position += got;
    return static_cast<int>(got);
}

std::int64_t FdOutput::Seek(void* opaque, std::int64_t offset, int whence)
{
    FdOutput& self = *static_cast<FdOutput*>(opaque);
    struct stat status;
    const bool sized = fstat(self.m_fd, &status) == 0;
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return sized ? static_cast<std::int64_t>(status.st_size) : AVERROR(errno);
    std::int64_t target = offset;
    if (whence == SEEK_CUR)
        target += self.m_position;
    else if (whence == SEEK_END)
        target = sized ? target + status.st_size : -1;
    if (target < 0) {
        if (!self.m_error)
            self.m_error = EINVAL;
        return AVERROR(EINVAL);
    }
    self.m_position = target;
    return target;
}

}  // namespace vq
