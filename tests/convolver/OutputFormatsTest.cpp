// The files a conversion writes as recordists' tools expect them: a take in one 4-channel
// file, the AmbiX convention, .amb headers, channel masks, every container, rounding and
// dither of integer samples, and the high-pass.
#include "convolver/ConvolverFixture.h"

#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr int kFloatWav = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
constexpr double kPi = 3.141592653589793;

// The four capsules of a recording in one 4-channel file, channel c holding capsule order[c].
std::string WriteWholeTake(const TempDir& dir, const Recording& rec, const std::array<int, 4>& order)
{
    std::vector<Signal> channels;
    for (int capsule : order)
        channels.push_back(rec.capsules[capsule]);
    const std::string path = dir.File("take.wav");
    WriteChannels(path, channels);
    return path;
}

// Runs the engine on `inputs` into `names`; the engine is set up by `arrange`.
template <typename Arrange>
void Convert(const std::vector<std::string>& inputs, const std::string& matrix, int fileCount,
             const std::vector<std::string>& names, Arrange arrange)
{
    QConvolver engine(fileCount);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        ASSERT_EQ(engine.OpenInputFile(inputs[i].c_str(), static_cast<int>(i)), 0);
    ASSERT_EQ(engine.LoadFilterMatrix(matrix.c_str()), 0);
    for (std::size_t i = 0; i < names.size(); ++i)
        engine.SetOutputFileName(static_cast<int>(i), names[i]);
    engine.m_outputInfo.format = kFloatWav;
    arrange(engine);
    ASSERT_EQ(engine.Run(), 0) << engine.m_failure.path << ": " << engine.m_failure.reason;
}

void NoChange(QConvolver&) {}

TEST(OutputFormats, AWholeTakeInOneFileEqualsTheSameCapsulesInTwoStereoFiles)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 30000, 40, 3);
    // A recorder that writes FRD, FLU, BRU, BLD: the capsule order names the channel of each.
    const std::string take = WriteWholeTake(dir, rec, {1, 0, 3, 2});
    for (int files : {1, 2, 4}) {
        const auto pair = OutputNames(dir, files);
        std::vector<std::string> whole;
        for (int i = 0; i < files; ++i)
            whole.push_back(dir.File("whole" + std::to_string(i) + ".wav"));
        Convert({rec.front, rec.rear}, rec.matrix, files, pair, NoChange);
        Convert({take}, rec.matrix, files, whole, [](QConvolver& e) {
            const int channels[4] = {1, 0, 3, 2};  // FLU is channel 1, FRD channel 0, ...
            std::copy(channels, channels + 4, e.m_capsuleChannels);
        });
        for (int i = 0; i < files; ++i)
            EXPECT_EQ(ReadAudio(whole[i]).samples, ReadAudio(pair[i]).samples) << files << " files, file " << i;
    }
}

TEST(OutputFormats, AmbiXIsFuMaInAcnOrderWithWTimesRootTwo)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 20000, 32, 5);
    Convert({rec.front, rec.rear}, rec.matrix, 1, {dir.File("fuma.wav")}, NoChange);
    const Audio fuma = ReadAudio(dir.File("fuma.wav"));
    const Signal w = fuma.Channel(0), x = fuma.Channel(1), y = fuma.Channel(2), z = fuma.Channel(3);
    Signal w2(w.size());
    for (std::size_t n = 0; n < w.size(); ++n)
        w2[n] = std::sqrt(2.0) * w[n];

    Convert({rec.front, rec.rear}, rec.matrix, 1, {dir.File("ambix.wav")},
            [](QConvolver& e) { e.m_convention = vq::BFormatConvention::AmbiX; });
    const Audio one = ReadAudio(dir.File("ambix.wav"));
    const std::array<const Signal*, 4> acn = {&w2, &y, &z, &x};
    for (int c = 0; c < 4; ++c)
        EXPECT_LT(MaxAbsDifference(one.Channel(c), *acn[c]), 1e-6) << "ACN " << c;

    const auto mono = OutputNames(dir, 4);
    Convert({rec.front, rec.rear}, rec.matrix, 4, mono,
            [](QConvolver& e) { e.m_convention = vq::BFormatConvention::AmbiX; });
    for (int c = 0; c < 4; ++c)
        EXPECT_LT(MaxAbsDifference(ReadAudio(mono[c]).Channel(0), *acn[c]), 1e-6) << "mono ACN " << c;

    QConvolver pairs(2);
    OpenRecording(pairs, rec, OutputNames(dir, 2));
    pairs.m_convention = vq::BFormatConvention::AmbiX;
    EXPECT_EQ(pairs.Run(), vq::kBadParameter) << "the stereo pairs are Furse-Malham only";
}

