// What the record does to the sound beyond the defaults, in a line for the window:
// "Rotation 90°, high-pass 80 Hz, decode gain +15 dB". Only what acts in the record's mode
// counts (the B-format gain in B-Format mode, the decode's gain in the others).
#pragma once

#include <wx/string.h>

class VQParams;

namespace vqgui {

// Empty when the record keeps every default.
wxString ActiveProcessing(const VQParams& record);

}  // namespace vqgui
