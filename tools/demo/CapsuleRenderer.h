// Renders sound sources as the four capsules of the model hear them: each capsule gets the
// source's signal (as it would be at the centre) moved earlier by its lead, a fraction of
// a sample that changes as a source moves, and weighted by its pattern toward the source.
// The fractional shifts use windowed-sinc interpolation, exact to well above 18 kHz.
#pragma once

#include "filters/ArrayModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vq {

class CapsuleRenderer {
public:
    // Capsule signals of `frames` frames at `rate`, silent until sources are added.
    CapsuleRenderer(const ArrayModel& model, int rate, std::int64_t frames);

    // Adds `sound` from frame `start` on, arriving from `direction(seconds since start)`.
    void Add(const std::vector<double>& sound, std::int64_t start, const std::function<Vec3(double)>& direction);

    std::array<std::vector<double>, ArrayModel::kCapsules>& Capsules() { return m_capsules; }

private:
    static constexpr int kHalfWidth = 16;  // taps either side of the read position
    static constexpr int kPhases = 256;    // fractional positions tabulated

    // `sound` read at a fractional position (zero outside it).
    double Interpolate(const std::vector<double>& sound, double position) const;

    const ArrayModel& m_model;
    int m_rate;
    std::array<std::vector<double>, ArrayModel::kCapsules> m_capsules;
    std::vector<double> m_kernels;  // (kPhases + 1) rows of 2 kHalfWidth taps
};

}  // namespace vq
