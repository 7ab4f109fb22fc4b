// A gain that can change while the stream runs without a click: a new gain is reached over
// a ramp of frames, linearly. Between ramps every sample is multiplied by the same factor
// (and left alone at 1).
#pragma once

#include <cstdint>

namespace vq {

class GainRamp {
public:
    // Multiplies every frame from now on by `gain`, at once.
    void Set(double gain);
    // Moves from the gain the last frame got to `gain` over `frames` frames: frame i of them
    // (from 1) gets i / frames of the way. At once for frames <= 0.
    void MoveTo(double gain, std::int64_t frames);
    void Finish() { Set(m_target); }

    // Scales `frames` frames of signals[0 .. channels-1] in place, going on along the ramp.
    void Apply(double* const signals[], int channels, std::int64_t frames);

    double Target() const { return m_target; }

private:
    double Along(std::int64_t done) const { return m_from + (m_target - m_from) * double(done) / double(m_length); }

    double m_target = 1.0;
    double m_from = 1.0;
    std::int64_t m_length = 0;
    std::int64_t m_left = 0;
};

}  // namespace vq
