// The band split of the headphone decoder: a 4th-order Linkwitz-Riley crossover (each half
// two 2nd-order Butterworth sections, bilinear transform pre-warped to the crossover
// frequency). The two halves are in phase at every frequency and add up to an all-pass,
// so the bands join without a notch or a bump.
#pragma once

namespace vq {

// Filter x[0 .. count-1] in place, starting from rest; cutoffHz below rate / 2.
void LinkwitzRileyLowPass(double* x, int count, double cutoffHz, int rate);
void LinkwitzRileyHighPass(double* x, int count, double cutoffHz, int rate);

}  // namespace vq
