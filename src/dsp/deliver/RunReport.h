// The record of a run that --report writes as JSON: the program and its settings, each take
// with its rate and length, the filters and their delay, each output with its frames,
// clipped samples and loudness, and the time the run took. The job fills the record as the
// run goes; WriteRunReport writes it whole or not at all.
#pragma once

#include "common/FailureDetail.h"
#include "deliver/LoudnessMeter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vq {

using SettingValue = std::variant<std::string, double, std::int64_t, bool>;

struct NormalizeRecord {
    double targetLufs = 0.0;
    double gainDb = 0.0;       // the gain applied
    bool peakLimited = false;  // below the target, held by the true-peak ceiling
};

// Where an output starts in the day of its recording: the take's time reference, in samples
// since midnight and as timecode at a frame rate ("25", "30000/1001").
struct StartRecord {
    std::uint64_t samples = 0;
    std::string timecode;
    std::string timecodeRate;
};

struct OutputRecord {
    std::string path;
    std::int64_t frames = 0;
    std::int64_t clippedSamples = 0;
    std::optional<Loudness> loudness;
    std::optional<NormalizeRecord> normalize;
    std::optional<StartRecord> start;  // none for a take without a time reference
};

struct FilterRecord {
    std::string matrix;            // the filter-matrix file used for the take's rate
    std::int64_t delayFrames = 0;  // the matrix's delay
    std::string delayFrom;         // where the delay comes from: "file", "estimate", ...
};

struct TakeRecord {
    std::vector<std::string> inputs;
    int sampleRate = 0;
    std::int64_t frames = 0;
    std::optional<FilterRecord> filter;  // none for a decode of a B-format file
    std::vector<OutputRecord> outputs;
    // The outputs' loudness as one programme (a 5.1 in several files together); none when
    // nothing was measured.
    std::optional<Loudness> loudness;
    std::string failure;  // why the take was not converted; empty when it was
};

struct RunReport {
    std::string version;  // vq::kVersionString
    std::vector<std::pair<std::string, SettingValue>> settings;
    std::string filterSet;  // the filters folder; empty when the run used none
    std::vector<TakeRecord> takes;
    double runSeconds = 0.0;
};

// The report as JSON: "program", "version", "settings", "filter_set", "takes" (each with
// "inputs", "sample_rate", "frames", "seconds", "filter", "outputs" (each with its "start":
// "samples", "timecode" and "timecode_rate"), "loudness" and "failure") and "run_seconds". A run of one take also gives its outputs at the top level, as
// "outputs". Loudness values are given to 0.01; one that is minus infinity (silence) is null,
// and so is a loudness that was not measured, the filter of a take that went through none,
// or a failure that did not happen.
std::string RunReportJson(const RunReport& report);

// Writes RunReportJson(report) to `path` through a temporary renamed into place. kStatusOk,
// kOutputOpenFailed or kOutputWriteFailed (detail names the file and why).
int WriteRunReport(const RunReport& report, const std::string& path, FailureDetail* detail);

}  // namespace vq
