// The demo recording: the pair of files the converter expects, levels well inside full
// scale, and once converted with the default filters every source is found where the
// scene puts it, by a first-order cardioid beam steered all around.
#include "filters/StagedFiles.h"
#include "support/TestAudio.h"

#include "common/FftwArray.h"
#include "common/FftwPlan.h"
#include "convolver/QConvolver.h"
#include "demo/DemoScene.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <algorithm>
#include <cmath>

using namespace vqtest;

namespace {

using Covariance = std::array<std::array<double, 4>, 4>;
using Vec = std::array<double, 3>;

constexpr double kPi = 3.14159265358979323846;
constexpr int kBlock = 2048;

// Covariance of W, X, Y, Z over frames [first, first + count), counting only 100 Hz to
// 2 kHz: the band where a 15 mm array resolves directions.
Covariance BandCovariance(const std::array<Signal, 4>& wxyz, std::int64_t first, std::int64_t count, int rate)
{
    vq::FftwArray<double> frame;
    vq::FftwArray<fftw_complex> spectra[4];
    Covariance c{};
    EXPECT_TRUE(frame.Allocate(kBlock));
    for (auto& s : spectra)
        EXPECT_TRUE(s.Allocate(kBlock / 2 + 1));
    const vq::FftwPlan plan = vq::FftwPlan::RealToComplex(kBlock, frame.data(), spectra[0].data(), FFTW_ESTIMATE);
    EXPECT_TRUE(plan);
    if (!plan)
        return c;
    const int low = 100 * kBlock / rate, high = 2000 * kBlock / rate;
    for (std::int64_t start = first; start + kBlock <= first + count; start += kBlock) {
        for (int j = 0; j < 4; ++j) {
            std::copy(wxyz[j].begin() + start, wxyz[j].begin() + start + kBlock, frame.data());
            fftw_execute_dft_r2c(plan.Get(), frame.data(), spectra[j].data());
        }
        for (int bin = low; bin <= high; ++bin)
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    c[i][j] += spectra[i][bin][0] * spectra[j][bin][0] + spectra[i][bin][1] * spectra[j][bin][1];
    }
    return c;
}

// Direction (1° steps) in which the cardioid beam (sqrt2 W + e.(X, Y, Z)) / 2 is loudest.
Vec LoudestDirection(const Covariance& c)
{
    Vec best{};
    double bestPower = -1.0;
    for (int el = -90; el <= 90; ++el)
        for (int az = -180; az < 180; ++az) {
            const Vec e = {std::cos(el * kPi / 180) * std::cos(az * kPi / 180),
                           std::cos(el * kPi / 180) * std::sin(az * kPi / 180), std::sin(el * kPi / 180)};
            const double g[4] = {0.5 * std::sqrt(2.0), 0.5 * e[0], 0.5 * e[1], 0.5 * e[2]};
            double power = 0.0;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    power += g[i] * c[i][j] * g[j];
            if (power > bestPower) {
                bestPower = power;
                best = e;
            }
        }
    return best;
}

double Angle(const Vec& a, const Vec& b)
{
    return std::acos(std::clamp(a[0] * b[0] + a[1] * b[1] + a[2] * b[2], -1.0, 1.0)) * 180.0 / kPi;
}

TEST(DemoRecording, IsAPairOfStereo24BitFilesWellInsideFullScale)
{
    const std::string front = StagedDemo("F"), rear = StagedDemo("R");
    ASSERT_EQ(front.substr(front.size() - 5), "F.wav");
    EXPECT_EQ(front.substr(0, front.size() - 5) + "R.wav", rear) << "picking the first must find the second";
    for (const std::string& path : {front, rear}) {
        const Audio audio = ReadAudio(path);
        EXPECT_EQ(audio.info.channels, 2) << path;
        EXPECT_EQ(audio.info.samplerate, 48000) << path;
        EXPECT_EQ(audio.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24) << path;
        EXPECT_EQ(audio.info.frames, std::int64_t(16) * 48000) << path;
        double peak = 0.0;
        for (double v : audio.samples)
            peak = std::max(peak, std::fabs(v));
        EXPECT_LE(peak, 0.501) << path;
        EXPECT_GT(peak, 0.1) << path;
    }
}

TEST(DemoRecording, ConvertedWithTheDefaultFiltersEverySourceIsFoundInItsDirection)
{
    const int rate = vq::kDemoRate;
    TempDir dir;
    const std::string out = dir.File("demo_WXYZ.wav");
    {
        QConvolver engine(1);
        ASSERT_EQ(engine.OpenInputFile(StagedDemo("F").c_str(), 0), 0);
        ASSERT_EQ(engine.OpenInputFile(StagedDemo("R").c_str(), 1), 0);
        ASSERT_EQ(engine.LoadFilterMatrix(StagedFilterMatrix(rate).c_str()), 0);
        engine.SetOutputFileName(0, out);
        engine.m_outputInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        ASSERT_EQ(engine.Run(), 0);
    }
    const Audio converted = ReadAudio(out);
    std::array<Signal, 4> wxyz;
    for (int j = 0; j < 4; ++j)
        wxyz[j] = converted.Channel(j);

    for (const vq::DemoSource& source : vq::DemoSources()) {
        const std::int64_t start = std::lround(source.start * rate);
        if (source.turnRate == 0.0) {
            const Covariance c = BandCovariance(wxyz, start, std::lround(source.length * rate), rate);
            EXPECT_LT(Angle(LoudestDirection(c), source.DirectionAt(0.0)), 3.0) << source.name;
            continue;
        }
        // A moving source: short windows, each against where it is in the middle.
        const std::int64_t window = 4 * kBlock;
        for (double t = 0.5; t + 0.5 < source.length; t += 0.5) {
            const std::int64_t first = start + std::lround(t * rate) - window / 2;
            const Covariance c = BandCovariance(wxyz, first, window, rate);
            EXPECT_LT(Angle(LoudestDirection(c), source.DirectionAt(t)), 5.0) << source.name << " at " << t << " s";
        }
    }
}

}  // namespace
