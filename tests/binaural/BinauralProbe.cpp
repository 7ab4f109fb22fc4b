#include "binaural/BinauralProbe.h"

#include <algorithm>
#include <cmath>

namespace vqtest {

std::array<double, 3> Direction(double azimuthDeg, double elevationDeg)
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = elevationDeg * kPi / 180.0;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

std::array<Signal, 4> PlaneWaveImpulse(double azimuthDeg, double elevationDeg, std::int64_t frames, std::int64_t at)
{
    const std::array<double, 3> v = Direction(azimuthDeg, elevationDeg);
    std::array<Signal, 4> b;
    for (Signal& s : b)
        s.assign(static_cast<std::size_t>(frames), 0.0);
    const std::size_t i = static_cast<std::size_t>(at);
    b[0][i] = 1.0 / std::sqrt(2.0);
    b[1][i] = v[0];
    b[2][i] = v[1];
    b[3][i] = v[2];
    return b;
}

std::array<Signal, 4> NoiseBFormat(std::int64_t frames, unsigned seed)
{
    return {Noise(frames, seed), Noise(frames, seed + 1), Noise(frames, seed + 2), Noise(frames, seed + 3)};
}

std::array<Signal, 2> DecodeInBlocks(vq::BFormatDecoder& decoder, const std::array<Signal, 4>& bformat,
                                     const std::vector<std::int64_t>& blocks)
{
    const std::int64_t frames = static_cast<std::int64_t>(bformat[0].size());
    std::array<Signal, 2> out{Signal(bformat[0].size()), Signal(bformat[0].size())};
    std::size_t next = 0;
    for (std::int64_t done = 0; done < frames;) {
        std::int64_t count = frames - done;
        if (!blocks.empty()) {
            count = std::min(count, blocks[next]);
            next = (next + 1) % blocks.size();
        }
        const double* in[4];
        for (int k = 0; k < 4; ++k)
            in[k] = bformat[static_cast<std::size_t>(k)].data() + done;
        double* o[2] = {out[0].data() + done, out[1].data() + done};
        decoder.Decode(in, o, count);
        done += count;
    }
    return out;
}

std::complex<double> Dtft(const Signal& x, double hz, double rate)
{
    const double w = 2.0 * kPi * hz / rate;
    std::complex<double> sum = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n)
        sum += x[n] * std::polar(1.0, -w * static_cast<double>(n));
    return sum;
}

double BandEnergy(const Signal& x, double lowHz, double highHz, double rate, int points)
{
    double sum = 0.0;
    for (int i = 0; i < points; ++i)
        sum += std::norm(Dtft(x, lowHz + (highHz - lowHz) * i / (points - 1), rate));
    return sum / points;
}

double Decibels(double energyRatio)
{
    return 10.0 * std::log10(energyRatio);
}

}  // namespace vqtest
