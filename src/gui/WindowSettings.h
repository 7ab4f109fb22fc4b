// WindowSettings: what the main window keeps in the settings file from one start to the
// next, under /VessarQuilixGUI/: the record's mode, file layout, gains, opening angle,
// switches, output format, convention, dither and high-pass, and the window's folders.
// Every value read is checked; one that is missing or out of range keeps the default.
#pragma once

#include <wx/string.h>

class VQParams;
class wxConfigBase;

struct WindowFolders {
    wxString input;         // where the open dialogs start: the folder of the last input chosen
    wxString output;        // where a save dialog ended last
    wxString outputFolder;  // the output folder the user chose; empty: the first input's folder
};

void LoadWindowSettings(const wxConfigBase& config, VQParams& record, WindowFolders& folders);
// Writes every value and flushes the file.
void SaveWindowSettings(wxConfigBase& config, const VQParams& record, const WindowFolders& folders);
