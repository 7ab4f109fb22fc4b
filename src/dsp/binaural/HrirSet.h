// A set of head-related impulse responses (HRIRs): for a far source in any direction, the
// impulse responses from the source to the left and to the right ear. Directions follow
// the B-format convention: azimuth in degrees, positive to the left (counter-clockwise
// seen from above, 0 straight ahead), elevation in degrees, positive up.
#pragma once

#include <string>

namespace vq {

class HrirSet {
public:
    virtual ~HrirSet() = default;

    // kStatusOk when responses can be given at `sampleRate` (Hz); otherwise a status code
    // (common/EngineStatus.h), and `reason` says why in words a user understands.
    virtual int CheckRate(int sampleRate, std::string& reason) const = 0;

    // Taps of every response at `sampleRate` (a rate that CheckRate accepts).
    virtual int Length(int sampleRate) const = 0;

    // Writes the responses of the two ears to a source at (azimuthDeg, elevationDeg) into
    // left[0 .. Length-1] and right[0 .. Length-1], sampled at `sampleRate`. Allocates nothing.
    virtual void Responses(double azimuthDeg, double elevationDeg, int sampleRate, double* left,
                           double* right) const = 0;
};

}  // namespace vq
