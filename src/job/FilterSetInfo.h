// What a folder of filter matrices says about itself: which rates it holds and, for each,
// the description the designer wrote into the file (the microphone or measurement, radius,
// pattern, taps, delay, date). The command line prints it (--filters-info); the window shows
// it in the status bar's tooltip.
#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

// The sample rates of the FilterMatrix_<rate>.wav files in `dir`, ascending.
std::vector<int> FilterSetRates(const wxString& dir);

// The matrix of `rate` in `dir`, in a few lines: its file name and description, then its
// rate, taps and delay, then the designer's other fields ("key: value"). Empty when the
// folder has no matrix for the rate; a matrix that cannot be read gives its name and why.
std::string DescribeFilterMatrix(const wxString& dir, int rate);
