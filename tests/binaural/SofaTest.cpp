// Measured HRIRs from SOFA files written at run time, whose responses are pure delays with
// gains: the decoder's render must be what the virtual-speaker decode of those delays and
// gains gives, computed here from the decode equations and the crossover's closed form;
// other rates are resampled or refused, and broken files are reported with a reason.
#include "binaural/BinauralDecoder.h"
#include "binaural/BinauralProbe.h"
#include "binaural/SofaFixture.h"
#include "binaural/SofaHrirs.h"
#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using vqtest::kPi;
using vqtest::Signal;
using vqtest::SofaContent;
using vqtest::SofaMeasurement;

using Complex = std::complex<double>;

struct Speaker {
    std::array<double, 3> u;
    double g0;  // weight of the pressure (W sqrt 2)
    double g1;  // weight of the velocity (3 u.(X, Y, Z))
    double count;
};

// The decoder's virtual speakers: below the crossover the six axis points with the basic
// decode (g0 = g1 = 1), above it the eight cube corners with max-rE (g1 = g0 / sqrt 3) at
// the low band's feed energy ((g0^2 + 3 g1^2) / n = 4/6 gives g0 = sqrt(8/3)).
std::vector<Speaker> LowBand()
{
    std::vector<Speaker> s;
    for (std::array<double, 3> u :
         {std::array<double, 3>{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}})
        s.push_back({u, 1.0, 1.0, 6.0});
    return s;
}

std::vector<Speaker> HighBand()
{
    std::vector<Speaker> s;
    const double c = 1.0 / std::sqrt(3.0);
    const double g0 = std::sqrt(8.0 / 3.0);
    for (double x : {c, -c})
        for (double y : {c, -c})
            for (double z : {c, -c})
                s.push_back({{x, y, z}, g0, g0 / std::sqrt(3.0), 8.0});
    return s;
}

// Direction in degrees of a unit vector.
std::pair<double, double> Angles(const std::array<double, 3>& u)
{
    return {std::atan2(u[1], u[0]) * 180.0 / kPi, std::asin(u[2]) * 180.0 / kPi};
}

// Measurements near every virtual speaker (a few degrees off) and a few elsewhere, each
// ear with its own delay and gain.
SofaContent Fixture(double rate)
{
    SofaContent c;
    c.sampleRate = rate;
    c.taps = 64;
    std::vector<std::pair<double, double>> directions = {{20, 10}, {-60, 50}, {160, -40}, {100, 60}, {-100, -5}};
    for (const std::vector<Speaker>& band : {LowBand(), HighBand()}) {
        for (const Speaker& s : band) {
            const std::pair<double, double> a = Angles(s.u);
            directions.push_back({a.first + 3.0, std::max(-89.0, std::min(89.0, a.second - 2.0))});
        }
    }
    for (std::size_t i = 0; i < directions.size(); ++i) {
        SofaMeasurement m;
        m.azimuth = directions[i].first;
        m.elevation = directions[i].second;
        m.delay[0] = 3 + static_cast<int>(7 * i % 23);
        m.delay[1] = 5 + static_cast<int>(11 * i % 29);
        m.gain[0] = 0.3 + 0.05 * static_cast<double>(i % 9);
        m.gain[1] = 1.1 - 0.04 * static_cast<double>(i % 13);
        c.measurements.push_back(m);
    }
    c.dataDelay[0] = 2.0;
    c.dataDelay[1] = 3.0;
    return c;
}

// The fixture's measurement nearest to direction u.
const SofaMeasurement& NearestMeasurement(const SofaContent& c, const std::array<double, 3>& u)
{
    const SofaMeasurement* best = nullptr;
    double bestCosine = -2.0;
    for (const SofaMeasurement& m : c.measurements) {
        const std::array<double, 3> d = vqtest::Direction(m.azimuth, m.elevation);
        const double cosine = d[0] * u[0] + d[1] * u[1] + d[2] * u[2];
        if (cosine > bestCosine) {
            bestCosine = cosine;
            best = &m;
        }
    }
    return *best;
}

