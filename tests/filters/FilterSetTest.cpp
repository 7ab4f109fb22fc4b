// The filter-matrix files themselves: the layout the engine reads, the same bytes from
// every run at one design date, a delay well under a millisecond, and for every pattern,
// mounting and capsule set the matrix a coincident array needs at low frequencies and a
// frontal wave heard as front.
#include "filters/PlaneWaveSimulation.h"
#include "filters/StagedFiles.h"
#include "filters/ToolRunner.h"
#include "support/TestAudio.h"

#include "filters/ArrayModel.h"
#include "filters/FilterDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

using namespace vqtest;

namespace {

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
    // The designer's defaults at the design date the build gave, in another process at
    // another time: the same bytes as the staged set, so that identical runs give identical
    // files.
    SF_INFO info{};
    SNDFILE* staged = sf_open(StagedFilterMatrix(48000).c_str(), SFM_READ, &info);
    ASSERT_NE(staged, nullptr);
    const std::string comment = sf_get_string(staged, SF_STR_COMMENT) ? sf_get_string(staged, SF_STR_COMMENT) : "";
    sf_close(staged);
    const std::size_t at = comment.find("date=");
    ASSERT_NE(at, std::string::npos) << comment;
    const std::string date = comment.substr(at + 5, 10);

    TempDir dir;
    ASSERT_EQ(RunTool(VQ_MKFILTERS, "--date " + date + " --out " + dir.Path()).status, 0);
    for (int rate : kDefaultRates) {
        const std::string name = "/FilterMatrix_" + std::to_string(rate) + ".wav";
        const std::string fresh = Bytes(dir.Path() + name);
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_EQ(fresh, Bytes(StagedFilterMatrix(rate))) << name << " differs from the staged one";
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
