// Helpers for the tests of the job layer, the window and the command line: a working
// directory and a home of their own for the duration of a test.
#pragma once

#include <string>

namespace vqtest {

// Changes the working directory for its lifetime.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir);
    ~ScopedWorkingDirectory();

private:
    std::string m_previous;
};

// Points HOME and XDG_CONFIG_HOME at `home` for its lifetime, so that the settings
// store reads and writes a file of the test's own.
class ScopedHome {
public:
    explicit ScopedHome(const std::string& home);
    ~ScopedHome();

private:
    std::string m_home, m_xdg;
    bool m_hadHome, m_hadXdg;
};

}  // namespace vqtest
