// The filter-matrix files themselves: the layout the engine reads, the same bytes from
// every run, a delay well under a millisecond, and for every pattern, mounting and capsule
// set the matrix a coincident array needs at low frequencies and a frontal wave heard as
// front.
#include "filters/PlaneWaveSimulation.h"
#include "filters/StagedFiles.h"
#include "support/TestAudio.h"

#include "filters/ArrayModel.h"
#include "filters/FilterDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace vqtest;

namespace {

using Taps = std::array<std::array<Signal, 4>, 4>;  // [capsule][output]

Taps SplitMatrix(const Audio& file)
{
    const std::size_t taps = static_cast<std::size_t>(file.info.frames / 4);
    Taps filters;
    for (int j = 0; j < 4; ++j) {
        const Signal channel = file.Channel(j);
        for (int k = 0; k < 4; ++k)
            filters[k][j].assign(channel.begin() + k * taps, channel.begin() + (k + 1) * taps);
    }
    return filters;
}

Complex Dft(const Signal& h, double frequency, int rate)
{
    Complex sum = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n)
        sum += h[n] * std::polar(1.0, -2.0 * kPi * frequency * static_cast<double>(n) / rate);
    return sum;
}

// W, X, Y, Z of the filters for a plane wave from `source`, relative to the centre.
Phasors Respond(const Taps& filters, const Microphone& mic, const Vec& source, double frequency, int rate)
{
    Phasors out{};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            out[j] += Dft(filters[k][j], frequency, rate) * mic.Response(k, source, frequency);
    return out;
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DefaultFilterFiles, HaveTheLayoutTheEngineReads)
{
    for (int rate : kDefaultRates) {
        const Audio file = ReadAudio(StagedFilterMatrix(rate));
        const int taps = static_cast<int>(std::lround(512.0 * rate / 48000));
        EXPECT_EQ(file.info.channels, 4) << rate;
        EXPECT_EQ(file.info.samplerate, rate);
        EXPECT_EQ(file.info.frames, 4 * taps) << rate;
        EXPECT_EQ(file.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT) << rate;
    }
}

