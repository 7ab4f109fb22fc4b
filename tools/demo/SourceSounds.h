// The demo's synthetic sounds, as they would be picked up at the centre of the array.
// Deterministic: the same samples on every run.
#pragma once

#include "demo/DemoScene.h"

#include <cstdint>
#include <vector>

namespace vq {

// `frames` samples of `sound` at `rate`, peak 1, fading out to silence before the end.
std::vector<double> SynthesizeSound(SourceSound sound, int rate, std::int64_t frames);

}  // namespace vq