TEST(OutputFormats, HeadersSayWhatTheFilesHold)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 2000, 16, 7);
    // B-format is no loudspeaker feed: no speaker mask, whatever the layout.
    for (int files : {1, 2, 4}) {
        const auto names = OutputNames(dir, files);
        Convert({rec.front, rec.rear}, rec.matrix, files, names, NoChange);
        for (const std::string& name : names)
            EXPECT_EQ(ChannelMask(name), 0u) << files << " files: " << name;
    }
    // .amb: the Ambisonic B-format sub-format GUID {00000001-0721-11D3-8644-C8C1CA000000}
    // (00000003-... for float samples).
    for (const int format : {SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, kFloatWav}) {
        const std::string amb = dir.File("take.amb");
        Convert({rec.front, rec.rear}, rec.matrix, 1, {amb}, [format](QConvolver& e) {
            e.m_ambisonicHeader = true;
            e.m_outputInfo.format = format;
        });
        const std::vector<unsigned char> f = FormatChunk(amb);
        ASSERT_GE(f.size(), 40u);
        const unsigned char guid[16] = {static_cast<unsigned char>(format == kFloatWav ? 0x03 : 0x01), 0, 0, 0, 0x21, 0x07, 0xD3, 0x11,
                                        0x86, 0x44, 0xC8, 0xC1, 0xCA, 0x00, 0x00, 0x00};
        EXPECT_EQ(std::memcmp(&f[24], guid, 16), 0);
        EXPECT_EQ(ChannelMask(amb), 0u);
    }
}

TEST(OutputFormats, EveryContainerReadsBackWithEveryFrame)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 5000, 24, 9);
    struct Case {
        const char* name;
        int format;
    };
    const Case cases[] = {
        {"a.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24}, {"a.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT},
        {"a.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},   {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases) {
        Convert({rec.front, rec.rear}, rec.matrix, 1, {dir.File(c.name)},
                [&c](QConvolver& e) { e.m_outputInfo.format = c.format; });
        const Audio a = ReadAudio(dir.File(c.name));
        EXPECT_EQ(a.info.frames, 5000 + 24) << c.name;
        EXPECT_EQ(a.info.format, c.format) << c.name;
    }
    QConvolver flacFloat(1);
    OpenRecording(flacFloat, rec, {dir.File("c.flac")});
    flacFloat.m_outputInfo.format = SF_FORMAT_FLAC | SF_FORMAT_FLOAT;
    EXPECT_EQ(flacFloat.Run(), vq::kOutputOpenFailed) << "FLAC holds no float samples";
    EXPECT_FALSE(fs::exists(dir.File("c.flac")));
}

TEST(OutputFormats, SixteenBitOutputsAreRoundedAndDitherIsReproducible)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 40000, 32, 11);
    const auto gain = [](QConvolver& e) { e.m_gain = 0.2; };  // nothing clips
    Convert({rec.front, rec.rear}, rec.matrix, 1, {dir.File("float.wav")}, gain);
    const Signal exact = ReadAudio(dir.File("float.wav")).samples;
    const auto pcm16 = [&](bool dither, const std::string& name) {
        Convert({rec.front, rec.rear}, rec.matrix, 1, {dir.File(name)}, [&](QConvolver& e) {
            gain(e);
            e.m_dither = dither;
            e.m_outputInfo.format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
        });
        return ReadAudio(dir.File(name)).samples;
    };
    const Signal rounded = pcm16(false, "r.wav");
    double sum = 0.0, largest = 0.0;
    for (std::size_t i = 0; i < exact.size(); ++i) {
        // The float file holds the exact value to 24 bits: far finer than 1/32768.
        const double error = (rounded[i] - exact[i]) * 32768.0;
        sum += error;
        largest = std::max(largest, std::fabs(error));
    }
    EXPECT_LT(std::fabs(sum / exact.size()), 0.01) << "mean error in LSB";
    EXPECT_LE(largest, 0.5 + 1e-3) << "largest error in LSB";

    const Signal dithered = pcm16(true, "d1.wav");
    EXPECT_EQ(pcm16(true, "d2.wav"), dithered) << "the same run gives the same dither";
    EXPECT_NE(dithered, rounded);
    double ditherLargest = 0.0;
    for (std::size_t i = 0; i < exact.size(); ++i)
        ditherLargest = std::max(ditherLargest, std::fabs((dithered[i] - exact[i]) * 32768.0));
    EXPECT_LT(ditherLargest, 1.5 + 1e-3) << "triangular dither of +-1 LSB, then rounding";
}

TEST(OutputFormats, TheHighPassTakesTheRumbleOut)
{
    // Identity filters: W carries capsule FLU as it is, so the high-pass acts on known sines.
    TempDir dir;
    const int rate = 48000;
    const std::int64_t frames = 4 * rate;
    FilterMatrix identity;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            identity[k][j] = Signal{k == j ? 1.0 : 0.0};
    WriteFilterMatrix(dir.File("m.wav"), identity);
    for (const double hz : {25.0, 80.0, 1000.0}) {
        Signal sine(frames);
        for (std::int64_t n = 0; n < frames; ++n)
            sine[n] = 0.5 * std::sin(2 * kPi * hz * n / rate);
        WriteAFormat(dir.File("F.wav"), dir.File("R.wav"), {sine, sine, sine, sine});
        Convert({dir.File("F.wav"), dir.File("R.wav")}, dir.File("m.wav"), 4, OutputNames(dir, 4),
                [](QConvolver& e) { e.m_highpassHz = 80.0; });
        const Signal w = ReadAudio(OutputNames(dir, 4)[0]).Channel(0);
        double peak = 0.0;  // steady state: the last second
        for (std::int64_t n = frames - rate; n < frames; ++n)
            peak = std::max(peak, std::fabs(w[n]));
        const double expectedDb = -10.0 * std::log10(1.0 + std::pow(80.0 / hz, 8.0));
        EXPECT_NEAR(20.0 * std::log10(peak / 0.5), expectedDb, 0.1) << hz << " Hz";
    }
}

}  // namespace
