// What the window can tell about a take before any run: a rear file that is missing or does
// not match the front file, and a filters folder without a matrix for the take's rate.
#pragma once

#include <wx/string.h>

class VQParams;

namespace vqgui {

// One line for each problem of the record's take, naming its file; empty when there is
// none to tell (also when the first file is not there yet: a name being typed, say).
wxString TakeProblems(const VQParams& record);

}  // namespace vqgui
