// A rotation of the sound field that can change while the stream runs, without zipper
// noise: a new rotation is reached over a ramp of frames, every frame turned by its own
// rotation on the way (the two quaternions mixed in proportion and normalised, the shorter
// way round), so that a fast head turn or the rows of a head track move the field smoothly.
// Between ramps every frame gets the same matrix, as FieldRotation::Apply gives it.
#pragma once

#include "bformat/FieldRotation.h"

#include <cstdint>

namespace vq {

class RotationRamp {
public:
    // Turns every frame from now on by `rotation`, at once.
    void Set(const FieldRotation& rotation);
    // Moves from the rotation the last frame got to `target` over `frames` frames: frame i
    // of them (from 1) gets the rotation i / frames of the way. At once for frames <= 0.
    void MoveTo(const FieldRotation& target, std::int64_t frames);
    // Ends a ramp: every frame from now on gets the target.
    void Finish() { Set(m_target); }

    // Rotates `frames` frames of the planar X, Y and Z channels in place, going on along the ramp.
    void Apply(double* x, double* y, double* z, std::int64_t frames);

    const FieldRotation& Target() const { return m_target; }
    bool Ramping() const { return m_left > 0; }

private:
    // The rotation `done` frames into the ramp.
    Quaternion Along(std::int64_t done) const;

    FieldRotation m_target;
    Quaternion m_from;
    Quaternion m_to;  // the target's, on the side of m_from
    std::int64_t m_length = 0;
    std::int64_t m_left = 0;
};

}  // namespace vq
