#include "decoders/DecoderHarness.h"

#include <algorithm>
#include <cmath>

namespace vqtest {

Outputs RunDecoder(vq::BFormatDecoder& decoder, const WXYZ& input, int rate, const std::vector<std::int64_t>& blocks)
{
    const std::int64_t frames = static_cast<std::int64_t>(input[0].size());
    const std::int64_t longest = *std::max_element(blocks.begin(), blocks.end());
    EXPECT_EQ(decoder.Prepare(rate, longest), 0);
    const std::int64_t latency = decoder.LatencyFrames();
    const int channels = decoder.OutputChannels();

    // The input followed by `latency` frames of silence, decoded into full-length outputs.
    const std::int64_t total = frames + latency;
    WXYZ padded = input;
    for (Signal& s : padded)
        s.resize(static_cast<std::size_t>(total), 0.0);
    Outputs decoded(static_cast<std::size_t>(channels), Signal(static_cast<std::size_t>(total)));
    std::size_t next = 0;
    for (std::int64_t start = 0; start < total;) {
        const std::int64_t count = std::min(blocks[next++ % blocks.size()], total - start);
        const double* in[4];
        for (int k = 0; k < 4; ++k)
            in[k] = padded[k].data() + start;
        std::vector<double*> out(static_cast<std::size_t>(channels));
        for (int c = 0; c < channels; ++c)
            out[c] = decoded[c].data() + start;
        decoder.Decode(in, out.data(), count);
        start += count;
    }
    for (Signal& s : decoded)
        s.erase(s.begin(), s.begin() + latency);
    return decoded;
}

WXYZ PlaneWaves(const std::vector<double>& degrees, double s)
{
    WXYZ wave;
    for (double d : degrees) {
        const double a = d * kPi / 180.0;
        wave[0].push_back(s / std::sqrt(2.0));
        wave[1].push_back(s * std::cos(a));
        wave[2].push_back(s * std::sin(a));
        wave[3].push_back(0.0);
    }
    return wave;
}

WXYZ NoiseWXYZ(std::int64_t frames, unsigned seed)
{
    return {Noise(frames, seed), Noise(frames, seed + 1), Noise(frames, seed + 2), Noise(frames, seed + 3)};
}

double AngleBetween(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

}  // namespace vqtest
