// What one conversion did: its status, the file and reason of a failure, what it found out
// about the take and the filters, what it clipped, the files it wrote and what the user
// should know besides.
#pragma once

#include "common/EngineStatus.h"
#include "common/FailureDetail.h"
#include "deliver/LoudnessMeter.h"
#include "deliver/Timecode.h"

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vq {

struct DecodeMode;
struct DirectionMapLevels;

// A file the run wrote, and what it holds.
struct WrittenOutput {
    wxString path;
    std::int64_t frames = 0;
    std::int64_t clippedSamples = 0;  // integer samples beyond full scale
    // ITU-R BS.1770: of the file's loudspeaker channels, or of W for B-format; none when it
    // holds nothing that is measured (X, Y or Z alone, the LFE alone).
    std::optional<Loudness> loudness;
};

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
    // What the run did that the user should know of but is no problem: a take cut or padded
    // to a video's length.
    std::vector<std::string> notes;
    // With align: the delay taken off and where it came from ("25 frames (stored in the matrix)").
    std::string alignment;
    // The frames by which the filters delay the B-format, and where that comes from ("stored",
    // "estimated", "unknown"); -1 for a B-format take, which goes through no filters.
    int filterDelay = -1;
    std::string filterDelayFrom;
    // The files of `written`, in its order, with their figures.
    std::vector<WrittenOutput> outputs;
    // The outputs the user asked for (the decode's, else the B-format) as one programme, when
    // they are several files of measured channels (5.1 as pairs or mono files).
    std::optional<Loudness> programmeLoudness;
    // The gain a normalised decode got, and whether the true-peak ceiling held it back.
    std::optional<NormalizeGain> normalized;
    // The direction map's files written (its picture, then its data), and its levels when
    // the request asked to keep them.
    std::vector<wxString> mapFiles;
    std::shared_ptr<const DirectionMapLevels> directionMap;
    // A joined take: the first file of each part, in the order joined; empty for a take in
    // one piece.
    std::vector<std::string> joinedParts;
    // Every file of the take, part after part for a joined take, as named (UTF-8).
    std::vector<std::string> inputFiles;
    // The take's start: its first file's time reference (bext, samples since midnight), and
    // as timecode at `timecodeRate` (a movie's clip's, else the take's iXML's, else 25 frames
    // a second). None, and no timecode, for a take without a time reference.
    std::optional<std::uint64_t> startSamples;
    FrameRate timecodeRate = kDefaultTimecodeRate;
    std::string startTimecode;

    bool Cancelled() const { return status == kStatusCancelled; }
    bool Failed() const { return status != kStatusOk && status != kStatusCancelled; }
    // The message of a failure: the status table's text with the file and the reason.
    std::string Message() const;
    // Empty, or what the user should know about the samples the run clipped.
    std::string ClippingWarning() const;
    // The loudness of the outputs the user asked for, as one programme: programmeLoudness, or
    // the first measured output's; none when nothing was measured.
    std::optional<Loudness> OverallLoudness() const;
};

// "-23.0 LUFS, LRA 4.2 LU, true peak -3.1 dBTP"; a sound too short or quiet for an
// integrated loudness tells its true peak alone, and silence reads "silent".
std::string DescribeLoudness(const Loudness& loudness);
// "+3.2 dB to -23.0 LUFS", or "-1.5 dB (held by the -1 dBTP true-peak ceiling)".
std::string DescribeNormalization(const NormalizeGain& gain, double targetLufs, double ceilingDbtp);

}  // namespace vq
