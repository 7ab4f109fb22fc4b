#include "VQConfig.h"

#include <wx/filename.h>
#include <wx/utils.h>

namespace {

const wxString kAppName = "VessarQuilix";

// The toolkit's assertions during the parsing come from lines it cannot take.
bool g_parseAsserted = false;

void NoteParseAssertion(const wxString&, int, const wxString&, const wxString&, const wxString&)
{
    g_parseAsserted = true;
}

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

VQConfigParseWatch::VQConfigParseWatch()
{
    g_parseAsserted = false;
    m_previousAssertHandler = wxSetAssertHandler(NoteParseAssertion);
    m_previousLog = wxLog::SetActiveTarget(&m_log);
    m_watching = true;
}

VQConfigParseWatch::~VQConfigParseWatch()
{
    EndWatch();
}

bool VQConfigParseWatch::EndWatch()
{
    if (m_watching) {
        wxSetAssertHandler(m_previousAssertHandler);
        wxLog::SetActiveTarget(m_previousLog);
        m_watching = false;
    }
    return g_parseAsserted || m_log.problem;
}

void VQConfigParseWatch::Log::DoLogRecord(wxLogLevel level, const wxString&, const wxLogRecordInfo&)
{
    if (level <= wxLOG_Warning)
        problem = true;
}

VQConfig::VQConfig()
    : wxFileConfig(kAppName, wxEmptyString, LocalFilePath(), wxEmptyString,
                   wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE),
      m_localFile(LocalFilePath())
{
    m_damaged = EndWatch();
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