// What `ear` hears at `hz` of a unit plane-wave impulse from v: each band's speakers fed
// (g0 + 3 g1 u.v) / n and heard through their nearest measurement (gain, delay in seconds
// plus `extraDelay`), the bands weighted by the Linkwitz-Riley halves: the squares of the
// 2nd-order Butterworth low- and high-pass after the pre-warped bilinear transform.
Complex Expected(const SofaContent& c, const std::array<double, 3>& v, int ear, double hz, int rate, double extraDelay)
{
    const double fc = vq::BinauralDecoder::kCrossoverHz;
    const Complex s(0.0, std::tan(kPi * hz / rate) / std::tan(kPi * fc / rate));
    const Complex lowPass2 = 1.0 / (s * s + std::sqrt(2.0) * s + 1.0);
    const Complex bands[2] = {lowPass2 * lowPass2, (s * s * lowPass2) * (s * s * lowPass2)};
    Complex sum = 0.0;
    int band = 0;
    for (const std::vector<Speaker>& speakers : {LowBand(), HighBand()}) {
        for (const Speaker& sp : speakers) {
            const double feed = (sp.g0 + 3.0 * sp.g1 * (sp.u[0] * v[0] + sp.u[1] * v[1] + sp.u[2] * v[2])) / sp.count;
            const SofaMeasurement& m = NearestMeasurement(c, sp.u);
            const double delay = (m.delay[ear] + c.dataDelay[ear]) / c.sampleRate + extraDelay;
            sum += bands[band] * feed * m.gain[ear] * std::polar(1.0, -2.0 * kPi * hz * delay);
        }
        ++band;
    }
    return sum;
}

struct RenderCase {
    std::string name;
    double fileRate;
    int rate;
    bool cartesian;
    double topHz;      // compared up to here
    double tolerance;  // relative to the largest expected magnitude
};

void PrintTo(const RenderCase& c, std::ostream* os)
{
    *os << c.name;
}

class SofaRender : public testing::TestWithParam<RenderCase> {};

