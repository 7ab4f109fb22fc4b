// The 4x4 FIR matrix for one sample rate: the fitted frequency responses (BFormatFit)
// delayed by a small modelling delay, transformed to impulse responses and windowed to
// the filter length, so that the filters are causal and B-format lags the capsules by
// about half a millisecond only.
#pragma once

#include "filters/BFormatFit.h"

#include <array>
#include <functional>
#include <vector>

namespace vq {

constexpr int kReferenceRate = 48000;  // rate at which --taps is given
constexpr int kDefaultTaps = 512;      // filter length at the reference rate
constexpr int kMinimumTaps = 16;
constexpr double kModellingDelaySeconds = 0.0005;

struct FilterSet {
    int rate = 0;
    int taps = 0;   // L
    int delay = 0;  // modelling delay in samples: the centre of every filter
    // The frames by which the B-format lags the capsules, as written into the matrix for
    // Keep sync: W's summed low-frequency group delay, rounded, the figure a matrix without
    // it is estimated by too. A little more than `delay`: W's filters also undo the lead of
    // outward-pointing capsules' sum over the centre (0.7 frames at 48 kHz for the default).
    int syncDelay = 0;
    // filters[k][j]: the L taps from capsule k (FLU, FRD, BLD, BRU) to output j (W, X, Y, Z).
    std::array<std::array<std::vector<double>, kBFormatChannels>, ArrayModel::kCapsules> filters;
};

// Filter length at `rate` for `tapsAtReference` taps at 48 kHz: the same duration, and at
// least kMinimumTaps.
int TapsAtRate(int tapsAtReference, int rate);

// Modelling delay in samples: about half a millisecond, at most a quarter of the filter.
int ModellingDelay(int rate, int taps);

// Told the share of a design's work done so far, 0 to 1, now and then.
using DesignProgress = std::function<void(double done)>;

// Designs the filters of `model` at `rate` with `taps` taps (at least kMinimumTaps).
// kStatusOk, kOutOfMemory or kFftSetupFailed.
int DesignFilterSet(const ArrayModel& model, int rate, int taps, FilterSet* set,
                    const DesignProgress& progress = DesignProgress());

// The gain that fades the responses out over the top tenth of the band. A fractional-delay
// response does not end at the Nyquist frequency; cut off there, it would ring for the
// whole filter length.
double BandEdgeTaper(double frequency, double nyquist);

// The matrix of responses at FFT bin `bin` (0 .. fftLength / 2), `frequency` Hz.
using ResponseAtBin = std::function<ComplexMatrix4(int bin, double frequency)>;

// Makes the set from responses given on fftLength points (at least 2 taps): each delayed by
// `delay` samples and faded out over the top of the band, transformed into impulse
// responses and windowed to `taps`. kStatusOk, kOutOfMemory or kFftSetupFailed.
int SynthesiseFilterSet(int rate, int taps, int delay, int fftLength, const ResponseAtBin& response, FilterSet* set,
                        const DesignProgress& progress = DesignProgress());

}  // namespace vq
