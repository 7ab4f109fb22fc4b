#include "DefaultOutputFolder.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace vqgui {

wxString WritableUserFolder()
{
    const wxString documents = wxStandardPaths::Get().GetDocumentsDir();
    if (wxDirExists(documents) && wxFileName::IsDirWritable(documents))
        return documents;
    return wxFileName::GetHomeDir();
}

OutputFolder DefaultOutputFolder(const wxString& front)
{
    OutputFolder out;
    if (front.empty())
        return out;
    wxFileName take(front);
    take.MakeAbsolute();
    out.takesFolder = take.GetPath(wxPATH_GET_VOLUME);
    out.standsIn = wxDirExists(out.takesFolder) && !wxFileName::IsDirWritable(out.takesFolder);
    out.folder = out.standsIn ? WritableUserFolder() : out.takesFolder;
    return out;
}

}  // namespace vqgui
