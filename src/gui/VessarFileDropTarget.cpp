#include "VessarFileDropTarget.h"

#include "VessarQuilixGUI.h"

bool VessarFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& filenames)
{
    return !filenames.empty() && m_window->DropInputFile(m_index, filenames[0]);
}
