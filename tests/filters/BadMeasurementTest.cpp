// Measurements the designer cannot use are refused with the file named and nothing
// written; weak ones (few directions, all in one plane) are used with a warning.
#include "filters/MeasuredMicrophone.h"
#include "filters/ToolRunner.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

const std::string kDesign = " --rates 48000 --taps 128 --date 2025-01-01 ";

// The first `count` of the corners of a cube and the six axis points.
std::vector<AzEl> Spread(int count)
{
    const std::vector<AzEl> all = {{45, 35.26},   {135, 35.26},   {-135, 35.26}, {-45, 35.26}, {45, -35.26},
                                   {135, -35.26}, {-135, -35.26}, {-45, -35.26}, {0, 0},       {90, 0},
                                   {180, 0},      {-90, 0},       {0, 90},       {0, -90}};
    return std::vector<AzEl>(all.begin(), all.begin() + count);
}

struct Defect {
    const char* name;
    std::string culprit;  // the file the message must name, relative to the test's directory
    std::function<void(const TempDir&)> make;
};

void PrintTo(const Defect& d, std::ostream* os)
{
    *os << d.name;
}

SimulatedMeasurement Standard()
{
    return Measure(MakeMicrophone(), SeventyTwoDirections());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kVictim = "unit/" + MeasurementFileName(SeventyTwoDirections()[40]);

// Replaces one direction's file with `channels` of `frames` at `rate`, all `level` but one
// sample `poison`.
void Replace(const TempDir& dir, int channels, int frames, int rate, double level = 0.01, double poison = 0.0)
{
    WriteMeasurementFolder(dir.File("unit"), Standard());
    std::vector<Signal> signal(static_cast<std::size_t>(channels), Signal(static_cast<std::size_t>(frames), level));
    signal[0][7] = poison;
    fs::remove(dir.File(kVictim));
    WriteChannels(dir.File(kVictim), signal, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

const Defect kDefects[] = {
    {"SevenDirections", "unit",
     [](const TempDir& dir) { WriteMeasurementFolder(dir.File("unit"), Measure(MakeMicrophone(), Spread(7))); }},
    {"TwoChannels", kVictim, [](const TempDir& dir) { Replace(dir, 2, 160, 48000); }},
    {"ShorterThanTheOthers", kVictim, [](const TempDir& dir) { Replace(dir, 4, 100, 48000); }},
    {"AnotherRate", kVictim, [](const TempDir& dir) { Replace(dir, 4, 160, 44100); }},
    {"NotANumber", kVictim,
     [](const TempDir& dir) { Replace(dir, 4, 160, 48000, 0.01, std::numeric_limits<double>::quiet_NaN()); }},
    {"Silent", kVictim, [](const TempDir& dir) { Replace(dir, 4, 160, 48000, 0.0); }},
    {"NameWithoutDirection", "unit/front.wav",
     [](const TempDir& dir) {
         WriteMeasurementFolder(dir.File("unit"), Standard());
         fs::copy_file(dir.File(kVictim), dir.File("unit/front.wav"));
     }},
    {"ElevationBeyondThePole", "unit/10_95.wav",
     [](const TempDir& dir) {
         WriteMeasurementFolder(dir.File("unit"), Standard());
         fs::copy_file(dir.File(kVictim), dir.File("unit/10_95.wav"));
     }},
    {"NoSoundFile", "unit/10_0.wav",
     [](const TempDir& dir) {
         WriteMeasurementFolder(dir.File("unit"), Standard());
         WriteFile(dir.File("unit/10_0.wav"), "not a sound file");
     }},
    {"UnreadableSofa", "unit.sofa", [](const TempDir& dir) { WriteFile(dir.File("unit.sofa"), "CDF\x02 not HDF5"); }},
    {"SofaWithTwoReceivers", "unit.sofa",
     [](const TempDir& dir) { WriteMeasurementSofa(dir.File("unit.sofa"), Standard(), 2); }},
    {"MissingSofa", "unit.sofa", [](const TempDir&) {}},
};

class BadMeasurement : public testing::TestWithParam<Defect> {};

TEST_P(BadMeasurement, IsRefusedNamingTheFile)
{
    const Defect& defect = GetParam();
    TempDir dir;
    defect.make(dir);
    const std::string source = defect.culprit.rfind("unit.sofa", 0) == 0 ? dir.File("unit.sofa") : dir.File("unit");
    const ToolRun run = RunTool(VQ_MKFILTERS, "--measured " + source + kDesign + "--out " + dir.File("out"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(dir.File(defect.culprit)), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(dir.File("out"))) << "nothing is written";
}

INSTANTIATE_TEST_SUITE_P(Cases, BadMeasurement, testing::ValuesIn(kDefects),
                         [](const testing::TestParamInfo<Defect>& info) { return std::string(info.param.name); });

TEST(WeakMeasurement, FewDirectionsAreUsedWithAWarning)
{
    TempDir dir;
    WriteMeasurementFolder(dir.File("unit"), Measure(MakeMicrophone(), Spread(12)));
    const ToolRun run = RunTool(VQ_MKFILTERS, "--measured " + dir.File("unit") + kDesign + "--out " + dir.Path());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("warning: " + dir.File("unit") + ": only 12 directions"), std::string::npos)
        << run.output;
    EXPECT_TRUE(fs::exists(dir.File("FilterMatrix_48000.wav")));
}

}  // namespace
