// The 4x4 FIR matrix applied to one block by FFT: each block of the four inputs is
// transformed once, the sixteen products are summed per output in the frequency domain,
// and each output is transformed back once (4 forward + 4 inverse transforms a block).
//
// Overlap-save: a frame of N input samples convolved circularly with a filter of L taps
// (zero-padded to N) gives exact linear-convolution values at result indices L .. N-1,
// so each block yields H = N - L output frames.
#pragma once

#include "common/FftwArray.h"
#include "common/FftwPlan.h"

#include <fftw3.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace vq {

constexpr int kMatrixSize = 4;

class BlockConvolver {
public:
    BlockConvolver() = default;
    ~BlockConvolver();
    BlockConvolver(const BlockConvolver&) = delete;
    BlockConvolver& operator=(const BlockConvolver&) = delete;

    // Sizes every array for filters of `filterLength` taps, transforms of `fftLength`
    // points and `slots` threads, and plans the transforms. Measuring a long transform takes
    // up to a second, so `carryOn` (when given) is asked before each plan: false stops
    // there with kStatusCancelled. Status code, 0 on success.
    int Configure(int filterLength, int fftLength, int slots, const std::function<bool()>& carryOn = {});

    // Sets the filter from input `input` to output `output`: `taps` holds filterLength
    // values `stride` doubles apart, each multiplied by `gain`.
    void SetFilter(int input, int output, const double* taps, int stride, double gain);

    // Convolves one block. frames[k] points at the N samples of input k (any alignment).
    // Afterwards Result(slot, j)[0 .. H-1] holds output j's H new frames.
    void Convolve(const double* const frames[kMatrixSize], int slot);
    const double* Result(int slot, int output) const;

    int FilterLength() const { return m_filterLength; }
    int FftLength() const { return m_fftLength; }
    int Hop() const { return m_fftLength - m_filterLength; }

private:
    struct Scratch {
        FftwArray<double> frame;
        FftwArray<fftw_complex> inputSpectra[kMatrixSize];
        FftwArray<fftw_complex> outputSpectrum;
        FftwArray<double> results[kMatrixSize];
    };

    void MultiplyAccumulate(const Scratch& s, int output, fftw_complex* out) const;

    int m_filterLength = 0;
    int m_fftLength = 0;
    int m_spectrumLength = 0;
    // Filter spectra interleaved per bin: [output][bin][input], already scaled by 1/N so
    // that the unnormalised forward and inverse transforms form an exact pair.
    FftwArray<fftw_complex> m_filterSpectra;
    std::vector<Scratch> m_scratch;
    FftwPlan m_forwardPlan;
    FftwPlan m_inversePlan;
};

// The transform length that gives the most output frames per unit of work for filters
// of `filterLength` taps: the smallest power of two that is at least 4096 and at least four
// times the filter.
int ChooseFftLength(int filterLength);

}  // namespace vq
