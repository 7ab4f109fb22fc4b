// Accepts files dropped on one of the main window's input fields.
#pragma once

#include <wx/dnd.h>

class VessarQuilixGUI;

class VessarFileDropTarget : public wxFileDropTarget {
public:
    // index: 0 for the FLU + FRD field, 1 for the BLD + BRU field.
    VessarFileDropTarget(VessarQuilixGUI* window, int index) : m_window(window), m_index(index) {}

    // Takes the first dropped file; further ones are ignored.
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& filenames) override;

private:
    VessarQuilixGUI* m_window;
    int m_index;
};