TEST_P(SofaRender, IsTheVirtualSpeakerDecodeOfTheMeasuredDelaysAndGains)
{
    const RenderCase& rc = GetParam();
    vqtest::TempDir dir;
    SofaContent content = Fixture(rc.fileRate);
    content.cartesianSources = rc.cartesian;
    const std::string path = dir.File("heads.sofa");
    vqtest::WriteSofa(path, content);

    auto hrirs = std::make_shared<vq::SofaHrirs>();
    ASSERT_EQ(hrirs->Load(path), vq::kStatusOk) << hrirs->Reason();
    EXPECT_EQ(hrirs->Measurements(), static_cast<int>(content.measurements.size()));
    EXPECT_EQ(hrirs->FileRate(), rc.fileRate);
    const double latency = static_cast<double>(hrirs->ResamplingLatency(rc.rate)) / rc.rate;
    if (rc.fileRate == rc.rate) {
        EXPECT_EQ(latency, 0.0);
    }

    vq::BinauralDecoder decoder(hrirs);
    ASSERT_EQ(decoder.Prepare(rc.rate, 8192), vq::kStatusOk) << decoder.Reason();
    for (std::pair<double, double> source : {std::pair<double, double>{30, 20}, {-120, -10}, {90, 0}}) {
        const std::array<Signal, 2> ears =
            vqtest::DecodeInBlocks(decoder, vqtest::PlaneWaveImpulse(source.first, source.second, 8192));
        const std::array<double, 3> v = vqtest::Direction(source.first, source.second);
        for (int ear = 0; ear < 2; ++ear) {
            std::vector<Complex> expected;
            double largest = 0.0;
            for (double hz = 20.0; hz <= rc.topHz; hz += 97.0) {
                expected.push_back(Expected(content, v, ear, hz, rc.rate, latency));
                largest = std::max(largest, std::abs(expected.back()));
            }
            double worst = 0.0;
            std::size_t i = 0;
            for (double hz = 20.0; hz <= rc.topHz; hz += 97.0, ++i) {
                const Complex got = vqtest::Dtft(ears[static_cast<std::size_t>(ear)], hz, rc.rate);
                worst = std::max(worst, std::abs(got - expected[i]));
            }
            EXPECT_LT(worst, rc.tolerance * largest)
                << "source " << source.first << "/" << source.second << ", ear " << ear;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SofaRender,
                         testing::Values(RenderCase{"SameRate", 48000, 48000, false, 23000, 1e-6},
                                         RenderCase{"SameRateCartesianPositions", 44100, 44100, true, 21000, 1e-6},
                                         RenderCase{"Upsampled44k1To48k", 44100, 48000, false, 16000, 1e-4},
                                         RenderCase{"Downsampled96kTo48k", 96000, 48000, false, 16000, 1e-4}),
                         vqtest::CaseName());

TEST(SofaHrirs, RefusesARateTooFarFromTheFilesWithAReason)
{
    vqtest::TempDir dir;
    vqtest::WriteSofa(dir.File("low.sofa"), Fixture(8000));
    auto hrirs = std::make_shared<vq::SofaHrirs>();
    ASSERT_EQ(hrirs->Load(dir.File("low.sofa")), vq::kStatusOk) << hrirs->Reason();

    vq::BinauralDecoder decoder(hrirs);
    EXPECT_EQ(decoder.Prepare(96000, 1024), vq::kHrtfRateUnusable);
    EXPECT_NE(decoder.Reason().find("8000 Hz"), std::string::npos) << decoder.Reason();
    EXPECT_NE(decoder.Reason().find("96000 Hz"), std::string::npos) << decoder.Reason();
    EXPECT_EQ(decoder.Prepare(48000, 1024), vq::kStatusOk) << decoder.Reason();
}

struct BrokenCase {
    std::string name;
    int status;
    std::string reasonPart;
};

void PrintTo(const BrokenCase& c, std::ostream* os)
{
    *os << c.name;
}

class BrokenSofa : public testing::TestWithParam<BrokenCase> {
protected:
    // Writes the file the case names and returns its path.
    std::string Make(const std::string& name)
    {
        const std::string path = m_dir.File(name + ".sofa");
        if (name == "Missing")
            return path;
        if (name == "TextFile") {
            std::ofstream(path) << "these are not impulse responses\n";
            return path;
        }
        SofaContent content = Fixture(48000);
        if (name == "OtherConvention")
            content.conventions = "GeneralFIR";
        if (name == "ZeroSampleRate")
            content.sampleRate = 0.0;
        if (name == "NegativeDelay")
            content.dataDelay[1] = -4.0;
        vqtest::WriteSofa(path, content);
        if (name == "Truncated") {
            std::ifstream in(path, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 2);
        }
        return path;
    }

    vqtest::TempDir m_dir;
};

TEST_P(BrokenSofa, IsReportedWithAStatusAndAReason)
{
    const BrokenCase& c = GetParam();
    vq::SofaHrirs hrirs;
    const std::string path = Make(c.name);
    EXPECT_EQ(hrirs.Load(path), c.status);
    EXPECT_NE(hrirs.Reason().find(path), std::string::npos) << hrirs.Reason();
    EXPECT_NE(hrirs.Reason().find(c.reasonPart), std::string::npos) << hrirs.Reason();
    EXPECT_EQ(hrirs.Measurements(), 0);
    std::string reason;
    EXPECT_NE(hrirs.CheckRate(48000, reason), vq::kStatusOk);
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenSofa,
                         testing::Values(BrokenCase{"Missing", vq::kHrtfOpenFailed, "No such file"},
                                         BrokenCase{"TextFile", vq::kHrtfNotSofa, "not a SOFA file"},
                                         BrokenCase{"Truncated", vq::kHrtfNotSofa, "not a SOFA file"},
                                         BrokenCase{"OtherConvention", vq::kHrtfNotHrirs, "SimpleFreeFieldHRIR"},
                                         BrokenCase{"ZeroSampleRate", vq::kHrtfMalformed, "sample rate"},
                                         BrokenCase{"NegativeDelay", vq::kHrtfMalformed, "Data.Delay"}),
                         vqtest::CaseName());

}  // namespace
