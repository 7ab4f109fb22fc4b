// WindowSettings: what the main window keeps in the settings file from one start to the
// next, under /VessarQuilixGUI/: the record's mode, file layout, gains, opening angle,
// switches, output format, convention, dither, high-pass and keep sync, and the window's own
// choices.
// Every value read is checked; one that is missing or out of range keeps the default.
#pragma once

#include <wx/string.h>

class VQParams;
class wxConfigBase;

// What the window chooses besides the record.
struct WindowChoices {
    wxString input;         // where the open dialogs start: the folder of the last input chosen
    wxString output;        // where a save dialog ended last
    wxString outputFolder;  // the output folder the user chose; empty: the first input's folder
    bool keepBFormat = false;  // a decode also keeps the B-format it decoded, beside its outputs
    // The outputs keep the precision of the take (16, 24 bits or float) rather than the
    // record's sample format, which then follows the take.
    bool sampleOfTake = true;
};

void LoadWindowSettings(const wxConfigBase& config, VQParams& record, WindowChoices& choices);
// Puts the record's window settings and the window's choices (but where the dialogs
// start) back to their defaults, the input names too.
void ResetWindowSettings(VQParams& record, WindowChoices& choices);
// Writes every value and flushes the file.
void SaveWindowSettings(wxConfigBase& config, const VQParams& record, const WindowChoices& choices);
