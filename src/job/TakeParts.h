// A recording the recorder split into several files (parts, at 2 or 4 GB): what a joined
// take's parts must agree in, how their time references must follow on, and how the files
// of a batch or of a drop show that they are one split recording.
#pragma once

#include "ConversionRequest.h"
#include "TakeKinds.h"

#include "common/FailureDetail.h"

#include <wx/string.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace vq {

class JoinedSoundFile;

// Each part of a joined take (its files in the order of `kind`) against the first: the same
// kind of take, and in every file the same sample rate and channel count. kStatusOk, or
// kPartsDisagree with detail naming the part's file and, in the reason, the first part's.
int CheckPartsAgree(const std::vector<std::vector<wxString>>& parts, const TakeKind& kind, InputFormat asked,
                    FailureDetail* detail);

// Where both have a time reference (bext), each part should start where the part before it
// ended: one warning for each that does not, naming both files and the frames of the gap or
// of the overlap.
std::vector<std::string> PartTimingWarnings(const JoinedSoundFile& parts);

// Whether `next` looks like the part that follows `previous` of one split recording: in one
// folder, their names differ only in a counter that goes up by one (take_001.wav and
// take_002.wav, ZOOM0001_LR.WAV and ZOOM0002_LR.WAV), they agree in rate and channels, and
// where both have a time reference, `next` starts where `previous` ends.
bool LooksLikeNextPart(const wxString& previous, const wxString& next);

// The runs of two or more files in `firsts` (the first files of takes, in order) of which
// each looks like the part following the one before it, as [begin, end) index pairs.
std::vector<std::pair<std::size_t, std::size_t>> SplitRecordingRuns(const std::vector<wxString>& firsts);

}  // namespace vq
