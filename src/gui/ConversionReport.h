// What the window tells after a conversion that completed: which files were written and
// where, how long the sound is and in which format, and how loud each is.
#pragma once

#include "ConversionRequest.h"
#include "ConversionResult.h"

#include <wx/string.h>

namespace vqgui {

// The folder of the first file written; empty when nothing was written.
wxString WrittenFolder(const vq::ConversionResult& result);
// "Written to FOLDER:" with the files' names (a file elsewhere by its whole path), then the
// length, the format and the rate: "0:12.5 of 24-bit WAV at 48000 Hz", then the filters
// by their folder and what their matrix says about itself: "Filters: tetramic (preset
// tetramic (Core Sound TetraMic): 17.7 mm cardioid, 512 taps, delay 25 frames, designed
// 2026-03-01)".
wxString WrittenFilesReport(const vq::ConversionRequest& request, const vq::ConversionResult& result);
// "\n\nLoudness (ITU-R BS.1770):" and each file's loudness on a line of its own ("    name:
// -23.0 LUFS, LRA 4.2 LU, true peak -3.1 dBTP"), then that of a 5.1 in several files as a
// whole; empty when nothing was measured.
wxString LoudnessReport(const vq::ConversionResult& result);
// "1:02:03.5", "0:12.5": hours only when there are any.
wxString DurationText(double seconds);

}  // namespace vqgui
