#include "filters/FilterMatrixFile.h"

#include "common/EngineStatus.h"

#include <sndfile.h>

#include <new>

namespace vq {

int WriteFilterMatrixFile(const std::string& path, const FilterSet& set, const SoundFileStrings& description)
{
    constexpr int kChannels = kBFormatChannels;
    const std::size_t taps = static_cast<std::size_t>(set.taps);
    std::vector<double> interleaved;
    try {
        interleaved.assign(ArrayModel::kCapsules * taps * kChannels, 0.0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    for (int k = 0; k < ArrayModel::kCapsules; ++k)
        for (int j = 0; j < kChannels; ++j)
            for (std::size_t n = 0; n < taps; ++n)
                interleaved[(k * taps + n) * kChannels + j] = set.filters[k][j][n];
    return WriteSoundFile(path, interleaved, kChannels, set.rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT, description);
}

}  // namespace vq
