// The folder the outputs of a take go to when the user chose none for it: the take's own
// folder, or, when the program may not write there (a take on a read-only medium, the demo
// installed with the program), the user's documents folder (XDG_DOCUMENTS_DIR) when it can
// be written to, else the home folder.
#pragma once

#include <wx/string.h>

namespace vqgui {

struct OutputFolder {
    wxString folder;         // empty when there is no take
    wxString takesFolder;    // the folder of the take
    bool standsIn = false;   // the take's folder cannot be written to: `folder` stands in for it
};

// `front` is the first file of the take, empty for none. A take's folder that does not
// exist (a name being typed) is its folder all the same: the run will tell what is wrong.
OutputFolder DefaultOutputFolder(const wxString& front);

// The user's documents folder when it exists and can be written to, else the home folder.
wxString WritableUserFolder();

}  // namespace vqgui
