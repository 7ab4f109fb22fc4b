// The "decode" of B-format into B-format: W, X, Y, Z as they come. With the layouts of a
// B-format convention (common/OutputLayout.h) it writes a B-format take again, turned,
// filtered or in another convention, through the same stage as every decode.
#pragma once

#include "surround/BFormatDecoder.h"

#include <algorithm>

namespace vq {

class BFormatPassThrough final : public BFormatDecoder {
public:
    int OutputChannels() const override { return 4; }
    int Prepare(int, std::int64_t) override { return 0; }
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override
    {
        for (int j = 0; j < 4; ++j)
            std::copy(in[j], in[j] + frames, out[j]);
    }
};

}  // namespace vq
