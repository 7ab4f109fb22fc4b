#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vqtest {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vqtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> OutputNames(const TempDir& dir, int fileCount)
{
    std::vector<std::string> names;
    for (int i = 0; i < fileCount; ++i)
        names.push_back(dir.File("out" + std::to_string(i) + ".wav"));
    return names;
}

void LimitFileSize(std::uint64_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

Signal Audio::Channel(int c) const
{
    Signal out;
    if (info.channels <= 0)
        return out;
    for (std::size_t i = static_cast<std::size_t>(c); i < samples.size(); i += static_cast<std::size_t>(info.channels))
        out.push_back(samples[i]);
    return out;
}

void WriteChannels(const std::string& path, const std::vector<Signal>& channels, int rate, int format)
{
    WriteChannelsWithBext(path, channels, nullptr, rate, format);
}

void WriteTimedChannels(const std::string& path, const std::vector<Signal>& channels, std::uint64_t timeReference,
                        int rate, int format)
{
    SF_BROADCAST_INFO bext{};
    std::snprintf(bext.description, sizeof bext.description, "%s", "a field recorder's take");
    bext.time_reference_low = static_cast<std::uint32_t>(timeReference & 0xFFFFFFFFu);
    bext.time_reference_high = static_cast<std::uint32_t>(timeReference >> 32);
    WriteChannelsWithBext(path, channels, &bext, rate, format);
}

void WriteChannelsWithBext(const std::string& path, const std::vector<Signal>& channels, const SF_BROADCAST_INFO* bext,
                           int rate, int format)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = static_cast<int>(channels.size());
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr) << " " << path;
    if (bext) {
        ASSERT_EQ(sf_command(file, SFC_SET_BROADCAST_INFO, const_cast<SF_BROADCAST_INFO*>(bext), sizeof *bext),
                  SF_TRUE);
    }
    const std::size_t frames = channels.front().size();
    std::vector<double> interleaved(frames * channels.size());
    for (std::size_t i = 0; i < frames; ++i)
        for (std::size_t c = 0; c < channels.size(); ++c)
            interleaved[i * channels.size() + c] = channels[c][i];
    EXPECT_EQ(sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames)),
              static_cast<sf_count_t>(frames));
    sf_close(file);
}

Audio ReadAudio(const std::string& path)
{
    Audio audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
    EXPECT_NE(file, nullptr) << "cannot read " << path << ": " << sf_strerror(nullptr);
    if (!file)
        return audio;
    audio.samples.resize(static_cast<std::size_t>(audio.info.frames * audio.info.channels));
    EXPECT_EQ(sf_readf_double(file, audio.samples.data(), audio.info.frames), audio.info.frames);
    sf_close(file);
    return audio;
}

Signal Noise(std::int64_t frames, unsigned seed, double amplitude)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    Signal s(static_cast<std::size_t>(frames));
    for (double& v : s)
        v = uniform(generator);
    return s;
}

Signal DirectConvolution(const Signal& x, const Signal& h)
{
    if (x.empty() || h.empty())
        return {};
    Signal y(x.size() + h.size() - 1, 0.0);
    for (std::size_t n = 0; n < x.size(); ++n)
        for (std::size_t m = 0; m < h.size(); ++m)
            y[n + m] += x[n] * h[m];
    return y;
}

FilterMatrix RandomFilterMatrix(int taps, unsigned seed)
{
    FilterMatrix filters;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            filters[k][j] = Noise(taps, seed + 16 * k + j, 0.3);
    return filters;
}

void WriteFilterMatrix(const std::string& path, const FilterMatrix& filters, int rate, int format)
{
    const std::size_t taps = filters[0][0].size();
    std::vector<Signal> channels(4, Signal(4 * taps));
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            std::copy(filters[k][j].begin(), filters[k][j].end(), channels[j].begin() + k * taps);
    WriteChannels(path, channels, rate, format);
}

std::array<Signal, 4> ExpectedOutputs(const std::array<Signal, 4>& inputs, const FilterMatrix& filters, double gain,
                                      std::int64_t frames)
{
    std::array<Signal, 4> out;
    for (int j = 0; j < 4; ++j) {
        out[j].assign(static_cast<std::size_t>(frames), 0.0);
        for (int k = 0; k < 4; ++k) {
            const Signal part = DirectConvolution(inputs[k], filters[k][j]);
            for (std::size_t n = 0; n < part.size() && n < out[j].size(); ++n)
                out[j][n] += gain * part[n];
        }
    }
    return out;
}

