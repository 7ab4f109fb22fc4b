// An FFmpeg I/O context over a file descriptor, so that the muxer writes into a file the
// caller already holds open (a temporary it renames, or an unnamed O_TMPFILE it links into
// place at the end). It writes at a position of its own with pwrite and can seek, as the
// MOV/MP4 muxer must to complete its boxes; the descriptor is never closed here. Opened for
// reading, a demuxer reads the finished file back through it.
#pragma once

#include <cstdint>

struct AVIOContext;

namespace vq {

class FdOutput {
public:
    FdOutput() = default;
    ~FdOutput();
    FdOutput(const FdOutput&) = delete;
    FdOutput& operator=(const FdOutput&) = delete;

    // False when the context cannot be allocated.
    bool Open(int fd, bool writing = true);
    AVIOContext* Context() const { return m_context; }
    // The errno of the first write or seek that failed, 0 when none did.
    int Error() const { return m_error; }
    void Close();

private:
    static int Write(void* opaque, unsigned char* data, int size);
    static int Read(void* opaque, unsigned char* data, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);

    AVIOContext* m_context = nullptr;
    int m_fd = -1;
    std::int64_t m_position = 0;
    int m_error = 0;
};

}  // namespace vq
