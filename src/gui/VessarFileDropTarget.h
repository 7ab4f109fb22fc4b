// Accepts files dropped on one of the main window's input fields, or anywhere else on it.
#pragma once

#include <wx/dnd.h>

class VessarQuilixGUI;

class VessarFileDropTarget : public wxFileDropTarget {
public:
    // index: 0 for the FLU + FRD field, 1 for the BLD + BRU field, -1 for the rest.
    VessarFileDropTarget(VessarQuilixGUI* window, int index) : m_window(window), m_index(index) {}

    // Files dropped elsewhere, or files that make a take together, are a take
    // (VessarQuilixGUI::OpenTakeFiles); else a field takes the first file.
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& filenames) override;

private:
    VessarQuilixGUI* m_window;
    int m_index;
};
