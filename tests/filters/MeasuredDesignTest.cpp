// Designs from measurements (--measured): a microphone with the capsule errors of real
// units, measured in simulation at 72 directions, is heard right again at directions that
// were not measured; a perfect one gives what the nominal design gives; both forms of a
// measurement give the same filters.
#include "filters/MeasuredMicrophone.h"
#include "filters/PlaneWaveSimulation.h"
#include "filters/ToolRunner.h"
#include "support/TestAudio.h"

#include "common/Vec3.h"
#include "filters/ArrayModel.h"
#include "filters/FilterDesign.h"
#include "filters/MeasuredDesign.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vqtest;

namespace {

constexpr int kRate = 48000;
const std::string kDesign = " --rates 48000 --taps 256 --date 2025-01-01 ";

const std::vector<double> kLowBand = {200, 300, 450, 700, 1000, 1400, 2000};
const std::vector<double> kHighBand = {2000, 3000, 4000, 5000, 6000};

// Directions that no measurement grid here holds.
std::vector<Vec> Unmeasured()
{
    const auto grid = vq::SpreadOverSphere(100);
    return std::vector<Vec>(grid.begin(), grid.end());
}

// Mean direction error of `filters` on `mic` over the directions and the frequencies.
double MeanError(const Taps& filters, const Microphone& mic, const std::vector<double>& frequencies)
{
    double sum = 0.0;
    const auto directions = Unmeasured();
    for (const Vec& d : directions)
        for (double f : frequencies)
            sum += Compare(Respond(filters, mic, d, f, kRate), d).angle;
    return sum / static_cast<double>(directions.size() * frequencies.size());
}

Taps NominalFilters()
{
    vq::FilterSet set;
    EXPECT_EQ(vq::DesignFilterSet(vq::ArrayModel(vq::ArrayGeometry()), kRate, 256, &set), 0);
    Taps filters;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            filters[k][j] = set.filters[k][j];
    return filters;
}

Taps DesignFrom(const std::string& source, const TempDir& out, std::string* output = nullptr)
{
    const ToolRun run = RunTool(VQ_MKFILTERS, "--measured " + source + kDesign + "--out " + out.Path());
    EXPECT_EQ(run.status, 0) << run.output;
    if (output)
        *output = run.output;
    return SplitMatrix(ReadAudio(out.File("FilterMatrix_48000.wav")));
}

// The mean direction error the designer printed for the octave band around `centre`.
double PrintedError(const std::string& output, int centre)
{
    const std::string row = "  " + std::to_string(centre) + "  ";
    const std::size_t at = output.find(row);
    double mean = -1.0;
    if (at != std::string::npos)
        std::sscanf(output.c_str() + at + row.size(), "%lf", &mean);
    return mean;
}

// The mean direction error at the measured directions, over the band's transform bins.
double ErrorAtMeasuredDirections(const Taps& filters, const Microphone& mic, double low, double high)
{
    double sum = 0.0, count = 0.0;
    for (const AzEl& d : SeventyTwoDirections())
        for (double f = 93.75; f < high; f += 93.75)
            if (f >= low) {
                const Vec source = Direction(d.azimuth, d.elevation);
                sum += Compare(Respond(filters, mic, source, f, kRate), source).angle;
                count += 1.0;
            }
    return sum / count;
}

class RealUnit : public testing::TestWithParam<int> {};

TEST_P(RealUnit, HasItsCapsuleErrorsCorrectedAtDirectionsNotMeasured)
{
    const Microphone mic = FlawedMicrophone();
    TempDir dir, out;
    WriteMeasurementFolder(dir.File("unit"), Measure(mic, SeventyTwoDirections(), GetParam()));
    std::string output;
    const Taps measured = DesignFrom(dir.File("unit"), out, &output);
    const Taps nominal = NominalFilters();

    const double measuredLow = MeanError(measured, mic, kLowBand), nominalLow = MeanError(nominal, mic, kLowBand);
    const double measuredHigh = MeanError(measured, mic, kHighBand), nominalHigh = MeanError(nominal, mic, kHighBand);
    RecordProperty("DegreesLowMeasured", std::to_string(measuredLow));
    RecordProperty("DegreesLowNominal", std::to_string(nominalLow));
    RecordProperty("DegreesHighMeasured", std::to_string(measuredHigh));
    RecordProperty("DegreesHighNominal", std::to_string(nominalHigh));
    EXPECT_LE(measuredLow, 3.0);
    EXPECT_LE(measuredLow, 0.5 * nominalLow);
    EXPECT_LE(measuredHigh, nominalHigh);

    // What the designer printed about its own measurement holds.
    if (GetParam() == kRate)
        for (int centre : {250, 1000, 2000}) {
            const double expected =
                ErrorAtMeasuredDirections(measured, mic, centre / std::sqrt(2.0), centre * std::sqrt(2.0));
            EXPECT_NEAR(PrintedError(output, centre), expected, 0.05 + 0.1 * expected) << centre << " Hz\n" << output;
        }
}

// Measured at the design's rate, and at another one that the designer resamples.
INSTANTIATE_TEST_SUITE_P(MeasuredAt, RealUnit, testing::Values(48000, 44100),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

TEST(MeasuredDesign, APerfectMicrophoneGivesTheNominalDesign)
{
    const Microphone mic = MakeMicrophone();
    TempDir dir, out;
    WriteMeasurementFolder(dir.File("perfect"), Measure(mic, SeventyTwoDirections()));
    const Taps measured = DesignFrom(dir.File("perfect"), out);
    const Taps nominal = NominalFilters();
    for (const auto& band : {kLowBand, kHighBand}) {
        EXPECT_NEAR(MeanError(measured, mic, band), MeanError(nominal, mic, band), 0.5);
    }
}

}  // namespace

namespace {

TEST(MeasuredDesign, SofaAndFolderFormsGiveTheSameFilters)
{
    TempDir dir, fromFolder;
    const SimulatedMeasurement measurement = Measure(FlawedMicrophone(), SeventyTwoDirections());
    WriteMeasurementFolder(dir.File("unit"), measurement);
    DesignFrom(dir.File("unit"), fromFolder);
    const Audio a = ReadAudio(fromFolder.File("FilterMatrix_48000.wav"));
    double peak = 0.0;
    for (double s : a.samples)
        peak = std::max(peak, std::fabs(s));
    // The responses as they are, and each capsule's stored later by its own Data.Delay.
    for (const std::array<int, 4>& dataDelays : {std::array<int, 4>{}, std::array<int, 4>{2, 9, 0, 5}}) {
        TempDir fromSofa;
        WriteMeasurementSofa(dir.File("unit.sofa"), measurement, 4, dataDelays);
        DesignFrom(dir.File("unit.sofa"), fromSofa);
        const Audio b = ReadAudio(fromSofa.File("FilterMatrix_48000.wav"));
        ASSERT_EQ(a.samples.size(), b.samples.size());
        EXPECT_LT(MaxAbsDifference(a.samples, b.samples), 1e-6 * peak) << "Data.Delay " << dataDelays[1];
    }
}

}  // namespace

namespace {

TEST(MeasuredDesign, AMeasurementInOnePlaneLeavesZToTheNominalDesign)
{
    std::vector<AzEl> horizon;
    for (int i = 0; i < 16; ++i)
        horizon.push_back({-180.0 + 22.5 * i, 0.0});
    const Microphone mic = MakeMicrophone();
    TempDir dir, out;
    WriteMeasurementFolder(dir.File("ring"), Measure(mic, horizon));
    std::string output;
    const Taps measured = DesignFrom(dir.File("ring"), out, &output);
    EXPECT_NE(output.find("warning: " + dir.File("ring") + ": all directions lie in one plane"), std::string::npos)
        << output;

    // Nothing was measured from above or below, yet elevated sources keep their height.
    const Taps nominal = NominalFilters();
    for (const Vec& d : {Direction(30, 60), Direction(-120, -45), Direction(0, 90)})
        for (double f : {300.0, 1000.0, 3000.0}) {
            const Phasors m = Respond(measured, mic, d, f, kRate), n = Respond(nominal, mic, d, f, kRate);
            EXPECT_LT(std::abs(m[3] - n[3]), 0.02 * std::abs(n[3])) << f << " Hz";
            if (f < 2000.0) {
                EXPECT_LT(Compare(m, d).angle, 3.0) << f << " Hz";
            }
        }
}

}  // namespace

namespace {

// The design's work grows with its filters, not with the measurement: responses of 64 ms
// (64 taps at 1 kHz, 6144 frames at 96 kHz) are fitted on twice the filter length.
TEST(MeasuredDesign, IsFittedOnTwiceTheFilterLengthWhateverTheMeasurementsLength)
{
    const SimulatedMeasurement simulated = Measure(MakeMicrophone(), SeventyTwoDirections(), 1000, 0.008, 64);
    vq::Measurement measurement;
    measurement.rate = simulated.rate;
    measurement.length = 64;
    for (std::size_t d = 0; d < simulated.directions.size(); ++d) {
        vq::MeasuredDirection direction;
        direction.azimuth = simulated.directions[d].azimuth;
        direction.elevation = simulated.directions[d].elevation;
        direction.direction = vq::FromAzimuthElevation(direction.azimuth, direction.elevation);
        for (int k = 0; k < 4; ++k)
            direction.responses[k] = simulated.responses[d][k];
        measurement.directions.push_back(direction);
    }
    const vq::ArrayModel nominal{vq::ArrayGeometry()};
    vq::MeasuredDesign design(measurement, nominal, 96000, 128, vq::kDefaultMaxBoostDb);
    ASSERT_EQ(design.Prepare(), 0);
    EXPECT_EQ(design.FftLength(), 256);
    vq::FilterSet set;
    ASSERT_EQ(design.Design(&set), 0);
    EXPECT_EQ(set.taps, 128);
}

}  // namespace
