// The short-time Fourier transform that the spatial analysis and the parametric decoders
// share: the four B-format signals cut into frames, each frame handed to a processor as
// spectra, and (for a decoder) the processor's output spectra turned back into signals by
// overlap-add.
//
// Frames: N samples under a periodic Hann window, one every N/2 samples, each transformed
// with N/2 zeros after it (3N/2 points, 3N/4 + 1 bins). Two such windows overlap at every
// sample and add up to exactly 1, so a processor that copies its input gives the input back
// (delayed by N frames, below), to the rounding of the transforms. The zeros leave room
// (Room()) for what a processor adds after the frame: a filter of up to N/2 + 1 taps
// applied to the spectra is exactly the linear convolution, and a delay of up to N/2 frames
// does not wrap. (Twice the room would cost a third more for every frame; the processors
// here need 10 ms.)
//
// N follows the sample rate: about 21 ms (1024 at 44.1 and 48 kHz, 2048 at 88.2 and 96
// kHz, 4096 at 176.4 and 192 kHz), a common choice for time-frequency processing of
// speech and music: bins of 31.25 Hz at 48 kHz (47 Hz wide), a new frame every 10.7 ms.
//
// Streaming: a frame is processed as soon as its last sample arrives, and output frame n
// is complete once the frame that starts at n has been added; so the outputs lag the
// input by exactly N frames (Latency), whatever the block lengths, and the result does not
// depend on how the input is cut into blocks.
#pragma once

#include "common/FftwArray.h"
#include "common/FftwPlan.h"

#include <fftw3.h>

#include <cstdint>

namespace vq {

// Receives each frame's spectra (bins 0 .. 3N/4 of the transform, unscaled) and, for a
// decoder, writes the spectra of its outputs (scaled as the input's: a copy gives the input).
class StftFrameProcessor {
public:
    virtual ~StftFrameProcessor() = default;
    virtual void ProcessFrame(const fftw_complex* const in[4], fftw_complex* const out[]) = 0;
};

class BFormatStft {
public:
    static constexpr int kInputs = 4;
    static constexpr int kMaxOutputs = 8;
    static constexpr int kMinFrameLength = 64;

    BFormatStft() = default;
    BFormatStft(const BFormatStft&) = delete;
    BFormatStft& operator=(const BFormatStft&) = delete;

    // The frame length for `sampleRate` (Hz): the power of two nearest above 21.3 ms.
    static int FrameLengthFor(int sampleRate);

    // Sizes everything for frames of `frameLength` samples (a power of two, at least
    // kMinFrameLength) and `outputs` outputs (0 .. kMaxOutputs), plans the transforms and
    // clears the memory. 0, kBadParameter, kOutOfMemory or kFftSetupFailed.
    int Configure(int frameLength, int outputs);

    // Forgets the past input and output (the start of a new stream).
    void Reset();

    // Feeds the next `frames` frames of in[0..3] (W, X, Y, Z); out[0 .. outputs-1] receive as
    // many output frames, Latency() behind the input (out may be null without outputs).
    void Process(const double* const in[kInputs], double* const out[], std::int64_t frames,
                 StftFrameProcessor& processor);

    // The spectrum (all bins) of taps[0 .. count-1] followed by zeros (a longer filter is cut
    // to the transform's length): filters for a processor, through the configured plan.
    // `spectrum` must come from fftw_malloc (FftwArray).
    void Transform(const double* taps, int count, fftw_complex* spectrum);

    int FrameLength() const { return m_frameLength; }
    int Hop() const { return m_frameLength / 2; }
    int Room() const { return m_frameLength / 2; }
    int TransformLength() const { return m_frameLength + Room(); }
    int Bins() const { return TransformLength() / 2 + 1; }
    int Outputs() const { return m_outputs; }
    std::int64_t Latency() const { return m_frameLength; }
    // Sum of the squared window: the energy a bin of unit-variance white noise has on average.
    double WindowEnergy() const { return 3.0 * m_frameLength / 8.0; }

private:
    void RunFrame(StftFrameProcessor& processor);

    int m_frameLength = 0;
    int m_outputs = 0;
    int m_filled = 0;  // input samples of the current hop so far
    FftwArray<double> m_window;
    FftwArray<double> m_history[kInputs];  // the last N input samples
    FftwArray<double> m_frame;             // a windowed frame and its zeros, TransformLength()
    FftwArray<double> m_result;            // an output frame, TransformLength()
    FftwArray<fftw_complex> m_spectra[kInputs];
    FftwArray<fftw_complex> m_outputSpectra[kMaxOutputs];
    FftwArray<double> m_sums[kMaxOutputs];   // overlap-add of the output frames, a ring of TransformLength()
    int m_sumsStart = 0;                     // where in the rings the current frame starts
    FftwArray<double> m_ready[kMaxOutputs];  // the hop of output being handed out
    FftwPlan m_forward;
    FftwPlan m_inverse;
};

}  // namespace vq
