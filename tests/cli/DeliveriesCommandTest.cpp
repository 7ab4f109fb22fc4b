// What a conversion delivers besides its sound files, through vessarquilix-convert: the
// loudness of every output (against FFmpeg's ebur128 filter and EBU Tech 3341's reference
// tone), the --report read back by Python's JSON parser, --normalize, the map of directions
// (--map-data, --map) and the bad values of these options.
#include "CommandFixture.h"
#include "movie/MovieTools.h"
#include "spatial/DirectionMapLevels.h"
#include "spatial/DirectionMapPicture.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 48000;
const double kPi = std::acos(-1.0);

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Runs `command` through the shell; its exit status, what it printed (both streams) in *out.
int Shell(const std::string& command, std::string* out)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe))
        *out += line;
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Have(const std::string& program)
{
    std::string ignored;
    return Shell(program + " -version", &ignored) == 0;
}

// The report read by Python's json module, which fails on any field that is missing: one line
// per take and per output, "take INPUT RATE FRAMES MATRIX DELAY FROM LUFS" and "output PATH
// FRAMES CLIPPED LUFS LU DBTP GAIN LIMITED", after "version V", "takes N" and "single S".
const char* const kReportReader = R"(
import json, sys
r = json.load(open(sys.argv[1]))
assert r["program"] == "VessarQuilix"
for key in ("mode", "files", "container", "sample_format", "gain_db", "filters"):
    assert key in r["settings"], key
assert r["run_seconds"] > 0 and r["filter_set"]
print("version", r["version"])
print("takes", len(r["takes"]))
print("single", "outputs" in r)
for t in r["takes"]:
    f = t["filter"] or {"matrix": "-", "delay_frames": -1, "delay_from": "-"}
    print("take", t["inputs"][0], t["sample_rate"], t["frames"], f["matrix"], f["delay_frames"], f["delay_from"],
          t["loudness"]["integrated_lufs"])
    assert t["failure"] is None
    for o in t["outputs"]:
        l = o["loudness"]
        n = o.get("normalize") or {"gain_db": 0, "peak_limited": False}
        print("output", o["path"], o["frames"], o["clipped_samples"], l["integrated_lufs"], l["range_lu"],
              l["true_peak_dbtp"], n["gain_db"], n["peak_limited"])
)";

struct OutputEntry {
    std::string path;
    std::int64_t frames = 0, clipped = 0;
    double lufs = 0, lu = 0, dbtp = 0, gain = 0;
    bool limited = false;
};

struct Report {
    std::string version;
    int takes = 0;
    bool single = false;
    std::vector<std::string> takeLines;
    std::vector<OutputEntry> outputs;
};

class Deliveries : public CommandTest {
protected:
    // The report at `name`, as Python read it; skips the test when there is no python3.
    Report ReadReport(const std::string& name) const
    {
        std::ofstream(File("read_report.py")) << kReportReader;
        std::string out;
        Report report;
        const int status = Shell("python3 '" + File("read_report.py") + "' '" + File(name) + "'", &out);
        if (status == 127) {
            ADD_FAILURE() << "python3 is needed to read the report";
            return report;
        }
        EXPECT_EQ(status, 0) << out;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string kind;
            words >> kind;
            if (kind == "version")
                words >> report.version;
            else if (kind == "takes")
                words >> report.takes;
            else if (kind == "single")
                report.single = line == "single True";
            else if (kind == "take")
                report.takeLines.push_back(line);
            else if (kind == "output") {
                OutputEntry o;
                std::string limited;
                words >> o.path >> o.frames >> o.clipped >> o.lufs >> o.lu >> o.dbtp >> o.gain >> limited;
                o.limited = limited == "True";
                report.outputs.push_back(o);
            }
        }
        return report;
    }

    // A B-format take read as Furse-Malham by --input-format fuma.
    void WriteBFormatTake(const std::string& name, const std::array<Signal, 4>& wxyz) const
    {
        WriteChannels(File(name), {wxyz[0], wxyz[1], wxyz[2], wxyz[3]});
    }
};

Signal Sine(double frequency, double amplitude, std::int64_t frames)
{
    Signal s(static_cast<std::size_t>(frames));
    for (std::size_t n = 0; n < s.size(); ++n)
        s[n] = amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / kRate);
    return s;
}

