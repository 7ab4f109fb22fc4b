#include "IntermediateLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

IntermediateLock::~IntermediateLock()
{
    Release();
}

bool IntermediateLock::Acquire(const std::function<void()>& waiting, const std::function<bool()>& cancelled)
{
    Release();
    m_fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return true;
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK) {
        Release();
        return true;
    }
    waiting();
    // A signal ends the wait (the handlers do not restart system calls): Ctrl-C is heard.
    while (flock(m_fd, LOCK_EX) != 0) {
        const bool interrupted = errno == EINTR;
        if (!interrupted || cancelled()) {
            Release();
            return !interrupted;
        }
    }
    return true;
}

void IntermediateLock::Release()
{
    if (m_fd >= 0)
        close(m_fd);  // closing the descriptor releases the lock
    m_fd = -1;
}
