// What a folder of filter matrices says about itself: which rates it holds and, for each,
// the description the designer wrote into the file (the microphone or measurement, radius,
// pattern, taps, delay, date). The command line prints it (--filters-info); the window shows
// it in the preferences, where the user chooses among the sets, and in the box a conversion
// ends with.
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

// The one line the designer wrote into the matrix of `rate` in `dir` ("nominal: 15 mm
// cardioid, 512 taps, delay 25 frames, designed 2026-03-01"); "no description" for a matrix
// from elsewhere; why, for one that cannot be read; empty when the folder has no matrix for
// the rate.
std::string FilterMatrixDescription(const wxString& dir, int rate);

// The microphone a set was designed for, in a few words for a list of sets ("nominal, 15 mm
// cardioid", "preset tetramic (Core Sound TetraMic), 17.7 mm cardioid", "measured unit7 (72
// directions), 15 mm cardioid"), from the fields the designer wrote into the set's matrix at
// `rate`, or into its first one when it has none at that rate; "no description" for
// matrices from elsewhere; empty when the folder holds no matrix.
std::string FilterSetMicrophone(const wxString& dir, int rate = 0);
