// Where the program finds the data it comes with: the filter matrices (filters/), the user
// guide (docs/) and the demo recording (demo/). A working directory that holds the folder
// comes first (a folder the user keeps them in); then the copy that comes with the program,
// in share/vessarquilix of the prefix the running program is in (the directory above its
// bin/: an install wherever it was copied or moved, an unpacked package, or the staged tree
// of a build, which is laid out as a prefix); then the prefix the build was configured for.
#pragma once

#include <wx/string.h>

#include <string>

namespace vq {

// The folder `name` ("filters", "docs", "demo") the program uses by default: the first of
// the places above that holds it, or the working directory's when none does.
wxString ProgramDataFolder(const wxString& name);

// share/vessarquilix of the prefix the running program is installed in. The prefix comes
// from the toolkit's standard paths (wxStandardPaths::GetInstallPrefix), which find it
// above the bin/ directory of the executable.
wxString InstalledDataDirectory();

// The folder of the running program's executable, as the file system names it (no
// trailing slash); empty when it cannot be told. What it loads or starts besides itself
// (the picture module, the movie helper) is looked for from there first.
std::string RunningProgramFolder();

}  // namespace vq
