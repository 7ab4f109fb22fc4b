// Loudness of outputs: the EBU Tech 3341 reference tone, BS.1770's channel weights against a
// closed form, agreement with FFmpeg's ebur128 filter, and the normalising gain that keeps
// the true-peak ceiling.
#include "common/EngineStatus.h"
#include "deliver/LoudnessMeter.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace vqtest;

namespace {

constexpr int kRate = 48000;
const double kPi = std::acos(-1.0);

Signal Sine(double frequency, double amplitude, double seconds, int rate = kRate)
{
    Signal s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t n = 0; n < s.size(); ++n)
        s[n] = amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / rate);
    return s;
}

double FromDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

vq::Loudness Measure(const std::vector<Signal>& channels, const std::vector<vq::LoudnessRole>& roles,
                     std::size_t block = 1000, int rate = kRate)
{
    vq::LoudnessMeter meter;
    EXPECT_EQ(meter.Prepare(rate, roles), vq::kStatusOk);
    const std::size_t frames = channels.front().size();
    std::vector<const double*> pointers(channels.size());
    for (std::size_t done = 0; done < frames; done += block) {
        for (std::size_t c = 0; c < channels.size(); ++c)
            pointers[c] = channels[c].data() + done;
        EXPECT_EQ(meter.Add(pointers.data(), static_cast<std::int64_t>(std::min(block, frames - done))), vq::kStatusOk);
    }
    vq::Loudness loudness;
    EXPECT_EQ(meter.Result(&loudness), vq::kStatusOk);
    return loudness;
}

// |H|^2 of BS.1770's K-weighting (the shelf, then the RLB high-pass) at 48 kHz, from the
// coefficients the recommendation lists.
double KWeightingPower(double frequency)
{
    const std::complex<double> z = std::polar(1.0, -2.0 * kPi * frequency / kRate);  // z^-1
    auto biquad = [&](double b0, double b1, double b2, double a1, double a2) {
        return (b0 + b1 * z + b2 * z * z) / (1.0 + a1 * z + a2 * z * z);
    };
    const std::complex<double> h = biquad(1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241,
                                          0.73248077421585) *
                                   biquad(1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621);
    return std::norm(h);
}

TEST(Loudness, Tech3341Case1ReferenceToneReadsMinus23)
{
    // Stereo 1 kHz sine at -23 dBFS in both channels, 20 s.
    const Signal tone = Sine(1000.0, FromDb(-23.0), 20.0);
    const vq::Loudness loudness = Measure({tone, tone}, vq::StereoRoles());
    EXPECT_NEAR(loudness.integratedLufs, -23.0, 0.1);
    EXPECT_NEAR(loudness.rangeLu, 0.0, 0.1);
    EXPECT_NEAR(loudness.truePeakDbtp, -23.0, 0.1);
}

TEST(Loudness, FiveOneWeightsAgainstAClosedForm)
{
    // A 1 kHz sine of its own level in each channel: BS.1770 sums G_i |K|^2 A_i^2 / 2 over the
    // channels, G = 1 at the front, 1.41 for the surrounds, the LFE left out.
    const double levels[6] = {-20.0, -26.0, -23.0, -6.0, -29.0, -24.0};
    const double weights[6] = {1.0, 1.0, 1.0, 0.0, 1.41, 1.41};
    std::vector<Signal> channels;
    double power = 0.0;
    for (int c = 0; c < 6; ++c) {
        channels.push_back(Sine(1000.0, FromDb(levels[c]), 5.0));
        power += weights[c] * KWeightingPower(1000.0) * FromDb(levels[c]) * FromDb(levels[c]) / 2.0;
    }
    const vq::Loudness loudness = Measure(channels, vq::FiveOneRoles());
    EXPECT_NEAR(loudness.integratedLufs, -0.691 + 10.0 * std::log10(power), 0.06);
    EXPECT_NEAR(loudness.truePeakDbtp, -6.0, 0.1) << "the LFE counts for the peak";

    // The surround weight alone: the same tone in Ls reads 10 log10 1.41 = 1.49 dB above L.
    const Signal tone = Sine(1000.0, 0.1, 5.0);
    const Signal silence(tone.size(), 0.0);
    const double inL = Measure({tone, silence, silence, silence, silence, silence}, vq::FiveOneRoles()).integratedLufs;
    const double inLs = Measure({silence, silence, silence, silence, tone, silence}, vq::FiveOneRoles()).integratedLufs;
    EXPECT_NEAR(inLs - inL, 10.0 * std::log10(1.41), 0.1);
    EXPECT_TRUE(std::isinf(Measure({silence, silence, silence, tone, silence, silence}, vq::FiveOneRoles()).integratedLufs));
}

