#include "movie/MovieFixture.h"

#include "common/EngineStatus.h"
#include "support/TestAudio.h"

#include <algorithm>
#include <cmath>

namespace vqtest {

std::vector<double> PlaneWave(std::int64_t frames, double azimuth, double elevation, bool headLocked, unsigned seed)
{
    const double az = azimuth * M_PI / 180.0, el = elevation * M_PI / 180.0;
    const double gains[4] = {1.0, std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)};
    const Signal source = Noise(frames, seed, 0.4);
    const Signal left = Noise(frames, seed + 1, 0.2), right = Noise(frames, seed + 2, 0.2);
    const int channels = headLocked ? 6 : 4;
    std::vector<double> samples(static_cast<std::size_t>(frames * channels));
    for (std::int64_t n = 0; n < frames; ++n) {
        double* frame = &samples[static_cast<std::size_t>(n * channels)];
        for (int c = 0; c < 4; ++c)
            frame[c] = gains[c] * source[static_cast<std::size_t>(n)];
        if (headLocked) {
            frame[4] = left[static_cast<std::size_t>(n)];
            frame[5] = right[static_cast<std::size_t>(n)];
        }
    }
    return samples;
}

std::vector<int> LeftJustified(const std::vector<double>& samples, int bits)
{
    const double scale = std::ldexp(1.0, bits - 1);
    std::vector<int> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double value = std::clamp(std::nearbyint(samples[i] * scale), -scale, scale - 1);
        out[i] = static_cast<int>(value) * (1 << (32 - bits));
    }
    return out;
}

int WriteMovie(const std::string& path, const vq::MovieOptions& options, const std::vector<double>& samples,
               std::int64_t block, vq::FailureDetail* detail, std::string* note)
{
    vq::MovieWriter writer;
    int status = writer.Open(path, options, detail);
    const int channels = writer.Channels();
    const int bits = vq::MovieCodecInfo(options.codec).integerBits;
    const std::vector<int> integers = bits > 0 ? LeftJustified(samples, bits) : std::vector<int>();
    const std::int64_t frames = static_cast<std::int64_t>(samples.size()) / channels;
    for (std::int64_t at = 0; at < frames && status == vq::kStatusOk; at += block) {
        const std::int64_t count = std::min(block, frames - at);
        const std::size_t from = static_cast<std::size_t>(at * channels);
        status = bits > 0 ? writer.WriteIntegers(&integers[from], count, detail)
                          : writer.Write(&samples[from], count, detail);
    }
    if (status == vq::kStatusOk)
        status = writer.Finish(detail);
    if (note)
        *note = writer.Note();
    return status;
}

vq::MovieOptions Options(vq::MovieCodec codec, bool headLocked)
{
    vq::MovieOptions options;
    options.codec = codec;
    options.container = vq::MovieCodecInfo(codec).container;
    options.headLocked = headLocked;
    return options;
}

}  // namespace vqtest
