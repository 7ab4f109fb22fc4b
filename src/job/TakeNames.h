// The names a take's files go by: the rear file (BLD + BRU) of a front file (FLU + FRD),
// and the base that output names are built on.
#pragma once

#include <wx/string.h>

// The rear file of a front file: the final "F" of the name before its extension becomes
// "R", in the same case (takeF.wav -> takeR.wav, takeF.WAV -> takeR.WAV, takef.wav ->
// taker.wav); only the file's name changes, never its directory. Empty when the name does
// not end in "F" or "f".
wxString RearFileName(const wxString& frontPath);
