// The band-limited interpolation kernel behind fractional delays and sample-rate changes of
// impulse responses: a sinc low-pass windowed by a Kaiser window (beta 9: stop band about
// 90 dB down). With the cutoff at 0.45 of the lower rate and 32 zero crossings on each
// side, the response is flat to within 1e-4 up to 0.41 of that rate (19.7 kHz at 48 kHz).
#pragma once

namespace vq {

class SincKernel {
public:
    static constexpr double kCutoff = 0.45;    // of the lower of the two rates
    static constexpr int kZeroCrossings = 32;  // on each side of the centre

    // `cutoff` in cycles per input sample (0 < cutoff <= 0.5).
    explicit SincKernel(double cutoff = kCutoff);

    // The kernel at `t` input samples from its centre; 0 beyond HalfWidth(). Its samples
    // at any fractional offset add up to about 1 (unit gain at low frequencies).
    double operator()(double t) const;

    // Input samples on each side of the centre where the kernel is not zero.
    double HalfWidth() const { return m_halfWidth; }

private:
    double m_cutoff;
    double m_halfWidth;
    double m_windowScale;  // 1 / I0(beta)
};

}  // namespace vq
