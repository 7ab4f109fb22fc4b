#include "surround/SurroundFixture.h"

#include <algorithm>
#include <cmath>

namespace vqtest {

namespace {

constexpr double kPi = 3.141592653589793;


}  // namespace

const char* const kChannelNames[6] = {"L", "R", "C", "LFE", "Ls", "Rs"};

BFormat RandomBFormat(std::int64_t frames, unsigned seed)
{
    return {Noise(frames, seed), Noise(frames, seed + 1), Noise(frames, seed + 2), Noise(frames, seed + 3)};
}

void WriteBFormat(const std::string& path, const BFormat& wxyz, int rate, int format)
{
    WriteChannels(path, {wxyz[0], wxyz[1], wxyz[2], wxyz[3]}, rate, format);
}

FiveOne ReadFiveOne(const std::vector<std::string>& names, int fileCount)
{
    struct Place {
        int file, channel;
    };
    // L, R, C, LFE, Ls, Rs: one file of six; L,R / C,LFE / Ls,Rs; one file each.
    const Place oneFile[6] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}};
    const Place pairs[6] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
    const Place mono[6] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}};
    const Place* places = fileCount == 1 ? oneFile : fileCount == 3 ? pairs : mono;

    std::vector<Audio> files;
    for (int f = 0; f < fileCount; ++f) {
        files.push_back(ReadAudio(names[f]));
        EXPECT_EQ(files.back().info.channels, 6 / fileCount) << names[f];
    }
    FiveOne out;
    for (int k = 0; k < 6; ++k)
        out[k] = files[places[k].file].Channel(places[k].channel);
    return out;
}

FiveOne ExpectedFiveOne(const BFormat& wxyz, const DecodeSettings& s)
{
    const double g = s.gain;
    const double a = s.openingAngle / 2.0 * kPi / 180.0;
    const double b = 0.5 * (0.33329999446868896 * s.openingAngle + 240.0) * kPi / 180.0;
    const double cm = g * 0.6309573650360107;  // -4 dB
    const double rm = g * 0.3162277638912201;  // -10 dB
    const double sqrtHalf = std::sqrt(0.5), sqrtTwo = std::sqrt(2.0);
    const Signal &w = wxyz[0], &x = wxyz[1], &y = wxyz[2];
    const Signal lowW = LowPass120(w, s.rate);
    FiveOne out;
    for (Signal& channel : out)
        channel.resize(w.size());
    for (std::size_t n = 0; n < w.size(); ++n) {
        out[kL][n] = g * (sqrtHalf * w[n] + 0.75 * std::cos(a) * x[n] + 0.75 * std::sin(a) * y[n]);
        out[kR][n] = g * (sqrtHalf * w[n] + 0.75 * std::cos(a) * x[n] - 0.75 * std::sin(a) * y[n]);
        out[kC][n] = cm * (sqrtTwo * w[n] + 0.5 * x[n]);
        out[kLfe][n] = s.lfe ? 0.1 * g * lowW[n] : 0.0;
        out[kLs][n] = rm * (sqrtTwo * w[n] + 0.5 * std::cos(b) * x[n] + 0.5 * std::sin(b) * y[n]);
        out[kRs][n] = rm * (sqrtTwo * w[n] + 0.5 * std::cos(b) * x[n] - 0.5 * std::sin(b) * y[n]);
    }
    return out;
}

FiveOne Scaled(FiveOne channels, double factor)
{
    for (Signal& channel : channels)
        for (double& v : channel)
            v *= factor;
    return channels;
}

void Configure(Surrounder& engine, const std::string& input, const DecodeSettings& s,
               const std::vector<std::string>& outputs)
{
    ASSERT_EQ(engine.OpenInputFile(input), 0);
    engine.m_openingAngle = s.openingAngle;
    engine.m_gain = s.gain;
    engine.m_lowFreqsInLfe = s.lfe;
    for (std::size_t i = 0; i < outputs.size(); ++i)
        engine.m_outputFileNames[i] = outputs[i];
}

}  // namespace vqtest
