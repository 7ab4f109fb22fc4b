// The tools' command lines: usage errors exit with 2 and write nothing, existing files
// are kept unless --force is given, and the options reach the files.
#include "filters/ToolRunner.h"
#include "support/TestAudio.h"

#include "common/FilterMatrixInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

int Status(const std::string& tool, const std::string& arguments)
{
    return RunTool(tool, arguments).status;
}

bool IsEmpty(const TempDir& dir)
{
    return fs::is_empty(dir.Path());
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ToolCommandLine, UsageErrorsExitWithTwoAndWriteNothing)
{
    struct Case {
        const char* tool;
        const char* arguments;
    };
    const Case cases[] = {
        {VQ_MKFILTERS, "--bogus"},        {VQ_MKFILTERS, "--radius"},
        {VQ_MKFILTERS, "--radius 0"},     {VQ_MKFILTERS, "--radius 15mm"},
        {VQ_MKFILTERS, "--pattern omni"}, {VQ_MKFILTERS, "--orientation sideways"},
        {VQ_MKFILTERS, "--taps 10"},      {VQ_MKFILTERS, "--taps 512.5"},
        {VQ_MKFILTERS, "--rates 44100,"}, {VQ_MKFILTERS, "--rates 48000,1000"},
        {VQ_MKFILTERS, "--rates ''"},     {VQ_MKFILTERS, "--out ''"},
        {VQ_MKDEMO, "--name a/b"},        {VQ_MKDEMO, "--name"},
        {VQ_MKDEMO, "--pattern figure8"}, {VQ_MKDEMO, "extra"},
        {VQ_MKFILTERS, "--taps=10"},      {VQ_MKDEMO, "-x"},
        {VQ_MKFILTERS, "--preset omni"},  {VQ_MKDEMO, "--preset"},
        {VQ_MKFILTERS, "--capsules FLU"}, {VQ_MKFILTERS, "--max-boost 41"},
        {VQ_MKFILTERS, "--measured ''"},  {VQ_MKFILTERS, "--date 2024-13-01"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        EXPECT_EQ(Status(c.tool, std::string(c.arguments) + " --out " + dir.Path()), 2) << c.tool << " " << c.arguments;
        EXPECT_TRUE(IsEmpty(dir)) << c.tool << " " << c.arguments;
    }
    for (const char* tool : {VQ_MKFILTERS, VQ_MKDEMO}) {
        EXPECT_EQ(Status(tool, "--help"), 0) << tool;
        EXPECT_EQ(Status(tool, "-h"), 0) << tool;
    }
}

TEST(ToolCommandLine, ExistingFilesAreKeptUnlessForced)
{
    TempDir dir;
    const std::string kept = dir.File("FilterMatrix_48000.wav");
    WriteText(kept, "mine");
    const std::string designer = std::string(VQ_MKFILTERS) + " --rates 44100,48000 --taps 64";
    EXPECT_EQ(Status(designer, "--out " + dir.Path()), 1);
    EXPECT_EQ(ReadText(kept), "mine");
    EXPECT_FALSE(fs::exists(dir.File("FilterMatrix_44100.wav"))) << "nothing is written when one file is in the way";

    EXPECT_EQ(Status(designer, "--force --out " + dir.Path()), 0);
    EXPECT_EQ(ReadAudio(kept).info.channels, 4);

    WriteText(dir.File("demoR.wav"), "mine");
    EXPECT_EQ(Status(VQ_MKDEMO, "--out " + dir.Path()), 1);
    EXPECT_FALSE(fs::exists(dir.File("demoF.wav")));
    EXPECT_EQ(ReadText(dir.File("demoR.wav")), "mine");
}

TEST(ToolCommandLine, RatesTapsAndNamesReachTheFiles)
{
    TempDir dir;
    const std::string out = dir.File("new/filters");
    ASSERT_EQ(Status(VQ_MKFILTERS, "--rates 32000,48000 --taps=128 --out " + out), 0);
    // The length is given at 48 kHz and keeps its duration at other rates.
    const struct {
        int rate, taps;
    } expected[] = {{32000, 85}, {48000, 128}};
    for (const auto& e : expected) {
        const Audio matrix = ReadAudio(out + "/FilterMatrix_" + std::to_string(e.rate) + ".wav");
        EXPECT_EQ(matrix.info.samplerate, e.rate);
        EXPECT_EQ(matrix.info.frames, 4 * e.taps) << e.rate;
    }
    ASSERT_EQ(Status(VQ_MKDEMO, "--name=take --orientation endfire --out " + dir.Path()), 0);
    EXPECT_EQ(ReadAudio(dir.File("takeF.wav")).info.channels, 2);
    EXPECT_EQ(ReadAudio(dir.File("takeR.wav")).info.channels, 2);
}

TEST(ToolCommandLine, PresetsStartTheGeometryAndLaterOptionsOverrideThem)
{
    const ToolRun list = RunTool(VQ_MKFILTERS, "--preset list");
    EXPECT_EQ(list.status, 0);
    for (const char* name : {"soundfield-mkv", "sps200", "tetramic", "ambeo", "h3-vr"})
        EXPECT_NE(list.output.find(name), std::string::npos) << name;

    const struct {
        const char* arguments;
        const char* radius;
        const char* design;
    } cases[] = {
        {"--preset ambeo", "14", "preset ambeo (Sennheiser AMBEO VR Mic)"},
        {"--preset ambeo --radius 20", "20", "preset ambeo (Sennheiser AMBEO VR Mic)"},
        {"--radius 20 --preset soundfield-mkv", "14.7", "preset soundfield-mkv (SoundField Mk IV / Mk V)"},
        {"--radius 20", "20", "nominal"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_EQ(Status(VQ_MKFILTERS, std::string(c.arguments) + " --rates 8000 --taps 64 --out " + dir.Path()), 0);
        vq::FilterMatrixInfo info;
        vq::FailureDetail failure;
        ASSERT_EQ(vq::ReadFilterMatrixInfo(dir.File("FilterMatrix_8000.wav"), &info, &failure), 0) << c.arguments;
        EXPECT_EQ(vq::FieldValue(info, "radius_mm"), c.radius) << c.arguments;
        EXPECT_EQ(vq::FieldValue(info, "design"), c.design) << c.arguments;
    }
}

// A design at a high rate takes minutes: on a terminal, a bar shows how far it is, as the
// converter's does; into a pipe or a file, only the result lines go.
TEST(ToolCommandLine, TheDesignersProgressShowsOnATerminal)
{
    if (Status("command", "-v script") != 0)
        GTEST_SKIP() << "no 'script' to give the designer a terminal (Debian package bsdutils)";
    TempDir out;
    const std::string design = std::string(VQ_MKFILTERS) + " --rates 48000 --out " + out.Path();
    const ToolRun terminal = RunTool("script", "-qec '" + design + "' /dev/null");
    EXPECT_EQ(terminal.status, 0) << terminal.output;
    EXPECT_NE(terminal.output.find("Designing FilterMatrix_48000.wav... ["), std::string::npos) << terminal.output;
    EXPECT_NE(terminal.output.find("] 100%"), std::string::npos) << terminal.output;
    const ToolRun piped = RunTool(design, "--force");
    EXPECT_EQ(piped.status, 0) << piped.output;
    EXPECT_EQ(piped.output.find("Designing"), std::string::npos) << piped.output;
}

}  // namespace