TEST(Loudness, BFormatMeasuresWAloneAndEveryChannelForThePeak)
{
    const Signal w = Sine(1000.0, FromDb(-20.0), 5.0);
    const Signal loud = Noise(static_cast<std::int64_t>(w.size()), 3, 0.9);
    const vq::Loudness alone = Measure({w}, {vq::LoudnessRole::Mono});
    const vq::Loudness inBFormat = Measure({w, loud, loud, loud}, vq::SingleChannelRoles(4, 0));
    EXPECT_DOUBLE_EQ(inBFormat.integratedLufs, alone.integratedLufs);
    EXPECT_NEAR(alone.integratedLufs, -0.691 + 10.0 * std::log10(KWeightingPower(1000.0) * FromDb(-20.0) * FromDb(-20.0) / 2.0),
                0.06);
    EXPECT_GT(inBFormat.truePeakDbtp, -1.0);
}

TEST(Loudness, BlockLengthDoesNotChangeTheResult)
{
    std::vector<Signal> channels = {Noise(3 * kRate, 1, 0.3), Noise(3 * kRate, 2, 0.1)};
    for (std::size_t n = 0; n < channels[0].size(); ++n)
        channels[0][n] *= n < channels[0].size() / 2 ? 1.0 : 0.2;
    const vq::Loudness whole = Measure(channels, vq::StereoRoles(), channels[0].size());
    for (const std::size_t block : {1u, 777u, 4097u}) {
        const vq::Loudness pieces = Measure(channels, vq::StereoRoles(), block);
        EXPECT_DOUBLE_EQ(pieces.integratedLufs, whole.integratedLufs) << block;
        EXPECT_DOUBLE_EQ(pieces.rangeLu, whole.rangeLu) << block;
        EXPECT_DOUBLE_EQ(pieces.truePeakDbtp, whole.truePeakDbtp) << block;
    }
}

// A binaural-like test programme: noise whose level steps every second, different in the
// two ears, and a few sharp clicks for the true peak.
std::vector<Signal> Programme(double seconds)
{
    const double steps[] = {-12.0, -30.0, -18.0, -24.0, -9.0, -40.0, -15.0, -21.0};
    std::vector<Signal> ears = {Noise(static_cast<std::int64_t>(seconds * kRate), 11, 1.0),
                                Noise(static_cast<std::int64_t>(seconds * kRate), 12, 1.0)};
    for (std::size_t n = 0; n < ears[0].size(); ++n) {
        const std::size_t second = n / kRate;
        ears[0][n] *= FromDb(steps[second % 8]);
        ears[1][n] *= FromDb(steps[(second + 3) % 8] - 4.0);
    }
    for (std::size_t n = kRate / 3; n < ears[0].size(); n += 2 * kRate)
        ears[1][n] = 0.95;
    return ears;
}

double SummaryValue(const std::string& summary, const std::string& label)
{
    const std::size_t at = summary.find(label);
    return at == std::string::npos ? NAN : std::atof(summary.c_str() + at + label.size());
}

