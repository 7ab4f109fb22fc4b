#include "demo/SourceSounds.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vq {

namespace {

// Uniform noise in [-1, 1) from mt19937, whose output the C++ standard fixes exactly.
class Noise {
public:
    explicit Noise(unsigned seed) : m_engine(seed) {}
    double Next() { return static_cast<double>(m_engine()) / 2147483648.0 - 1.0; }

private:
    std::mt19937 m_engine;
};

double Seconds(std::int64_t frame, int rate)
{
    return static_cast<double>(frame) / rate;
}

// A falling phrase of Karplus-Strong notes: a noise burst circulating in a loop one
// period long, gently low-passed on every pass.
void PluckedString(int rate, std::vector<double>& out)
{
    const double notes[] = {220.0, 277.18, 329.63, 440.0, 329.63};
    Noise noise(11);
    const std::int64_t spacing = std::lround(0.42 * rate);
    for (std::size_t i = 0; i < std::size(notes); ++i) {
        std::vector<double> loop(static_cast<std::size_t>(std::lround(rate / notes[i])));
        for (double& v : loop)
            v = noise.Next();
        const std::int64_t start = static_cast<std::int64_t>(i) * spacing;
        for (std::int64_t n = start; n < static_cast<std::int64_t>(out.size()); ++n) {
            const std::size_t at = static_cast<std::size_t>(n - start) % loop.size();
            const std::size_t next = (at + 1) % loop.size();
            out[n] += loop[at];
            loop[at] = 0.996 * 0.5 * (loop[at] + loop[next]);
        }
    }
}

// Short knocks on two alternating pieces of wood: two damped modes and a click each.
void WoodKnocks(int rate, std::vector<double>& out)
{
    Noise noise(23);
    const std::int64_t spacing = std::lround(0.27 * rate);
    const std::int64_t ring = std::lround(0.15 * rate);
    for (std::int64_t start = 0, i = 0; start < static_cast<std::int64_t>(out.size()); start += spacing, ++i) {
        const double low = i % 2 ? 700.0 : 620.0;
        const double high = 2.65 * low;
        for (std::int64_t m = 0; m < ring && start + m < static_cast<std::int64_t>(out.size()); ++m) {
            const double t = Seconds(m, rate);
            double v = std::exp(-t / 0.025) * std::sin(2.0 * kPi * low * t) +
                       0.6 * std::exp(-t / 0.012) * std::sin(2.0 * kPi * high * t);
            if (t < 0.002)
                v += 0.5 * noise.Next();
            out[start + m] += v;
        }
    }
}

// Three bell strikes: inharmonic partials, the higher ones dying away sooner.
void Bells(int rate, std::vector<double>& out)
{
    const struct {
        double at, pitch;
    } strikes[] = {{0.0, 523.25}, {0.7, 659.25}, {1.4, 783.99}};
    const double ratio[] = {0.5, 1.0, 1.19, 1.56, 2.0, 2.74};
    const double level[] = {0.6, 1.0, 0.5, 0.4, 0.3, 0.2};
    const double decay[] = {1.5, 1.0, 0.8, 0.6, 0.4, 0.3};
    for (const auto& strike : strikes) {
        const std::int64_t start = std::lround(strike.at * rate);
        for (std::int64_t n = start; n < static_cast<std::int64_t>(out.size()); ++n) {
            const double t = Seconds(n - start, rate);
            for (std::size_t p = 0; p < std::size(ratio); ++p)
                out[n] += level[p] * std::exp(-t / decay[p]) * std::sin(2.0 * kPi * ratio[p] * strike.pitch * t);
        }
    }
}

// Low-passed noise swelling twice, like waves on a beach.
void Surf(int rate, std::vector<double>& out)
{
    Noise noise(37);
    const double smoothing = 1.0 - std::exp(-2.0 * kPi * 900.0 / rate);
    const double length = Seconds(static_cast<std::int64_t>(out.size()), rate);
    double lowPassed = 0.0;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double white = noise.Next();
        lowPassed += smoothing * (white - lowPassed);
        const double swell = std::sin(2.0 * kPi * Seconds(static_cast<std::int64_t>(n), rate) / length);
        out[n] = (lowPassed + 0.1 * white) * swell * swell;
    }
}

// A buzzing harmonic tone with vibrato, band-limited to 16 harmonics.
void Buzz(int rate, std::vector<double>& out)
{
    double phase = 0.0;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = Seconds(static_cast<std::int64_t>(n), rate);
        const double pitch = 150.0 * (1.0 + 0.03 * std::sin(2.0 * kPi * 6.0 * t));
        phase = std::fmod(phase + 2.0 * kPi * pitch / rate, 2.0 * kPi);
        double v = 0.0;
        for (int h = 1; h <= 16; ++h)
            v += std::sin(h * phase) / h;
        out[n] = v;
    }
}

}  // namespace

std::vector<double> SynthesizeSound(SourceSound sound, int rate, std::int64_t frames)
{
    std::vector<double> out(static_cast<std::size_t>(std::max<std::int64_t>(frames, 0)), 0.0);
    switch (sound) {
    case SourceSound::PluckedString:
        PluckedString(rate, out);
        break;
    case SourceSound::WoodKnocks:
        WoodKnocks(rate, out);
        break;
    case SourceSound::Bells:
        Bells(rate, out);
        break;
    case SourceSound::Surf:
        Surf(rate, out);
        break;
    case SourceSound::Buzz:
        Buzz(rate, out);
        break;
    }
    // Fade in and out over 20 ms and 250 ms so that nothing starts or stops with a click.
    const std::size_t fadeIn = std::min(out.size(), static_cast<std::size_t>(0.02 * rate));
    const std::size_t fadeOut = std::min(out.size(), static_cast<std::size_t>(0.25 * rate));
    for (std::size_t n = 0; n < fadeIn; ++n)
        out[n] *= std::pow(std::sin(0.5 * kPi * n / fadeIn), 2);
    for (std::size_t n = 0; n < fadeOut; ++n)
        out[out.size() - 1 - n] *= std::pow(std::sin(0.5 * kPi * n / fadeOut), 2);
    double peak = 0.0;
    for (double v : out)
        peak = std::max(peak, std::fabs(v));
    if (peak > 0.0)
        for (double& v : out)
            v /= peak;
    return out;
}

}  // namespace vq
