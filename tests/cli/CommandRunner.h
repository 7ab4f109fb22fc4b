// Runs vessarquilix-convert as a user would, with no display and a home of its own, and
// collects its exit status and output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

struct CommandResult {
    int exitCode = -1;  // 128 + the signal when a signal ended it, as a shell reports it
    std::string out;
    std::string err;
};

// What happens around a run besides the command itself.
struct RunOptions {
    // Once standard error shows `cue`: `signal` is sent (0: none) and, with
    // closeErrorAtCue, standard error is read no more and its pipe closed, as
    // `2>&1 | head -n 1` does.
    std::string cue;
    int signal = 0;
    bool closeErrorAtCue = false;
    std::uint64_t fileSizeLimit = 0;      // RLIMIT_FSIZE of the command in bytes; 0: none
    bool removeWorkingDirectory = false;  // the command starts in a directory deleted under it
};

class CommandRunner {
public:
    // `workDir` is the working directory; `home` becomes HOME (with no XDG_CONFIG_HOME).
    CommandRunner(std::string workDir, std::string home);

    CommandResult Run(const std::vector<std::string>& args, const RunOptions& options = RunOptions()) const;
    // Starts the command and sends it Ctrl-C once its standard error shows `cue`.
    CommandResult RunAndInterrupt(const std::vector<std::string>& args, const std::string& cue) const;

private:
    std::string m_workDir;
    std::string m_home;
};

}  // namespace vqtest
