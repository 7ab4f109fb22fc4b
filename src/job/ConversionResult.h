// What one conversion did: its status, the file and reason of a failure, what it found out
// about the take and the filters, what it clipped, the files it wrote and what the user
// should know besides.
#pragma once

#include "common/EngineStatus.h"
#include "common/FailureDetail.h"

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

struct DecodeMode;

struct ConversionResult {
    int status = kStatusOk;  // kStatusOk, kStatusCancelled or a code of the status table
    FailureDetail failure;   // the file and the reason of a failure
    std::string filterMatrix;  // the filter matrix used, or looked for and missing
    int sampleRate = 0;        // of the take, once it was read
    int filterTaps = 0;        // taps per filter; 0 for a B-format take, which has none
    std::int64_t takeFrames = 0;
    int takeFormat = 0;  // libsndfile's format code of the take's first file
    std::int64_t outputFrames = 0;
    const DecodeMode* mode = nullptr;
    std::int64_t clippedSamples = 0;  // integer samples of the outputs beyond full scale
    std::vector<wxString> written;    // every file written: the outputs, then a kept B-format
    std::vector<std::string> warnings;  // things the user should know, each naming its file
    // With align: the delay taken off and where it came from ("24 frames (stored in the matrix)").
    std::string alignment;
    // A joined take: the first file of each part, in the order joined; empty for a take in
    // one piece.
    std::vector<std::string> joinedParts;

    bool Cancelled() const { return status == kStatusCancelled; }
    bool Failed() const { return status != kStatusOk && status != kStatusCancelled; }
    // The message of a failure: the status table's text with the file and the reason.
    std::string Message() const;
    // Empty, or what the user should know about the samples the run clipped.
    std::string ClippingWarning() const;
};

}  // namespace vq