TEST(DefaultFilterFiles, AreWhatTheDesignerWritesByteForByte)
{
    TempDir a, b;
    const std::string command = std::string(VQ_MKFILTERS) + " --out ";
    ASSERT_EQ(std::system((command + a.Path() + " > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system((command + b.Path() + " > /dev/null").c_str()), 0);
    for (int rate : kDefaultRates) {
        const std::string name = "/FilterMatrix_" + std::to_string(rate) + ".wav";
        const std::string first = Bytes(a.Path() + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, Bytes(b.Path() + name)) << name << " differs between two runs";
        EXPECT_EQ(first, Bytes(StagedFilterMatrix(rate))) << name << " differs from the staged one";
    }
}

TEST(DefaultFilterFiles, DelayEverythingByLessThanOneMillisecond)
{
    const Microphone mic = MakeMicrophone();
    for (int rate : kDefaultRates) {
        const Taps filters = SplitMatrix(ReadAudio(StagedFilterMatrix(rate)));
        // Centre of energy of each filter, over the whole band.
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j) {
                double energy = 0.0, moment = 0.0;
                for (std::size_t n = 0; n < filters[k][j].size(); ++n) {
                    energy += filters[k][j][n] * filters[k][j][n];
                    moment += static_cast<double>(n) * filters[k][j][n] * filters[k][j][n];
                }
                EXPECT_LT(moment / energy / rate, 1e-3) << rate << " Hz, filter " << k << "->" << j;
            }
        // Group delay of W and of the velocity along the wave, for waves from all around,
        // in the band where the outputs follow the wave.
        const double step = 1.0;
        for (const Vec& source : {Direction(0, 0), Direction(100, 20), Direction(-150, -45), Direction(0, 90)})
            for (double f : {100.0, 300.0, 1000.0, 2000.0, 4000.0}) {
                const Phasors below = Respond(filters, mic, source, f - step, rate);
                const Phasors above = Respond(filters, mic, source, f + step, rate);
                const auto along = [&](const Phasors& p) {
                    return p[1] * source[0] + p[2] * source[1] + p[3] * source[2];
                };
                for (const auto& [lo, hi] : {std::pair{below[0], above[0]}, std::pair{along(below), along(above)}}) {
                    const double delay = -std::arg(hi / lo) / (2.0 * kPi * 2.0 * step);
                    EXPECT_GT(delay, 0.0) << rate << " Hz rate, " << f << " Hz";
                    EXPECT_LT(delay, 1e-3) << rate << " Hz rate, " << f << " Hz";
                }
            }
    }
}

struct DesignCase {
    const char* name;
    vq::CapsulePattern pattern;
    vq::Mounting mounting;
    double omniShare;  // the pattern's a, as commonly given
    Mount mount;
    vq::CapsuleSet capsules = vq::CapsuleSet::FluFrdBldBru;
};

void PrintTo(const DesignCase& c, std::ostream* os)
{
    *os << c.name;
}

Microphone MicrophoneOf(const DesignCase& c)
{
    Microphone mic = MakeMicrophone(c.mount, c.omniShare);
    if (c.capsules == vq::CapsuleSet::FldFruBluBrd)
        for (Vec& axis : mic.axes)  // the cube's other four corners: FLU, FRD, BLD, BRU mirrored top to bottom
            axis[2] = -axis[2];
    return mic;
}

class EveryDesign : public testing::TestWithParam<DesignCase> {
protected:
    static constexpr int kRate = 48000;
    static constexpr int kTaps = 256;

    Taps Design(const DesignCase& c)
    {
        vq::ArrayGeometry geometry;
        geometry.pattern = c.pattern;
        geometry.mounting = c.mounting;
        geometry.capsules = c.capsules;
        vq::FilterSet set;
        EXPECT_EQ(vq::DesignFilterSet(vq::ArrayModel(geometry), kRate, kTaps, &set), 0);
        Taps filters;
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j)
                filters[k][j] = set.filters[k][j];
        return filters;
    }
};

TEST_P(EveryDesign, DcGainsAreTheCoincidentMatrix)
{
    // At 0 Hz the spacing does not matter: W = sum / (4 sqrt 2 a), V = 3/(4 (1 - a)) sum u_k.
    const DesignCase c = GetParam();
    const Microphone mic = MicrophoneOf(c);
    const Taps filters = Design(c);
    for (int k = 0; k < 4; ++k) {
        double dc[4] = {};
        for (int j = 0; j < 4; ++j)
            for (double tap : filters[k][j])
                dc[j] += tap;
        EXPECT_NEAR(dc[0], 1.0 / (4.0 * std::sqrt(2.0) * c.omniShare), 1e-3) << "capsule " << k;
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(dc[1 + axis], 3.0 / (4.0 * (1.0 - c.omniShare)) * mic.axes[k][axis], 1e-3)
                << "capsule " << k << " to "
                << "XYZ"[axis];
    }
}

TEST_P(EveryDesign, WavesFromSixSidesAreHeardFromThere)
{
    const DesignCase c = GetParam();
    const Microphone mic = MicrophoneOf(c);
    const Taps filters = Design(c);
    for (const Vec& source :
         {Direction(0, 0), Direction(90, 0), Direction(180, 0), Direction(-90, 0), Direction(0, 90), Direction(0, -90)})
        for (double f : {200.0, 1000.0}) {
            const PlaneWaveError e = Compare(Respond(filters, mic, source, f, kRate), source);
            EXPECT_LT(std::fabs(e.wDb), 0.5) << f << " Hz";
            EXPECT_LT(std::fabs(e.velocityDb), 0.5) << f << " Hz";
            EXPECT_LT(e.angle, 2.0) << f << " Hz";
        }
}

INSTANTIATE_TEST_SUITE_P(
    PatternsAndMountings, EveryDesign,
    testing::Values(
        DesignCase{"Cardioid", vq::CapsulePattern::Cardioid, vq::Mounting::Upright, 0.5, Mount::Upright},
        DesignCase{"Supercardioid", vq::CapsulePattern::Supercardioid, vq::Mounting::Upright, 0.37, Mount::Upright},
        DesignCase{"Hypercardioid", vq::CapsulePattern::Hypercardioid, vq::Mounting::Upright, 0.25, Mount::Upright},
        DesignCase{"Subcardioid", vq::CapsulePattern::Subcardioid, vq::Mounting::Upright, 0.7, Mount::Upright},
        DesignCase{"UpsideDown", vq::CapsulePattern::Cardioid, vq::Mounting::UpsideDown, 0.5, Mount::UpsideDown},
        DesignCase{"EndFire", vq::CapsulePattern::Cardioid, vq::Mounting::EndFire, 0.5, Mount::EndFire},
        DesignCase{"OtherTetrahedron", vq::CapsulePattern::Cardioid, vq::Mounting::Upright, 0.5, Mount::Upright,
                   vq::CapsuleSet::FldFruBluBrd}),
    [](const testing::TestParamInfo<DesignCase>& info) { return std::string(info.param.name); });

}  // namespace
