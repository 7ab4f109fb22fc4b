#include "VessarFileDropTarget.h"

#include "TakeFiles.h"
#include "VessarQuilixGUI.h"

#include <wx/filefn.h>

bool VessarFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& filenames)
{
    if (filenames.empty())
        return false;
    // A field takes the first file, unless the files make a take together.
    if (m_index >= 0 && !wxDirExists(filenames[0]) &&
        (filenames.size() == 1 || vqgui::TakeOfFiles(filenames).front.empty()))
        return m_window->DropInputFile(m_index, filenames[0]);
    return m_window->OpenTakeFiles(filenames);
}