TEST(Loudness, AgreesWithFfmpegsEbur128Filter)
{
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    TempDir dir;
    const std::string path = dir.File("binaural.wav");
    WriteChannels(path, Programme(12.0), kRate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const Audio written = ReadAudio(path);  // what FFmpeg reads: the samples rounded to float
    const vq::Loudness ours = Measure({written.Channel(0), written.Channel(1)}, vq::StereoRoles());

    const std::string command = "ffmpeg -nostats -hide_banner -i '" + path + "' -af ebur128=peak=true -f null - 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string log;
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe.get()))
        log += line;
    const std::size_t summaryAt = log.find("Summary:");
    ASSERT_NE(summaryAt, std::string::npos) << log.substr(0, 2000);
    const std::string summary = log.substr(summaryAt);
    // FFmpeg prints one decimal. The loudness range depends on how often each meter takes
    // a short-term value (EBU Tech 3342 allows steps up to 1 s, and a tolerance of 1 LU).
    EXPECT_NEAR(ours.integratedLufs, SummaryValue(summary, "I:"), 0.2) << summary;
    EXPECT_NEAR(ours.rangeLu, SummaryValue(summary, "LRA:"), 1.0) << summary;
    EXPECT_NEAR(ours.truePeakDbtp, SummaryValue(summary, "Peak:"), 0.2) << summary;
}

TEST(Loudness, NormalizingGainMeetsTheTargetOrTheTruePeakCeiling)
{
    const std::vector<Signal> programme = Programme(8.0);
    const vq::Loudness measured = Measure(programme, vq::StereoRoles());
    struct Case {
        double target;
        bool limited;
    };
    for (const Case c : {Case{-30.0, false}, Case{-10.0, true}}) {
        const vq::NormalizeGain gain = vq::NormalizeGainFor(measured, c.target);
        EXPECT_EQ(gain.peakLimited, c.limited) << c.target;
        std::vector<Signal> scaled = programme;
        for (Signal& channel : scaled)
            for (double& s : channel)
                s *= FromDb(gain.gainDb);
        const vq::Loudness after = Measure(scaled, vq::StereoRoles());
        EXPECT_LE(after.truePeakDbtp, -1.0 + 1e-6) << c.target;
        if (c.limited) {
            EXPECT_NEAR(after.truePeakDbtp, -1.0, 1e-6);
            EXPECT_LT(after.integratedLufs, c.target);
        } else {
            EXPECT_NEAR(after.integratedLufs, c.target, 0.1);
        }
    }
    const vq::NormalizeGain silent = vq::NormalizeGainFor(Measure({Signal(kRate), Signal(kRate)}, vq::StereoRoles()), -23.0);
    EXPECT_TRUE(silent.silent);
    EXPECT_EQ(silent.gainDb, 0.0);
}

TEST(Loudness, MisuseIsAStatus)
{
    vq::LoudnessMeter meter;
    const double sample = 0.0;
    const double* channel = &sample;
    vq::Loudness loudness;
    EXPECT_EQ(meter.Add(&channel, 1), vq::kBadState);
    EXPECT_EQ(meter.AddInterleaved(&sample, 1), vq::kBadState);
    EXPECT_EQ(meter.Result(&loudness), vq::kBadState);
    EXPECT_EQ(meter.Prepare(kRate, {vq::LoudnessRole::Lfe, vq::LoudnessRole::Unused}), vq::kBadParameter);
    EXPECT_EQ(meter.Prepare(kRate, {}), vq::kBadParameter);
    EXPECT_EQ(meter.Prepare(1000, vq::StereoRoles()), vq::kBadParameter);
    EXPECT_EQ(meter.Add(&channel, 1), vq::kBadState) << "a failed Prepare leaves no meter";
    ASSERT_EQ(meter.Prepare(kRate, {vq::LoudnessRole::Mono}), vq::kStatusOk);
    EXPECT_EQ(meter.Add(&channel, -1), vq::kBadParameter);
    EXPECT_EQ(meter.AddInterleaved(&sample, -1), vq::kBadParameter);
}

}  // namespace
