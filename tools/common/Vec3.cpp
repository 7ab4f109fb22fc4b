#include "common/Vec3.h"

namespace vq {

std::vector<Vec3> SpreadOverSphere(int count)
{
    std::vector<Vec3> points;
    points.reserve(static_cast<std::size_t>(count));
    const double goldenAngle = kPi * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < count; ++i) {
        const double z = 1.0 - (2.0 * i + 1.0) / count;
        const double ring = std::sqrt(1.0 - z * z);
        points.push_back({ring * std::cos(goldenAngle * i), ring * std::sin(goldenAngle * i), z});
    }
    return points;
}

}  // namespace vq
