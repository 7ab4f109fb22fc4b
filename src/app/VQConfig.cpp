#include "VQConfig.h"

#include <wx/filename.h>
#include <wx/utils.h>

namespace {

const wxString kAppName = "VessarQuilix";

wxString ConfigHome()
{
    wxString dir;
    if (wxGetEnv("XDG_CONFIG_HOME", &dir) && wxFileName(dir, wxEmptyString).IsAbsolute())
        return dir;
    return wxGetHomeDir() + "/.config";
}

}  // namespace

wxString VQConfig::LocalFilePath()
{
    return ConfigHome() + "/" + kAppName + "/" + kAppName + ".conf";
}

VQConfig::VQConfig()
    : wxFileConfig(kAppName, wxEmptyString, LocalFilePath(), wxEmptyString,
                   wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE),
      m_localFile(LocalFilePath())
{
}

void VQConfig::EnsureDirectory()
{
    const wxFileName file(m_localFile);
    if (!file.DirExists())
        wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
}

bool VQConfig::DoWriteString(const wxString& key, const wxString& value)
{
    EnsureDirectory();
    return wxFileConfig::DoWriteString(key, value);
}

bool VQConfig::DoWriteLong(const wxString& key, long value)
{
    EnsureDirectory();
    return wxFileConfig::DoWriteLong(key, value);
}
