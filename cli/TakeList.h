// The takes of a command line. Each argument is a take: a 4-channel file holding all four
// capsules, or a front file (FLU + FRD) whose rear file (BLD + BRU) is named after it
// (RearFileName: takeF.wav -> takeR.wav). A front file followed by exactly its rear file's
// name is one take, as the converter has always been called; a rear file of another name
// is given with --rear, for a single take.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

struct Take {
    wxString front;  // FLU + FRD, or the whole take in one 4-channel file
    wxString rear;   // BLD + BRU; empty for a 4-channel take
};

// Whether a file holds all four capsules (one 4-channel file).
using WholeTakeTest = std::function<bool(const wxString& path)>;

// Pairs `arguments` into takes, with `rear` (null when --rear is not given) for a single
// take. Returns an empty text on success, else the usage error, naming the argument.
std::string CollectTakes(const std::vector<wxString>& arguments, const wxString* rear, const WholeTakeTest& isWholeTake,
                         std::vector<Take>* takes);
