#include "ProgramData.h"

#include <wx/filefn.h>
#include <wx/stdpaths.h>

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

}  // namespace vq
