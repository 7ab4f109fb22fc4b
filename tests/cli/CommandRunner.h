// Runs vessarquilix-convert as a user would, with no display and a home of its own, and
// collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace vqtest {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CommandRunner {
public:
    // `workDir` is the working directory; `home` becomes HOME (with no XDG_CONFIG_HOME).
    CommandRunner(std::string workDir, std::string home);

    CommandResult Run(const std::vector<std::string>& args) const;
    // Starts the command and sends it Ctrl-C once its standard error shows `cue`.
    CommandResult RunAndInterrupt(const std::vector<std::string>& args, const std::string& cue) const;

private:
    CommandResult Execute(const std::vector<std::string>& args, const std::string* interruptCue) const;

    std::string m_workDir;
    std::string m_home;
};

}  // namespace vqtest
