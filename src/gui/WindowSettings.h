// WindowSettings: what the main window keeps in the settings file from one start to the
// next, under /VessarQuilixGUI/: the record's mode, file layout, gains, opening angle,
// switches, output format (a movie's included), convention, dither, high-pass, keep sync
// and a movie's video, and the window's own choices.
// Every value read is checked; one that is missing or out of range keeps the default.
#pragma once

#include <wx/string.h>

#include <vector>

class VQParams;
class wxConfigBase;

// What the window chooses besides the record.
struct WindowChoices {
    wxString input;         // where the open dialogs start: the folder of the last input chosen
    wxString output;        // where a save dialog ended last
    wxString outputFolder;  // the output folder the user chose for the take shown; empty: the take's
    // The output folder the user chose last, where the folder dialog starts when the take
    // shown has none chosen (kept from one start to the next).
    wxString lastOutputFolder;
    bool keepBFormat = false;  // a decode also keeps the B-format it decoded, beside its outputs
    // The outputs keep the precision of the take (16, 24 bits or float) rather than the
    // record's sample format, which then follows the take.
    bool sampleOfTake = true;
    // The filter sets the user chose in the preferences, offered there again (the program's
    // own set aside).
    std::vector<wxString> filterSets;
};

void LoadWindowSettings(const wxConfigBase& config, VQParams& record, WindowChoices& choices);
// Puts the record's window settings and the window's choices (but where the dialogs
// start and the filter sets the user chose) back to their defaults.
void ResetWindowSettings(VQParams& record, WindowChoices& choices);
// Writes every value and flushes the file.
void SaveWindowSettings(wxConfigBase& config, const VQParams& record, const WindowChoices& choices);
