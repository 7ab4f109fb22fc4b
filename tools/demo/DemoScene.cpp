#include "demo/DemoScene.h"

namespace vq {

Vec3 DemoSource::DirectionAt(double seconds) const
{
    const double swing = elevationSwing * std::sin(2.0 * kPi * seconds / length);
    return FromAzimuthElevation(azimuth + turnRate * seconds, elevation + swing);
}

const std::vector<DemoSource>& DemoSources()
{
    // Away from the capsule axes and from each other, above and below the horizon.
    static const std::vector<DemoSource> sources = {
        {"plucked string, front", SourceSound::PluckedString, 0.0, 2.5, 0.0, 0.0, 0.0, 0.0},
        {"wood knocks, left", SourceSound::WoodKnocks, 2.5, 2.5, 90.0, 0.0, 0.0, 0.0},
        {"bells, high behind right", SourceSound::Bells, 5.0, 2.5, -120.0, 40.0, 0.0, 0.0},
        {"surf, low front right", SourceSound::Surf, 7.5, 2.5, -60.0, -30.0, 0.0, 0.0},
        // Front, left (rising to +20°), back, right (dipping to -20°), front again.
        {"buzzing fly, once around", SourceSound::Buzz, 10.0, 6.0, 0.0, 0.0, 60.0, 20.0},
    };
    return sources;
}

}  // namespace vq
