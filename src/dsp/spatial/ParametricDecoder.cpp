#include "spatial/ParametricDecoder.h"

#include "common/EngineStatus.h"
#include "spatial/Decorrelators.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vq {

namespace {

constexpr double kSqrtTwo = 1.4142135623730951;
constexpr double kPi = 3.14159265358979323846;
// The filters' tails beyond this share of their energy may wrap around in a frame.
constexpr double kNegligibleTail = 1e-8;

// The taps that hold all but kNegligibleTail (-80 dB) of the energy of the longest filter.
int EffectiveLength(const std::vector<double> (&taps)[4][ParametricDecoder::kMaxChannels], int channels)
{
    int longest = 1;
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < channels; ++c) {
            const std::vector<double>& t = taps[k][c];
            double total = 0.0;
            for (double v : t)
                total += v * v;
            double tail = 0.0;
            std::size_t length = t.size();
            while (length > 0 && tail + t[length - 1] * t[length - 1] <= kNegligibleTail * total) {
                tail += t[length - 1] * t[length - 1];
                --length;
            }
            longest = std::max(longest, static_cast<int>(length));
        }
    }
    return longest;
}

int NextPowerOfTwo(std::int64_t n)
{
    int p = 1;
    while (p < n && p < (1 << 24))
        p *= 2;
    return p;
}

}  // namespace

int ParametricDecoder::PrepareRendering(int sampleRate, std::int64_t maxFrames)
{
    // Blocks go through the transform's own buffers: nothing depends on their length.
    m_prepared = false;
    if (sampleRate <= 0 || maxFrames < 0)
        return kBadParameter;
    try {
        LinearDecode linear;
        int status = DesignLinear(sampleRate, linear);
        if (status == kStatusOk)
            status = Configure(sampleRate, linear);
        if (status == kStatusOk)
            status = PrepareDirect(sampleRate, m_bands, m_stft);
        if (status != kStatusOk)
            return status;
        m_diffuseGains.assign(static_cast<std::size_t>(m_bands.Count() * m_channels), 0.0);
        for (int b = 0; b < m_bands.Count(); ++b)
            DiffuseGains(b, m_diffuseGains.data() + static_cast<std::size_t>(b * m_channels));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_prepared = true;
    return kStatusOk;
}

int ParametricDecoder::Configure(int sampleRate, const LinearDecode& linear)
{
    if (linear.channels != m_channels || m_channels < 1 || m_channels > kMaxChannels || linear.length < 1)
        return kBadParameter;
    // The room after each frame (half the frame, BFormatStft.h) holds the linear decode's
    // filters but for a negligible tail, and the decorrelators' delays; the direct part's
    // delays (a few ms) fit in it too.
    const std::int64_t room =
        std::max<std::int64_t>(EffectiveLength(linear.taps, linear.channels),
                               static_cast<std::int64_t>(std::ceil(2.0 * kDecorrelatorDelaySeconds * sampleRate)));
    const int frameLength = std::max(BFormatStft::FrameLengthFor(sampleRate), NextPowerOfTwo(2 * room));
    if (frameLength != m_stft.FrameLength() || sampleRate != m_sampleRate) {
        m_sampleRate = 0;
        const int status = m_stft.Configure(frameLength, m_channels);
        if (status != kStatusOk)
            return status;
        m_sampleRate = sampleRate;
        const int bins = m_stft.Bins();
        const double binHz = double(sampleRate) / m_stft.TransformLength();
        m_bands.Configure(bins, binHz);

        m_linear.clear();
        m_linear.resize(static_cast<std::size_t>(4 * m_channels));
        m_decorrelators.clear();
        m_decorrelators.resize(static_cast<std::size_t>(m_channels));
        bool ok = m_cardioid.Allocate(static_cast<std::size_t>(bins)) &&
                  m_delayPhases.Allocate(static_cast<std::size_t>(m_stft.TransformLength()) * kDelaySteps);
        for (FftwArray<fftw_complex>& spectrum : m_linear)
            ok = ok && spectrum.Allocate(static_cast<std::size_t>(bins));
        for (FftwArray<fftw_complex>& filter : m_decorrelators)
            ok = ok && filter.Allocate(static_cast<std::size_t>(bins));
        if (!ok)
            throw std::bad_alloc();

        fftw_complex* filters[kMaxChannels];
        for (int c = 0; c < m_channels; ++c)
            filters[c] = m_decorrelators[static_cast<std::size_t>(c)].data();
        DesignDecorrelators(m_channels, bins, binHz, kDecorrelatorDelaySeconds, filters);
        const std::size_t steps = m_delayPhases.size();
        for (std::size_t m = 0; m < steps; ++m) {
            m_delayPhases[m][0] = std::cos(2.0 * kPi * double(m) / double(steps));
            m_delayPhases[m][1] = -std::sin(2.0 * kPi * double(m) / double(steps));
        }
    } else {
        m_stft.Reset();
    }
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < m_channels; ++c)
            m_stft.Transform(linear.taps[k][c].data(), linear.length,
                             m_linear[static_cast<std::size_t>(k * m_channels + c)].data());
    m_analysis.Configure(m_bands, double(m_stft.Hop()) / sampleRate);
    m_cardioidEnergy.assign(static_cast<std::size_t>(m_bands.Count()), 0.0);
    m_floorPerBin = std::pow(10.0, kFallbackFloorDb / 10.0) * m_stft.WindowEnergy();
    return kStatusOk;
}

