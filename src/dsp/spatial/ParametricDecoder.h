// What the parametric decoders share (directional audio coding): per band of every frame of
// the B-format's short-time spectrum (BFormatStft.h), the direction the sound comes from and
// how diffuse it is (DirectionalAnalysis.h); the direct part rendered as a point source from
// that direction, the diffuse part spread to every channel through decorrelators. A derived
// decoder says how it renders a direction (gains and delays per channel: HRTFs, panning), how
// loud diffuse sound is in each channel, and hands in its linear decode (filters from W, X,
// Y, Z to each channel) for the fallback below.
//
// Per bin k of band b, for channel c (psi the diffuseness, u the direction of band b):
//   direct  = g S(k) a_c(u) exp(-j w_k t_c(u))    a_c, t_c: the channel's gain and delay for u
//   diffuse = sqrt(psi) P(k) d_c(b) D_c(k)         d_c: diffuse-field gain, D_c: decorrelator
//   out     = lambda (direct + diffuse) + (1 - lambda) L_c(k)    L_c: the linear decode
// where
// - P = sqrt(2) W, the pressure, and S = (P + u.V) / 2 (V = (X, Y, Z)), a cardioid aimed at
//   the source: it keeps a plane wave from u as it is and weakens sound from elsewhere in the
//   same band, so that a second source there is not dragged along to u;
// - g = sqrt((1 - psi) <E_b> / <|S|^2_b>), the gain that gives the direct part 1 - psi of
//   the band's energy (E_b and |S|^2 summed over the band's bins, averaged over time as the
//   analysis does);
// - d_c(b): the channel's level for sound from all directions at once (for headphones the
//   HRTFs' diffuse-field magnitude, for loudspeakers an equal share), so the diffuse part
//   carries psi of the energy with the timbre diffuse sound has through this rendering.
//   The decorrelators are all-pass (Decorrelators.h): energy is kept.
//
// Guards against artefacts:
// - g is at most kMaxDirectGain (+6 dB). A diffuse field needs up to +4.8 dB (the cardioid
//   picks up a third of its energy); more means the cardioid misses the sound the estimate
//   calls direct, and lifting it further would only lift noise.
// - The parameters change smoothly: the direction, psi and the energies are time averages
//   (tens of ms, DirectionalAnalysis.h) and every frame's gains are cross-faded into the
//   next by the overlapping windows, so a step in the parameters is spread over 21 ms.
// - lambda = <E_b> / (<E_b> + floor) falls back to the linear decode where the band is near
//   silent (floor: white noise at kFallbackFloorDb re full scale, in the band's bins): there
//   the estimate follows noise, and a direction that jumps about would be heard as warble.
//   Where 1 - lambda is below kNegligibleFallback (-120 dB), the linear decode is left out.
//   Silence decodes to silence; digital silence, DC and a lone click give finite output.
//
// Latency: the outputs lag the B-format by the frame length N (LatencyFrames), which the
// caller removes; after that they line up with the derived decoder's linear decode (whose
// own delays, such as the onset of the HRIRs, are the rendering's too). Deterministic: the
// same input gives the same output bit for bit, whatever the block lengths.
#pragma once

#include "spatial/AnalysisBands.h"
#include "spatial/BFormatStft.h"
#include "spatial/DirectionalAnalysis.h"
#include "surround/BFormatDecoder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vq {

class ParametricDecoder : public BFormatDecoder, private StftFrameProcessor {
public:
    static constexpr int kMaxChannels = BFormatStft::kMaxOutputs;
    static constexpr double kMaxDirectGain = 2.0;
    static constexpr double kFallbackFloorDb = -110.0;
    static constexpr double kNegligibleFallback = 1e-6;
    // Mean delay of the decorrelators (Decorrelators.h): delays from 0 to 10 ms.
    static constexpr double kDecorrelatorDelaySeconds = 0.005;
    // Delays of the direct part are rendered to a quarter of a frame (5 us at 48 kHz).
    static constexpr int kDelaySteps = 4;

    std::int64_t LatencyFrames() const override { return m_stft.Latency(); }
    // The frame length N chosen by the last successful Prepare.
    int FrameLength() const { return m_stft.FrameLength(); }

protected:
    // `channels` (1 .. kMaxChannels): how many channels the derived decoder renders.
    explicit ParametricDecoder(int channels) : m_channels(channels) {}

    // The linear decode: taps[k][c] the filter from input k (W, X, Y, Z) to channel c.
    struct LinearDecode {
        int channels = 0;
        int length = 0;
        std::vector<double> taps[4][kMaxChannels];
    };

    // Prepares the analysis and the rendering for `sampleRate` (after the derived class's own
    // checks). 0 or kBadParameter, kOutOfMemory, kFftSetupFailed, or a code of the hooks.
    int PrepareRendering(int sampleRate, std::int64_t maxFrames);
    // Renders the next `frames` frames of in[0..3] into rendered[0 .. channels-1] (zeros
    // unless the last Prepare succeeded).
    void Render(const double* const in[4], double* const rendered[], std::int64_t frames);

    // The linear decode at `sampleRate`, to the channels given to the constructor. Status
    // code; may throw std::bad_alloc.
    virtual int DesignLinear(int sampleRate, LinearDecode& linear) = 0;
    // Anything the direct rendering needs for the bands of `stft` (configured). Status
    // code; may throw std::bad_alloc.
    virtual int PrepareDirect(int sampleRate, const AnalysisBands& bands, BFormatStft& stft) = 0;
    // Gains and delays (in frames, >= 0) of every channel for direct sound of `band` from
    // `direction` (a unit vector). Allocates nothing.
    virtual void DirectRendering(const std::array<double, 3>& direction, int band, double gains[],
                                 double delays[]) const = 0;
    // Gains of every channel for diffuse sound in `band`: their squares add up to the energy
    // that a diffuse field of unit pressure gives over the channels (after PrepareDirect).
    virtual void DiffuseGains(int band, double gains[]) const = 0;

private:
    int Configure(int sampleRate, const LinearDecode& linear);
    void ProcessFrame(const fftw_complex* const in[4], fftw_complex* const out[]) override;
    void RenderBand(int band, const fftw_complex* const in[4], fftw_complex* const out[]);
    // Adds `gain` times the linear decode of bins first .. end-1 to `out` of `channel`.
    void AddLinearDecode(int channel, double gain, int first, int end, const fftw_complex* const in[4],
                         fftw_complex* out) const;

    BFormatStft m_stft;
    AnalysisBands m_bands;
    DirectionalAnalysis m_analysis;
    const int m_channels;
    int m_sampleRate = 0;
    bool m_prepared = false;
    double m_floorPerBin = 0.0;
    std::vector<FftwArray<fftw_complex>> m_linear;  // [input * channels + channel][bin]
    std::vector<FftwArray<fftw_complex>> m_decorrelators;
    std::vector<double> m_diffuseGains;  // [band * channels + channel]
    FftwArray<fftw_complex> m_delayPhases;  // exp(-j 2 pi m / M), M = transform length x kDelaySteps
    FftwArray<fftw_complex> m_cardioid;     // S of the current frame's bins
    std::vector<double> m_cardioidEnergy;   // <|S|^2> per band
};

}  // namespace vq
