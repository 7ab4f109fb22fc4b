// The demo recording's scene: sound sources one after another, each from a known
// direction, and last one that flies once around the microphone.
#pragma once

#include "common/Vec3.h"

#include <vector>

namespace vq {

constexpr int kDemoRate = 48000;
constexpr double kDemoSeconds = 16.0;

enum class SourceSound { PluckedString, WoodKnocks, Bells, Surf, Buzz };

struct DemoSource {
    const char* name;
    SourceSound sound;
    double start;           // seconds into the recording
    double length;          // seconds the source is heard (its slot)
    double azimuth;         // degrees, counter-clockwise from the front, at the start
    double elevation;       // degrees (the middle of the swing for a moving source)
    double turnRate;        // degrees of azimuth per second; 0 for a fixed source
    double elevationSwing;  // degrees: one sine period of elevation over the slot

    // Where the source is `seconds` after its start.
    Vec3 DirectionAt(double seconds) const;
};

const std::vector<DemoSource>& DemoSources();

}  // namespace vq
