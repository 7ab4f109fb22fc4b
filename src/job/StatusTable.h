// The one table of every status code the program can return, with the text the user sees
// for it. The window, the command line and the tools all take their messages from here.
// Plain C++: the tools use it without the toolkit.
#pragma once

#include "common/FailureDetail.h"

#include <string>
#include <vector>

namespace vq {

// Codes of the conversion job itself; the engines' are in common/EngineStatus.h.
enum JobStatus : int {
    kMissingFilterMatrix = 263,  // no FilterMatrix_<rate>.wav in the filters directory
    kMissingInput = 265,         // an input names no existing file
    kUnrepresentablePath = 267,  // a path has no form in the file system's encoding
    kPartsDisagree = 268,        // the parts of a joined take differ in kind, rate or channels
};

// The message for `code`: its text, with `filterMatrix` where the text names the filter
// matrix, followed by the file and the reason of `detail` when it has them. Codes outside
// the table (0 and -1 included) give "Unknown error.".
std::string StatusMessage(int code, const std::string& filterMatrix = std::string(),
                          const FailureDetail& detail = FailureDetail());

// What to run to make the missing filter matrix for a rate in a directory:
// "To make one: vessarquilix-mkfilters --rates 48000 --out DIR" (DIR quoted for the shell).
std::string FilterMatrixHint(int sampleRate, const std::string& filtersDir);

// Every code of the table.
std::vector<int> StatusCodes();

}  // namespace vq
