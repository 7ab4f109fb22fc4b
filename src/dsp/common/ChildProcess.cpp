#include "common/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VQ_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VQ_SANITIZED 1
#endif
#endif

namespace vq {

namespace {

std::string Seconds(double seconds)
{
    std::string text = std::to_string(seconds);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text + " s";
}

[[noreturn]] void BecomeChild(int readEnd, int writeEnd, const ChildLimits& limits,
                              const std::function<int(int fd)>& work)
{
    close(readEnd);
    // The parent decides when the child ends; the terminal's signals reach the parent.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        signal(sig, sig == SIGPIPE ? SIG_IGN : SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#ifndef VQ_SANITIZED
    // The sanitizers reserve terabytes of address space for themselves.
    const rlimit memory{limits.memoryBytes, limits.memoryBytes};
    setrlimit(RLIMIT_AS, &memory);
#else
    (void)limits;
#endif
    const int status = work(writeEnd);
    close(writeEnd);
    _exit(status);  // no destructors or exit handlers of the parent's copy run here
}

}  // namespace

ChildOutcome RunInChild(const std::function<int(int fd)>& work, const ChildLimits& limits,
                        const std::function<bool()>& keepGoing, std::string* output, std::string* reason)
{
    output->clear();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        *reason = std::strerror(errno);
        return ChildOutcome::NotStarted;
    }
    const pid_t child = fork();
    if (child < 0) {
        *reason = std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        return ChildOutcome::NotStarted;
    }
    if (child == 0)
        BecomeChild(ends[0], ends[1], limits, work);
    close(ends[1]);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.seconds));
    ChildOutcome outcome = ChildOutcome::Done;
    bool tooMuch = false;
    char buffer[65536];
    for (;;) {
        if (keepGoing && !keepGoing()) {
            outcome = ChildOutcome::Cancelled;
            break;
        }
        if (Clock::now() >= deadline) {
            outcome = ChildOutcome::TimedOut;
            break;
        }
        pollfd wait{ends[0], POLLIN, 0};
        const int ready = poll(&wait, 1, 100);
        if (ready < 0 && errno != EINTR) {
            outcome = ChildOutcome::Failed;
            break;
        }
        if (ready <= 0)
            continue;
        const ssize_t got = read(ends[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;  // the child closed its end: it has ended, or is about to
        if (output->size() + static_cast<std::size_t>(got) > limits.outputBytes) {
            outcome = ChildOutcome::Failed;
            tooMuch = true;
            break;
        }
        output->append(buffer, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    if (outcome != ChildOutcome::Done)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (outcome == ChildOutcome::Done) {
        if (WIFSIGNALED(status))
            outcome = ChildOutcome::Crashed;
        else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            outcome = ChildOutcome::Failed;
    }
    switch (outcome) {
    case ChildOutcome::Done:
        break;
    case ChildOutcome::Failed:
        *reason = tooMuch ? "it gave more data than expected" : "the reader failed";
        break;
    case ChildOutcome::Crashed:
        *reason = std::string("the reader crashed (") + strsignal(WTERMSIG(status)) + ")";
        break;
    case ChildOutcome::TimedOut:
        *reason = "timed out after " + Seconds(limits.seconds);
        break;
    case ChildOutcome::Cancelled:
        *reason = "cancelled";
        break;
    case ChildOutcome::NotStarted:
        break;
    }
    if (outcome != ChildOutcome::Done)
        output->clear();
    return outcome;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace vq