void WriteNoiseFile(const std::string& path, int channels, std::int64_t frames, unsigned seed, double amplitude,
                    int format)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path;
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> piece(static_cast<std::size_t>(65536 * channels));
    for (std::int64_t done = 0; done < frames; done += 65536) {
        const std::int64_t n = std::min<std::int64_t>(65536, frames - done);
        for (std::int64_t i = 0; i < n * channels; ++i)
            piece[static_cast<std::size_t>(i)] = uniform(generator);
        ASSERT_EQ(sf_writef_double(file, piece.data(), n), n);
    }
    sf_close(file);
}

void WriteAFormat(const std::string& front, const std::string& rear, const std::array<Signal, 4>& capsules, int rate,
                  int format)
{
    WriteChannels(front, {capsules[0], capsules[1]}, rate, format);
    WriteChannels(rear, {capsules[2], capsules[3]}, rate, format);
}

std::array<Signal, 4> FromDirection(const Signal& s, double azimuthDeg, double elevationDeg)
{
    const double az = azimuthDeg * M_PI / 180.0, el = elevationDeg * M_PI / 180.0;
    const double gains[4] = {1.0 / std::sqrt(2.0), std::cos(az) * std::cos(el), std::sin(az) * std::cos(el),
                             std::sin(el)};
    std::array<Signal, 4> wxyz;
    for (int k = 0; k < 4; ++k) {
        wxyz[k].resize(s.size());
        for (std::size_t n = 0; n < s.size(); ++n)
            wxyz[k][n] = gains[k] * s[n];
    }
    return wxyz;
}

double MaxAbsDifference(const Signal& a, const Signal& b)
{
    if (a.size() != b.size())
        return INFINITY;
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

namespace {

std::vector<unsigned char> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::vector<unsigned char> FormatChunk(const std::string& path)
{
    const std::vector<unsigned char> b = Bytes(path);
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t size = b[at + 4] | b[at + 5] << 8 | b[at + 6] << 16 | std::size_t(b[at + 7]) << 24;
        if (std::memcmp(&b[at], "fmt ", 4) == 0)
            return std::vector<unsigned char>(b.begin() + at + 8, b.begin() + at + 8 + size);
        at += 8 + size + (size & 1);
    }
    return {};
}

unsigned ChannelMask(const std::string& path)
{
    const std::vector<unsigned char> f = FormatChunk(path);
    EXPECT_GE(f.size(), 40u) << path << " is no WAVE-EX file";
    if (f.size() < 40)
        return 0xFFFFFFFF;
    return f[20] | f[21] << 8 | f[22] << 16 | unsigned(f[23]) << 24;
}

Signal LowPass120(const Signal& x, int rate)
{
    constexpr double kPi = 3.141592653589793;
    const double w0 = 2.0 * kPi * 120.0 / rate;
    const double alpha = std::sin(w0) / (2.0 * std::sqrt(0.5));
    const double a0 = 1.0 + alpha;
    const double b0 = (1.0 - std::cos(w0)) / 2.0 / a0, b1 = (1.0 - std::cos(w0)) / a0, b2 = b0;
    const double a1 = -2.0 * std::cos(w0) / a0, a2 = (1.0 - alpha) / a0;
    Signal y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        y[n] = b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x[n];
        y2 = y1;
        y1 = y[n];
    }
    return y;
}

double FittedAmplitude(const Signal& s, std::size_t from, double cycles)
{
    constexpr double kPi = 3.141592653589793;
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (std::size_t n = from; n < s.size(); ++n) {
        const double sn = std::sin(2 * kPi * cycles * n), cn = std::cos(2 * kPi * cycles * n);
        ss += sn * sn;
        sc += sn * cn;
        cc += cn * cn;
        ys += s[n] * sn;
        yc += s[n] * cn;
    }
    const double det = ss * cc - sc * sc;
    return std::hypot((ys * cc - yc * sc) / det, (yc * ss - ys * sc) / det);
}

}  // namespace vqtest