// Noise whose level steps every half second, for a loudness with some range.
Signal SteppedNoise(std::int64_t frames, unsigned seed)
{
    Signal s = Noise(frames, seed, 0.5);
    const double steps[] = {1.0, 0.1, 0.5, 0.03, 0.8, 0.2};
    for (std::size_t n = 0; n < s.size(); ++n)
        s[n] *= steps[(n / (kRate / 2)) % 6];
    return s;
}

// Samples beyond full scale in a float file: what a 16-bit one of the same sound clips.
std::int64_t BeyondFullScale(const std::string& path)
{
    const Audio audio = ReadAudio(path);
    return std::count_if(audio.samples.begin(), audio.samples.end(), [](double v) { return std::fabs(v) > 1.0; });
}

TEST_F(Deliveries, TheReportHoldsEveryTakeAndOutputAndPythonReadsIt)
{
    // Two takes: one quiet, one whose 16-bit B-format clips.
    std::array<Signal, 4> quiet, loud;
    for (int k = 0; k < 4; ++k) {
        quiet[k] = Noise(kRate, 10 + k, 0.05);
        loud[k] = Noise(kRate, 20 + k, 4.0);
    }
    WriteAFormat(File("quietF.wav"), File("quietR.wav"), quiet);
    WriteAFormat(File("loudF.wav"), File("loudR.wav"), loud);
    const CommandResult r =
        Convert({"--filters", "filters", "--format", "pcm16", "--report", "run.json", "quietF.wav", "loudF.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    fs::create_directory(File("float"));
    ASSERT_EQ(Convert({"--filters", "filters", "--format", "float", "-d", "float", "--report", "float/run.json",
                       "quietF.wav", "loudF.wav"})
                  .exitCode,
              0);
    const Report report = ReadReport("run.json");
    ASSERT_EQ(report.takes, 2);
    EXPECT_FALSE(report.single) << "outputs at the top level belong to a single take";
    EXPECT_EQ("vessarquilix-convert " + report.version + "\n", Convert({"--version"}).out);
    for (const std::string& take : report.takeLines)
        EXPECT_TRUE(Contains(take, " 48000 48000 filters/FilterMatrix_48000.wav ")) << take;
    ASSERT_EQ(report.outputs.size(), 2u);
    for (const OutputEntry& output : report.outputs) {
        // Frames as the file tells them, clipped samples as the same sound in float shows them.
        EXPECT_EQ(output.frames, ReadAudio(File(output.path)).info.frames) << output.path;
        EXPECT_EQ(output.clipped, BeyondFullScale(File("float/" + output.path))) << output.path;
        EXPECT_TRUE(Contains(r.out, "Wrote " + output.path + ": ")) << r.out;
    }
    EXPECT_EQ(report.outputs[0].path, "quiet_WXYZ.wav");
    EXPECT_GT(report.outputs[1].clipped, 0);
    // Measured as the file holds it: saturated at full scale, well below the float file's
    // true peak, and less than the 38 dB (80 times) louder that the float file is.
    const Report unclipped = ReadReport("float/run.json");
    ASSERT_EQ(unclipped.outputs.size(), 2u);
    EXPECT_NEAR(unclipped.outputs[1].lufs - unclipped.outputs[0].lufs, 20.0 * std::log10(80.0), 0.5);
    EXPECT_GT(unclipped.outputs[1].dbtp - report.outputs[1].dbtp, 6.0);
    EXPECT_LT(report.outputs[1].lufs - report.outputs[0].lufs, 20.0 * std::log10(80.0) - 1.0);

    // A single take gives its outputs at the top level too; a report is replaced with -y.
    const CommandResult again = Convert({"--filters", "filters", "-y", "--report", "run.json", "quietF.wav"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(ReadReport("run.json").single);
}

TEST_F(Deliveries, BinauralLoudnessAgreesWithFfmpegsEbur128Filter)
{
    if (!Have("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed";
    std::array<Signal, 4> capsules;
    for (int k = 0; k < 4; ++k)
        capsules[k] = SteppedNoise(3 * kRate, 20 + k);
    WriteAFormat(File("walkF.wav"), File("walkR.wav"), capsules);
    const CommandResult r =
        Convert({"--filters", "filters", "--mode", "binaural", "--format", "float", "--report", "walk.json", "walkF.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Report report = ReadReport("walk.json");
    ASSERT_EQ(report.outputs.size(), 1u);
    std::string out;
    ASSERT_EQ(Shell("ffmpeg -nostdin -hide_banner -nostats -i '" + File("walk_binaural.wav") + "' -af ebur128 -f null -", &out), 0)
        << out;
    // The summary at the end: "Integrated loudness:\n    I:         -20.5 LUFS".
    const std::size_t summary = out.rfind("Integrated loudness:");
    ASSERT_NE(summary, std::string::npos) << out;
    const double ffmpeg = std::strtod(out.c_str() + out.find("I:", summary) + 2, nullptr);
    EXPECT_NEAR(report.outputs[0].lufs, ffmpeg, 0.2) << out.substr(summary);
}

TEST_F(Deliveries, Tech3341ReferenceToneReadsMinus23ThroughTheReport)
{
    // EBU Tech 3341 case 1: 1 kHz at -23 dBFS in both channels of a stereo file, 20 s. An
    // omni pair decodes sqrt(2) W, the wave's amplitude, into both channels.
    const Signal tone = Sine(1000.0, std::pow(10.0, -23.0 / 20.0), 20 * kRate);
    WriteBFormatTake("tone.wav", FromDirection(tone, 0.0, 0.0));
    const CommandResult r = Convert({"--input-format", "fuma", "--mode", "stereo", "--pattern", "omni", "--surround-gain",
                                     "0", "--format", "float", "--report", "tone.json", "tone.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Audio decoded = ReadAudio(File("tone_stereo.wav"));
    EXPECT_LT(MaxAbsDifference(decoded.Channel(0), tone), 1e-6) << "the file is the reference signal";
    EXPECT_LT(MaxAbsDifference(decoded.Channel(1), tone), 1e-6);
    const Report report = ReadReport("tone.json");
    ASSERT_EQ(report.outputs.size(), 1u);
    EXPECT_NEAR(report.outputs[0].lufs, -23.0, 0.1);
    EXPECT_NEAR(report.outputs[0].lu, 0.0, 0.1);
    EXPECT_NEAR(report.outputs[0].dbtp, -23.0, 0.1);
    EXPECT_TRUE(Contains(r.out, "Wrote tone_stereo.wav: -2")) << r.out;
}

TEST_F(Deliveries, NormalizeMeetsTheTargetExactlyOrHoldsTheTruePeakCeiling)
{
    const Signal noise = SteppedNoise(2 * kRate, 5);
    WriteBFormatTake("n.wav", FromDirection(noise, 30.0, 0.0));
    const std::vector<std::string> stereo = {"--input-format", "fuma", "--mode", "stereo", "--format", "float", "-y"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), stereo.begin(), stereo.end());
        return more;
    };
    ASSERT_EQ(Convert(with({"-o", "plain.wav", "n.wav"})).exitCode, 0);
    const CommandResult r = Convert(with({"--normalize", "-23", "--report", "n.json", "-o", "n23.wav", "n.wav"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Report report = ReadReport("n.json");
    ASSERT_EQ(report.outputs.size(), 1u);
    // libebur128 keeps the blocks' loudness in bins of 0.1 LU, so that its memory stays fixed.
    EXPECT_NEAR(report.outputs[0].lufs, -23.0, 0.05);
    EXPECT_FALSE(report.outputs[0].limited);
    EXPECT_TRUE(Contains(r.out, "Normalised the loudness: ")) << r.out;
    // One gain on the same decode, applied before the samples are written: the normalised
    // file is the plain one times the gain the report states (to its 0.01 dB).
    const Audio plain = ReadAudio(File("plain.wav")), normalised = ReadAudio(File("n23.wav"));
    ASSERT_EQ(plain.samples.size(), normalised.samples.size());
    double cross = 0.0, power = 0.0, peak = 0.0;
    for (std::size_t i = 0; i < plain.samples.size(); ++i) {
        cross += normalised.samples[i] * plain.samples[i];
        power += plain.samples[i] * plain.samples[i];
        peak = std::max(peak, std::fabs(normalised.samples[i]));
    }
    const double gain = cross / power;
    EXPECT_NEAR(20.0 * std::log10(gain), report.outputs[0].gain, 0.006);
    for (std::size_t i = 0; i < plain.samples.size(); ++i)
        ASSERT_NEAR(normalised.samples[i], gain * plain.samples[i], 1e-6 * peak) << i;

    // Clicks in near silence: the target would take the true peak past -1 dBTP, so the gain
    // stops there, and a 16-bit file then has nothing to clip.
    Signal clicks(static_cast<std::size_t>(2 * kRate), 0.0);
    for (std::size_t n = 1000; n < clicks.size(); n += kRate / 4)
        clicks[n] = 0.05;
    WriteBFormatTake("c.wav", FromDirection(clicks, 0.0, 0.0));
    ASSERT_EQ(Convert(with({"--normalize", "-10", "--format", "pcm16", "--report", "c.json", "c.wav"})).exitCode, 0);
    report = ReadReport("c.json");
    ASSERT_EQ(report.outputs.size(), 1u);
    EXPECT_TRUE(report.outputs[0].limited);
    EXPECT_NEAR(report.outputs[0].dbtp, -1.0, 0.05);
    EXPECT_LT(report.outputs[0].lufs, -10.0);
    EXPECT_EQ(report.outputs[0].clipped, 0);
}

TEST_F(Deliveries, FiveOneInThreeFilesIsMeasuredAsOneProgramme)
{
    WriteBFormatTake("s.wav", FromDirection(SteppedNoise(kRate, 8), 100.0, 0.0));
    const std::vector<std::string> common = {"--input-format", "fuma", "--mode", "5.1", "--format", "float"};
    std::vector<std::string> one = common, three = common;
    one.insert(one.end(), {"--report", "one.json", "-o", "one.wav", "s.wav"});
    three.insert(three.end(), {"--files", "3", "--report", "three.json", "-o", "a.wav", "-o", "b.wav", "-o", "c.wav", "s.wav"});
    ASSERT_EQ(Convert(one).exitCode, 0);
    const CommandResult r = Convert(three);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The six channels in one file, measured as 5.1, and in three files, measured together.
    const Report whole = ReadReport("one.json"), split = ReadReport("three.json");
    ASSERT_EQ(whole.outputs.size(), 1u);
    ASSERT_EQ(split.outputs.size(), 3u);
    ASSERT_EQ(split.takeLines.size(), 1u);
    const std::string takeLoudness = split.takeLines[0].substr(split.takeLines[0].rfind(' ') + 1);
    EXPECT_NEAR(std::stod(takeLoudness), whole.outputs[0].lufs, 0.01);
    EXPECT_GT(std::fabs(split.outputs[0].lufs - whole.outputs[0].lufs), 0.5) << "L and R alone are another loudness";
    EXPECT_TRUE(Contains(r.out, "Loudness of the 5.1 output as a whole: ")) << r.out;
}

// The map's CSV: azimuth, elevation -> level in dB.
struct MapData {
    std::map<std::pair<int, int>, double> levels;
    int azimuthStep = 360, elevationStep = 180;
};

MapData ReadMapData(const std::string& path)
{
    MapData map;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "azimuth,elevation,level_db");
    std::set<int> azimuths, elevations;
    while (std::getline(in, line)) {
        double a = 0, e = 0, level = 0;
        char comma1 = 0, comma2 = 0;
        std::istringstream(line) >> a >> comma1 >> e >> comma2 >> level;
        map.levels[{int(std::lround(a)), int(std::lround(e))}] = level;
        azimuths.insert(int(std::lround(a)));
        elevations.insert(int(std::lround(e)));
    }
    for (auto i = azimuths.begin(); std::next(i) != azimuths.end(); ++i)
        map.azimuthStep = std::min(map.azimuthStep, *std::next(i) - *i);
    for (auto i = elevations.begin(); std::next(i) != elevations.end(); ++i)
        map.elevationStep = std::min(map.elevationStep, *std::next(i) - *i);
    EXPECT_EQ(*azimuths.begin(), -180);
    EXPECT_EQ(*azimuths.rbegin(), 180);
    EXPECT_EQ(*elevations.begin(), -90);
    EXPECT_EQ(*elevations.rbegin(), 90);
    return map;
}

double AngleBetween(double az1, double el1, double az2, double el2)
{
    const double r = kPi / 180.0;
    const double c = std::sin(el1 * r) * std::sin(el2 * r) + std::cos(el1 * r) * std::cos(el2 * r) * std::cos((az1 - az2) * r);
    return std::acos(std::clamp(c, -1.0, 1.0)) / r;
}

// The loudest point within 30 degrees of (az, el), how far from (az, el) it lies, and how far
// it stands above the median of the half of the sphere opposite it.
struct Peak {
    double offDegrees = 180, aboveOppositeDb = 0;
};

Peak PeakNear(const MapData& map, double az, double el)
{
    double best = -1e9, bestAz = 0, bestEl = 0;
    for (const auto& [where, level] : map.levels)
        if (AngleBetween(where.first, where.second, az, el) <= 30.0 && level > best)
            best = level, bestAz = where.first, bestEl = where.second;
    std::vector<double> opposite;
    for (const auto& [where, level] : map.levels)
        if (AngleBetween(where.first, where.second, bestAz, bestEl) > 90.0)
            opposite.push_back(level);
    std::nth_element(opposite.begin(), opposite.begin() + opposite.size() / 2, opposite.end());
    return {AngleBetween(bestAz, bestEl, az, el), best - opposite[opposite.size() / 2]};
}

TEST_F(Deliveries, MapPeaksStandWhereTwoSourcesPlayedInTurnAndTurnWithTheField)
{
    // A second of noise from (60, 20), then a second from (-120, -10).
    std::array<Signal, 4> field = FromDirection(Noise(2 * kRate, 61, 0.3), 60.0, 20.0);
    const std::array<Signal, 4> second = FromDirection(Noise(2 * kRate, 62, 0.3), -120.0, -10.0);
    for (int k = 0; k < 4; ++k)
        for (std::size_t n = 0; n < field[k].size(); ++n)
            field[k][n] = n < std::size_t(kRate) ? field[k][n] : second[k][n];
    WriteBFormatTake("two.wav", field);
    struct Case {
        std::vector<std::string> rotate;
        double azimuths[2];
    };
    // Yaw turns the field to the left: every azimuth grows by 90 degrees.
    for (const Case& c : {Case{{}, {60.0, -120.0}}, Case{{"--rotate", "90,0,0"}, {150.0, -30.0}}}) {
        std::vector<std::string> args = {"--input-format", "fuma", "-y", "--map-data", "two.csv", "--map", "two.png"};
        args.insert(args.end(), c.rotate.begin(), c.rotate.end());
        args.push_back("two.wav");
        const CommandResult r = Convert(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "Wrote two.csv\nWrote two.png\n")) << r.out;
        const MapData map = ReadMapData(File("two.csv"));
        EXPECT_LE(map.azimuthStep, 5);
        EXPECT_LE(map.elevationStep, 5);
        const double elevations[2] = {20.0, -10.0};
        for (int s = 0; s < 2; ++s) {
            const Peak peak = PeakNear(map, c.azimuths[s], elevations[s]);
            EXPECT_LE(peak.offDegrees, 6.0) << c.azimuths[s];
            EXPECT_GE(peak.aboveOppositeDb, 6.0) << c.azimuths[s];
        }
        // The picture: a PNG of the stated size (its header's width and height).
        std::ifstream png(File("two.png"), std::ios::binary);
        unsigned char header[24] = {};
        png.read(reinterpret_cast<char*>(header), sizeof header);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(header) + 1, 3), "PNG");
        EXPECT_EQ(header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19], 900);
        EXPECT_EQ(header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23], 640);
    }
}

// The picture lays the map out as a 360-degree frame is laid out: +180 at its left edge, the
// front in the middle, so a source on the left (+90) is drawn in the left half, a quarter of
// the way across, where the "left" mark stands. Read back by ffmpeg.
TEST_F(Deliveries, TheMapPictureShowsTheLeftOnTheLeft)
{
    VQ_REQUIRE_FFMPEG();
    WriteBFormatTake("left.wav", FromDirection(Noise(kRate, 71, 0.3), 90.0, 0.0));
    const CommandResult r = Convert({"--input-format", "fuma", "-y", "--map", "left.png", "left.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Picture picture = DecodePicture(File("left.png"));
    ASSERT_EQ(picture.width, vq::kDirectionPictureWidth);
    // The map's pixel nearest the colour of the loudest direction.
    const std::array<double, 3> loudest = vq::DirectionScaleColour(0.0);
    double nearest = 1e9;
    int bestX = 0, bestY = 0;
    for (int y = vq::kDirectionPictureMapTop; y < vq::kDirectionPictureMapTop + vq::kDirectionPictureMapHeight; ++y)
        for (int x = vq::kDirectionPictureMapLeft; x < vq::kDirectionPictureMapLeft + vq::kDirectionPictureMapWidth;
             ++x) {
            double distance = 0.0;
            for (int c = 0; c < 3; ++c)
                distance += std::fabs(picture.At(x, y)[c] - 255.0 * loudest[c]);
            if (distance < nearest)
                nearest = distance, bestX = x, bestY = y;
        }
    EXPECT_LT(bestX, picture.width / 2) << "the left is on the left";
    const double azimuth = 180.0 - (bestX - vq::kDirectionPictureMapLeft + 0.5) * 360.0 / vq::kDirectionPictureMapWidth;
    const double elevation = 90.0 - (bestY - vq::kDirectionPictureMapTop + 0.5) * 180.0 / vq::kDirectionPictureMapHeight;
    EXPECT_NEAR(azimuth, 90.0, 6.0);
    EXPECT_NEAR(elevation, 0.0, 6.0);
}

TEST_F(Deliveries, BadValuesAreRefusedBeforeAnythingIsWritten)
{
    WriteTake("t", 6000, 3);
    WriteTake("u", 6000, 4);
    std::ofstream(File("old.json")) << "{}";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string said;
    };
    const Case cases[] = {
        {{"--map-band", "4000,200", "--map-data", "m.csv", "tF.wav"}, 2, "LO,HI in Hz with LO below HI"},
        {{"--map-band", "200", "--map-data", "m.csv", "tF.wav"}, 2, "LO,HI in Hz with LO below HI"},
        {{"--map-band", "-5,200", "--map-data", "m.csv", "tF.wav"}, 2, "--map-band"},
        {{"--map-band", "200,30000", "--map-data", "m.csv", "tF.wav"}, 2, "reaches above half the rate of 'tF.wav' (24000 Hz)"},
        {{"--map-band", "200,4000", "tF.wav"}, 2, "--map-band goes with --map or --map-data"},
        {{"--map", "m.png", "tF.wav", "uF.wav"}, 2, "give a folder (ending in /)"},
        {{"--map-data", "t_WXYZ.wav", "tF.wav"}, 2, "name the same file"},
        {{"--map-data", "tR.wav", "tF.wav"}, 2, "is its recording 'tR.wav'"},
        {{"--map", "nowhere/m.png", "tF.wav"}, 1, "nowhere"},
        {{"--report", "nowhere/r.json", "tF.wav"}, 2, "--report"},
        {{"--report", "uF.wav", "tF.wav", "uF.wav"}, 2, "is the recording 'uF.wav' of the take 'uF.wav'"},
        {{"--report", "old.json", "tF.wav"}, 2, "give --force (-y) to replace it"},
        {{"--normalize", "-23", "tF.wav"}, 2, "--normalize goes with a decode"},
        {{"--normalize", "-23", "--mode", "stereo", "--surround-autorange", "tF.wav"}, 2, "give one of them"},
        {{"--normalize", "5", "--mode", "stereo", "tF.wav"}, 2, "--normalize"},
        {{"--normalize", "loud", "--mode", "stereo", "tF.wav"}, 2, "--normalize"},
    };
    const std::vector<std::string> before = Listing();
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--filters", "filters"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandResult r = Convert(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.said << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, c.said)) << r.err;
        EXPECT_EQ(Listing(), before) << c.said;
    }
}

}  // namespace
