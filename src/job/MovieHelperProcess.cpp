#include "MovieHelperProcess.h"

#include "ProgramData.h"

#include "common/EngineStatus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace vq {

namespace {

constexpr int kPollMilliseconds = 100;

MovieAnswer Unavailable(const std::string& helper, const std::string& reason)
{
    MovieAnswer answer;
    answer.status = kMovieWriterUnavailable;
    answer.failure = {helper, reason};
    return answer;
}

// Why a helper that gave no answer ended.
std::string HowItEnded(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return std::string("it ended without an answer, on signal ") + strsignal(WTERMSIG(waitStatus));
    return "it ended without an answer, with exit status " + std::to_string(WEXITSTATUS(waitStatus));
}

}  // namespace

std::string MovieHelperPath()
{
    const char* chosen = std::getenv("VESSARQUILIX_MOVIE_HELPER");
    if (chosen && *chosen)
        return chosen;
    const std::string folder = RunningProgramFolder();
    if (!folder.empty()) {
        const std::string beside = folder + "/../libexec/vessarquilix/vessarquilix-movie";
        if (access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return VQ_INSTALLED_MOVIE_HELPER;
}

MovieAnswer RunMovieHelper(const MovieJob& job, int movieFd, const std::function<bool(int permille)>& keepGoing)
{
    const std::string helper = MovieHelperPath();
    int answers[2];
    if (pipe2(answers, O_CLOEXEC) != 0)
        return Unavailable(helper, std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, answers[1], STDOUT_FILENO);
    if (movieFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, movieFd, kMovieJobDescriptor);
    std::vector<std::string> arguments = MovieJobArguments(job);
    arguments.insert(arguments.begin(), helper);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(answers[1]);
    if (spawned != 0) {
        close(answers[0]);
        return Unavailable(helper, std::strerror(spawned));
    }

    MovieMessageReader reader;
    int permille = 0;
    bool cancelled = false;
    for (;;) {
        pollfd ready{answers[0], POLLIN, 0};
        const int polled = poll(&ready, 1, kPollMilliseconds);
        if (polled < 0 && errno != EINTR)
            break;
        if (polled > 0) {
            char bytes[4096];
            const ssize_t count = read(answers[0], bytes, sizeof bytes);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;  // the helper is done
            const int reported = reader.Take(bytes, static_cast<std::size_t>(count));
            if (reported >= 0)
                permille = reported;
        }
        if (keepGoing && !keepGoing(permille)) {
            cancelled = true;
            kill(pid, SIGKILL);
            break;
        }
    }
    close(answers[0]);
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    // Ctrl-C reaches the helper too, which may end before the program has seen its cancel.
    if (!reader.Answered() && !cancelled && keepGoing)
        cancelled = !keepGoing(permille);
    if (cancelled) {
        MovieAnswer answer;
        answer.status = kStatusCancelled;
        return answer;
    }
    return reader.Answered() ? reader.Answer() : Unavailable(helper, HowItEnded(waitStatus));
}

}  // namespace vq
