#include "bformat/RotationRamp.h"

#include <algorithm>

namespace vq {

void RotationRamp::Set(const FieldRotation& rotation)
{
    m_target = rotation;
    m_length = m_left = 0;
}

Quaternion RotationRamp::Along(std::int64_t done) const
{
    const double t = double(done) / double(m_length);
    return {m_from.w + t * (m_to.w - m_from.w), m_from.x + t * (m_to.x - m_from.x),
            m_from.y + t * (m_to.y - m_from.y), m_from.z + t * (m_to.z - m_from.z)};
}

void RotationRamp::MoveTo(const FieldRotation& target, std::int64_t frames)
{
    if (frames <= 0) {
        Set(target);
        return;
    }
    const Quaternion from = Ramping() ? Along(m_length - m_left) : m_target.ToQuaternion();
    Quaternion to = target.ToQuaternion();
    // q and -q are the same rotation: mix with the one nearer, so the turn takes the short way.
    if (from.w * to.w + from.x * to.x + from.y * to.y + from.z * to.z < 0.0)
        to = {-to.w, -to.x, -to.y, -to.z};
    m_from = from;
    m_to = to;
    m_target = target;
    m_length = m_left = frames;
}

void RotationRamp::Apply(double* x, double* y, double* z, std::int64_t frames)
{
    std::int64_t n = 0;
    for (; n < frames && m_left > 0; ++n) {
        --m_left;
        // The last frame of the ramp gets the target's own matrix.
        const FieldRotation r = m_left == 0 ? m_target : FieldRotation::FromQuaternion(Along(m_length - m_left));
        r.Apply(x + n, y + n, z + n, 1);
    }
    if (n < frames && !m_target.IsIdentity())
        m_target.Apply(x + n, y + n, z + n, frames - n);
}

}  // namespace vq
