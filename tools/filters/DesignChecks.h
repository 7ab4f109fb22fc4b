// What --measured prints about its design: how well the filters reproduce the measurement
// itself, per octave band. The direction error is the angle between the velocity vector
// Re(conj(W) (X, Y, Z)) and the direction measured; "leave-one-out" fits the matrix again
// without each direction and measures the error at that direction, so that a design which
// only fits its own points shows; W's level is against the ideal; the noise gain is that
// of uncorrelated capsule noise through each output, against the nominal coincident
// matrix (0 dB: as much as a coincident array of ideal capsules).
#pragma once

#include "filters/MeasuredDesign.h"

#include <cstdio>
#include <vector>

namespace vq {

struct BandCheck {
    double centre = 0.0;     // Hz; the band spans centre / sqrt 2 .. centre * sqrt 2
    double meanAngle = 0.0;  // degrees, over the directions and the band's frequencies
    double worstAngle = 0.0;
    std::size_t worstDirection = 0;
    double leaveOneOut = 0.0;  // mean, degrees
    double wMeanDb = 0.0;
    double wWorstDb = 0.0;  // the largest deviation from the ideal, either way
    double noiseW = 0.0;    // dB
    double noiseXyz = 0.0;  // dB, the mean of X, Y and Z
};

// The checks of `set`, designed by `design`; `progress` hears the share done. kStatusOk,
// kOutOfMemory or kFftSetupFailed.
int CheckDesign(const MeasuredDesign& design, const FilterSet& set, std::vector<BandCheck>* bands,
                const DesignProgress& progress = DesignProgress());

void PrintChecks(std::FILE* out, const MeasuredDesign& design, const FilterSet& set,
                 const std::vector<BandCheck>& bands);

}  // namespace vq