void ParametricDecoder::Render(const double* const in[4], double* const rendered[], std::int64_t frames)
{
    if (!m_prepared) {
        for (int c = 0; c < m_channels; ++c)
            std::fill(rendered[c], rendered[c] + frames, 0.0);
        return;
    }
    m_stft.Process(in, rendered, frames, *this);
}

void ParametricDecoder::ProcessFrame(const fftw_complex* const in[4], fftw_complex* const out[])
{
    m_analysis.Update(in);
    for (int b = 0; b < m_bands.Count(); ++b)
        RenderBand(b, in, out);
}

void ParametricDecoder::RenderBand(int band, const fftw_complex* const in[4], fftw_complex* const out[])
{
    const BandEstimate& estimate = m_analysis.Band(band);
    const std::array<double, 3>& u = estimate.direction;
    const int first = m_bands.First(band);
    const int end = m_bands.End(band);
    const fftw_complex* w = in[0];
    const fftw_complex* x = in[1];
    const fftw_complex* y = in[2];
    const fftw_complex* z = in[3];

    // The cardioid aimed at the source, and its energy averaged as the band's own energy is.
    fftw_complex* s = m_cardioid.data();
    double energy = 0.0;
    for (int k = first; k < end; ++k) {
        for (int part = 0; part < 2; ++part)
            s[k][part] = 0.5 * (kSqrtTwo * w[k][part] + u[0] * x[k][part] + u[1] * y[k][part] + u[2] * z[k][part]);
        energy += s[k][0] * s[k][0] + s[k][1] * s[k][1];
    }
    const double a = m_analysis.Smoothing(band);
    double& cardioidEnergy = m_cardioidEnergy[static_cast<std::size_t>(band)];
    cardioidEnergy = a * cardioidEnergy + (1.0 - a) * energy;
    const double own = estimate.ownEnergy;
    const double psi = estimate.diffuseness;
    const double gain = cardioidEnergy > 0.0
                            ? std::min(kMaxDirectGain, std::sqrt((1.0 - psi) * own / cardioidEnergy))
                            : 0.0;
    const double lambda = own / (own + m_floorPerBin * (end - first));

    double gains[kMaxChannels];
    double delays[kMaxChannels];
    DirectRendering(u, band, gains, delays);
    const double* diffuseGains = m_diffuseGains.data() + static_cast<std::size_t>(band * m_channels);
    const double diffuse = lambda * std::sqrt(psi) * kSqrtTwo;  // of W
    const double fallback = 1.0 - lambda;
    // exp(-j 2 pi m / M) for any m: m reduced modulo M through a floating-point quotient (an
    // integer division per lookup would cost more than the rest of the band), corrected by
    // one step where the quotient rounds across a whole number.
    const std::int64_t steps = static_cast<std::int64_t>(m_delayPhases.size());
    const double perStep = 1.0 / static_cast<double>(steps);
    const auto phase = [&](std::int64_t m) -> const fftw_complex& {
        std::int64_t r = m - steps * static_cast<std::int64_t>(std::floor(static_cast<double>(m) * perStep));
        r += r < 0 ? steps : r >= steps ? -steps : 0;
        return m_delayPhases[static_cast<std::size_t>(r)];
    };
    for (int c = 0; c < m_channels; ++c) {
        const double direct = lambda * gain * gains[c];
        const double spread = diffuse * diffuseGains[c];
        const fftw_complex* d = m_decorrelators[static_cast<std::size_t>(c)].data();
        fftw_complex* o = out[c];
        // The delay's phase exp(-j w_k t) from the table at the band's first bin, then turned
        // by exp(-j dw t) from bin to bin.
        const std::int64_t step = std::llround(delays[c] * kDelaySteps);
        const fftw_complex& turn = phase(step);
        const fftw_complex& start = phase(first * step);
        double pr = start[0], pi = start[1];
        for (int k = first; k < end; ++k) {
            // The direct part, the cardioid delayed, and the diffuse part, W decorrelated.
            const double sr = s[k][0] * pr - s[k][1] * pi;
            const double si = s[k][0] * pi + s[k][1] * pr;
            const double wr = w[k][0] * d[k][0] - w[k][1] * d[k][1];
            const double wi = w[k][0] * d[k][1] + w[k][1] * d[k][0];
            o[k][0] = direct * sr + spread * wr;
            o[k][1] = direct * si + spread * wi;
            const double nextReal = pr * turn[0] - pi * turn[1];
            pi = pr * turn[1] + pi * turn[0];
            pr = nextReal;
        }
        if (fallback > kNegligibleFallback)
            AddLinearDecode(c, fallback, first, end, in, o);
    }
}

void ParametricDecoder::AddLinearDecode(int channel, double gain, int first, int end, const fftw_complex* const in[4],
                                        fftw_complex* out) const
{
    for (int input = 0; input < 4; ++input) {
        const fftw_complex* x = in[input];
        const fftw_complex* f = m_linear[static_cast<std::size_t>(input * m_channels + channel)].data();
        for (int k = first; k < end; ++k) {
            out[k][0] += gain * (x[k][0] * f[k][0] - x[k][1] * f[k][1]);
            out[k][1] += gain * (x[k][0] * f[k][1] + x[k][1] * f[k][0]);
        }
    }
}

}  // namespace vq
