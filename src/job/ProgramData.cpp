#include "ProgramData.h"

#include <wx/filefn.h>
#include <wx/stdpaths.h>

#include <climits>

#include <unistd.h>

namespace vq {

wxString InstalledDataDirectory()
{
    return wxStandardPaths::Get().GetInstallPrefix() + "/share/vessarquilix";
}

wxString ProgramDataFolder(const wxString& name)
{
    const wxString local = wxGetCwd() + "/" + name;
    if (wxDirExists(local))
        return local;
    for (const wxString& installed : {InstalledDataDirectory(), wxString(VQ_INSTALLED_DATA_DIR)})
        if (wxDirExists(installed + "/" + name))
            return installed + "/" + name;
    return local;
}

std::string RunningProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return std::string();
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

}  // namespace vq
