// Which files of a set dropped on the window (or named on its command line) make a take:
// one file is the first file of a take, two a front and a rear file by their names
// (takeF.wav, takeR.wav), four the mono files of the capsules (takeFLU.wav ...). Files that
// make several takes of one kind which look like the parts of one recording the recorder
// split (take_001.wav, take_002.wav: TakeParts.h) make one take of those parts, in order.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <vector>

namespace vqgui {

struct TakeFiles {
    wxString front;  // the take's first file; empty when the files make no take
    wxString rear;   // the rear file of a pair, else empty
    wxString problem;  // why the files make no take
    // The first file of each part that follows the take's, in order, when the files are the
    // parts of one split recording; else empty.
    std::vector<wxString> laterParts;
};

TakeFiles TakeOfFiles(const wxArrayString& paths);

}  // namespace vqgui
