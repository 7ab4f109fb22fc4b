#include "support/WxTestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace vqtest {

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : m_previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
}

namespace {

bool Save(const char* name, std::string* value)
{
    const char* v = std::getenv(name);
    if (v)
        *value = v;
    return v != nullptr;
}

void Restore(const char* name, bool had, const std::string& value)
{
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

ScopedHome::ScopedHome(const std::string& home)
    : m_hadHome(Save("HOME", &m_home)), m_hadXdg(Save("XDG_CONFIG_HOME", &m_xdg))
{
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

ScopedHome::~ScopedHome()
{
    Restore("HOME", m_hadHome, m_home);
    Restore("XDG_CONFIG_HOME", m_hadXdg, m_xdg);
}

}  // namespace vqtest
