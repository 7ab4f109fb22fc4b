// The filters of the linear headphone decode (BinauralDecoder.h): from each of W, X, Y, Z to
// each ear, the sums of the virtual loudspeakers' HRIRs weighted by their feeds, the low
// band and the high band split by a Linkwitz-Riley crossover at kCrossoverHz and added.
#pragma once

#include "binaural/HrirSet.h"

#include <vector>

namespace vq {

struct BinauralFilters {
    static constexpr int kInputs = 4;
    static constexpr int kEars = 2;
    static constexpr double kCrossoverHz = 700.0;
    // The crossover's impulse responses decay below 1e-9 within this time; the filters get
    // that much longer than the HRIRs.
    static constexpr double kCrossoverTailSeconds = 0.008;

    std::vector<double> taps[kInputs][kEars];  // [W, X, Y, Z][left, right]
    int length = 0;                            // taps of every filter
};

// The filters at `sampleRate` (one that hrirs.CheckRate accepts). Throws std::bad_alloc.
BinauralFilters DesignBinauralFilters(const HrirSet& hrirs, int sampleRate);

}  // namespace vq
