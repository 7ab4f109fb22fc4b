// The group delay of an FIR filter over a band: what tells how long a filter matrix holds
// sound back where no design says so, and when a measured sound reached a microphone.
#pragma once

#include <cstddef>

namespace vq {

// Mean group delay of `taps` (in samples) over [lowHz, highHz], weighted by the power of
// the response at kGroupDelayPoints evenly spread frequencies:
//   sum Re(N(f) conj H(f)) / sum |H(f)|^2,  H = sum h[n] e^{-jwn}, N = sum n h[n] e^{-jwn}.
// A pure delay of d samples gives d. NaN when the response is silent in the band.
constexpr int kGroupDelayPoints = 16;
double MeanGroupDelay(const double* taps, std::size_t count, double rate, double lowHz, double highHz);

}  // namespace vq
