#include "binaural/Crossover.h"

#include "common/Biquad.h"

namespace vq {

// Each half is the same 2nd-order Butterworth section run twice.
void LinkwitzRileyLowPass(double* x, int count, double cutoffHz, int rate)
{
    const Biquad f = Biquad::LowPass(cutoffHz, rate);
    f.Run(x, count);
    f.Run(x, count);
}

void LinkwitzRileyHighPass(double* x, int count, double cutoffHz, int rate)
{
    const Biquad f = Biquad::HighPass(cutoffHz, rate);
    f.Run(x, count);
    f.Run(x, count);
}

}  // namespace vq
