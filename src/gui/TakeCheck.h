// What the window can tell about a take before any run: a rear file that is missing or does
// not match the front file, and a filters folder without a matrix for the take's rate.
#pragma once

#include <wx/string.h>

#include <vector>

class VQParams;

namespace vqgui {

// One line for each problem of the record's take, naming its file; empty when there is
// none to tell (also when the first file is not there yet: a name being typed, say).
wxString TakeProblems(const VQParams& record);

// The capsules' channels typed for a poly file of `fileChannels` channels: four different
// numbers from 1 ("3,4,5,6", spaces allowed), as channels from 0. False, leaving *channels
// empty, for anything else.
bool ReadCapsuleChannels(const wxString& text, int fileChannels, std::vector<int>* channels);

}  // namespace vqgui
