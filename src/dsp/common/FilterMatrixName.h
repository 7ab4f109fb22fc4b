// The name of the filter-matrix file for a sample rate, FilterMatrix_<rate>.wav: what the
// designer writes, what a conversion looks for and what the preferences check.
#pragma once

#include <string>

namespace vq {

inline std::string FilterMatrixName(int sampleRate)
{
    return "FilterMatrix_" + std::to_string(sampleRate);
}

inline std::string FilterMatrixFileName(int sampleRate)
{
    return FilterMatrixName(sampleRate) + ".wav";
}

}  // namespace vq
