// The conversion run: a function of a const request that returns a result. It checks the
// take and the outputs, creates the engine of the take's kind (QConvolver for A-format
// capsules, Surrounder for B-format), owns it for the run's length, runs it with the
// decoder of the mode in the same pass, and tells its state on the way.
#pragma once

#include "ConversionRequest.h"
#include "ConversionResult.h"

class VQProgressView;
class VQStatusView;

namespace vq {

// Where the run shows what it does; either may be null.
struct RunViews {
    VQProgressView* progress = nullptr;  // the stages and their progress; its cancel stops the run
    VQStatusView* status = nullptr;      // the state ("Calculating...", "Ready.", ...), the rate, the filter length
};

ConversionResult RunConversion(const ConversionRequest& request, const RunViews& views);

// The user's cache file for FFT plans: $XDG_CACHE_HOME/VessarQuilix/fftw-wisdom.
wxString UserFftWisdomFile();

}  // namespace vq
