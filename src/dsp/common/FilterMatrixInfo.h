// What a filter-matrix file says about itself, and how long its filters hold sound back.
//
// vessarquilix-mkfilters writes two texts into every matrix (a RIFF LIST/INFO chunk, which
// libsndfile reads back as strings): a one-line description as the title (INAM), and
// "key=value" lines as the comment (ICMT), among them kFilterDelayKey, the frames by which
// the B-format lags the capsules. A matrix from elsewhere has neither; its delay is then
// estimated from the filters: the group delay of W's summed response (the four filters
// from the capsules to W, added) at low frequencies, rounded to a frame.
#pragma once

#include "common/FailureDetail.h"

#include <string>
#include <utility>
#include <vector>

namespace vq {

constexpr const char* kFilterDelayKey = "delay_frames";

// The band of the delay estimate, in Hz.
constexpr double kDelayEstimateLowHz = 50.0;
constexpr double kDelayEstimateHighHz = 500.0;

enum class DelaySource {
    Stored,     // the designer wrote it into the file
    Estimated,  // from W's group delay
    Unknown,    // neither: W has no low-frequency response (delay 0)
};

struct FilterMatrixInfo {
    int sampleRate = 0;
    int taps = 0;   // L, the length of each of the sixteen filters
    int delay = 0;  // frames by which the B-format lags the capsules
    DelaySource delaySource = DelaySource::Unknown;
    double estimatedDelay = 0.0;                              // W's group delay in frames, unrounded (Estimated only)
    std::string description;                                  // the one-line description, empty when there is none
    std::vector<std::pair<std::string, std::string>> fields;  // the key=value lines, in order
};

// The delay of a matrix whose W filters, the four added, are `summedW`: their mean group
// delay over the estimate's band, in frames; NaN when W is silent there.
double EstimatedDelay(const std::vector<double>& summedW, int sampleRate);

// A delay estimate rounded to a whole frame of a filter of `taps` taps (0 to taps - 1).
int RoundedDelay(double estimate, int taps);

// Reads what `path` says about itself and its delay. kStatusOk, or kFilterMatrixOpenFailed,
// kFilterMatrixChannels, kFilterMatrixLength, kFilterMatrixReadFailed, kNonFiniteInput or
// kOutOfMemory with *failure naming the file and the reason. A stored delay that is not a
// whole number of frames from 0 to L - 1 counts as none.
int ReadFilterMatrixInfo(const std::string& path, FilterMatrixInfo* info, FailureDetail* failure);

// The delay and where it comes from, for a run to say: "25 frames (stored in the matrix)",
// "25 frames (estimated from W's group delay, 24.70 frames)" or "0 frames (unknown: ...)".
std::string DescribeDelay(const FilterMatrixInfo& info);

// The value of `key` among info.fields; empty when absent.
std::string FieldValue(const FilterMatrixInfo& info, const std::string& key);

}  // namespace vq
