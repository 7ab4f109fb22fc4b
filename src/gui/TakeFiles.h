// Which files of a set dropped on the window (or named on its command line) make a take:
// one file is the first file of a take, two a front and a rear file by their names
// (takeF.wav, takeR.wav), four the mono files of the capsules (takeFLU.wav ...).
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

namespace vqgui {

struct TakeFiles {
    wxString front;  // the take's first file; empty when the files make no take
    wxString rear;   // the rear file of a pair, else empty
    wxString problem;  // why the files make no take
};

TakeFiles TakeOfFiles(const wxArrayString& paths);

}  // namespace vqgui
