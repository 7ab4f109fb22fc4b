// Where the build put the default filter set, the demo recording and the tools.
#pragma once

#include <string>

namespace vqtest {

inline std::string StagedFilterMatrix(int rate)
{
    return std::string(VQ_STAGE_DATA_DIR) + "/filters/FilterMatrix_" + std::to_string(rate) + ".wav";
}

inline std::string StagedDemo(const char* side)
{
    return std::string(VQ_STAGE_DATA_DIR) + "/demo/demo" + side + ".wav";
}

constexpr int kDefaultRates[] = {32000, 44100, 48000, 88200, 96000, 176400, 192000};

}  // namespace vqtest
