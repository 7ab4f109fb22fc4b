#include "CommandRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

extern char** environ;

namespace vqtest {

namespace {

std::string Drain(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

// The command starts as from a shell: every signal at its default, none blocked, whatever
// this test program has set for itself.
void DefaultSignals()
{
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        std::signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace

CommandRunner::CommandRunner(std::string workDir, std::string home)
    : m_workDir(std::move(workDir)), m_home(std::move(home))
{
}

CommandResult CommandRunner::RunAndInterrupt(const std::vector<std::string>& args, const std::string& cue) const
{
    RunOptions options;
    options.cue = cue;
    options.signal = SIGINT;
    return Run(args, options);
}

CommandResult CommandRunner::Run(const std::vector<std::string>& args, const RunOptions& options) const
{
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        if (chdir(m_workDir.c_str()) != 0)
            _exit(127);
        if (options.removeWorkingDirectory && rmdir(m_workDir.c_str()) != 0)
            _exit(127);
        DefaultSignals();
        if (options.fileSizeLimit > 0) {
            const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_CACHE_HOME");
        setenv("HOME", m_home.c_str(), 1);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    CommandResult result;
    if (!options.cue.empty()) {
        // Read standard error until the cue appears, then act.
        char buffer[256];
        ssize_t n;
        while (result.err.find(options.cue) == std::string::npos && (n = read(errPipe[0], buffer, sizeof buffer)) > 0)
            result.err.append(buffer, static_cast<std::size_t>(n));
        if (options.signal != 0)
            kill(pid, options.signal);
        if (options.closeErrorAtCue) {
            close(errPipe[0]);
            errPipe[0] = -1;
        }
    }
    // Standard output is small; standard error may carry progress: read both.
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int openPipes = errPipe[0] >= 0 ? 2 : 1;
    while (openPipes > 0 && poll(fds, 2, 60000) > 0) {
        for (pollfd& p : fds) {
            if (p.fd < 0 || !(p.revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = read(p.fd, buffer, sizeof buffer);
            if (n > 0) {
                (p.fd == outPipe[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else {
                close(p.fd);
                p.fd = -1;
                --openPipes;
            }
        }
    }
    for (pollfd& p : fds)
        if (p.fd >= 0)
            result.err += Drain(p.fd), close(p.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace vqtest
