// The takes of a command line. Each argument is a take, by the kinds of take the job knows
// (TakeKinds.h): a 4-channel file (the four capsules, or B-format); a front file (FLU + FRD)
// whose rear file (BLD + BRU) is named after it (takeF.wav -> takeR.wav); or the FLU file of
// four mono files named after their capsules (takeFLU.wav with takeFRD.wav, takeBLD.wav,
// takeBRU.wav). A front file followed by exactly its rear file's name is one take, as the
// converter has always been called, and the other three files of a mono take may be given
// too (a glob gives them all); a rear file of another name is given with --rear, for a
// single take.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

struct Take {
    wxString front;  // FLU + FRD, the whole take in one 4-channel file, or the FLU mono file
    wxString rear;   // BLD + BRU; empty for a take of one file or of four mono files
    std::vector<wxString> more;  // FRD, BLD, BRU of a take of four mono files

    // Every file of the take.
    std::vector<wxString> Files() const;
};

// How many files make the take that begins with this file: 1 (a 4-channel file), 2 (a
// front file), 4 (the FLU file of four mono files), or 0 when it cannot be told (the
// file cannot be read: it is taken as a front file, and its run says what is wrong).
using TakeFileCount = std::function<int(const wxString& path)>;
// The count by the kinds of take the job knows, from the file's header and name.
int FilesOfTakeStartingWith(const wxString& path);

// The hints for the takes of a batch that look like the parts of one split recording
// (TakeParts.h): one line for each run of them, naming them and --join. Empty when none do.
std::vector<std::string> SplitRecordingHints(const std::vector<Take>& takes);

// Pairs `arguments` into takes, with `rear` (null when --rear is not given) for a single
// take. Returns an empty text on success, else the usage error, naming the argument.
std::string CollectTakes(const std::vector<wxString>& arguments, const wxString* rear, const TakeFileCount& filesOf,
                         std::vector<Take>* takes);
