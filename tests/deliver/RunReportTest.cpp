// The run report: JSON that Python's parser reads back with every value and every odd file
// name intact, written whole or not at all.
#include "common/EngineStatus.h"
#include "deliver/RunReport.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

using namespace vqtest;

namespace {

// Runs `script` with `arguments` as sys.argv[1:] and returns what it prints; false when
// there is no python3 to run it.
bool Python(const std::string& script, const std::string& arguments, std::string* out)
{
    const std::string command = "python3 -c '" + script + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe))
        *out += line;
    const int status = pipe ? pclose(pipe) : -1;
    return status != -1 && !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

const std::string kOddPath = std::string("out/\"quoted\" back\\slash\ttab\nnew line \x01 caf\xC3\xA9 \xE6\x97\xA5 raw\xFF.wav");

vq::RunReport Report(int takes)
{
    vq::RunReport report;
    report.version = "0.7.1b";
    report.settings = {{"mode", std::string("binaural")}, {"gain_db", -3.5}, {"threads", std::int64_t{4}},
                       {"dither", true}};
    report.filterSet = "/usr/share/vessarquilix/filters";
    for (int t = 0; t < takes; ++t) {
        vq::TakeRecord take;
        take.inputs = {t == 0 ? kOddPath : "second.wav"};
        take.sampleRate = 48000;
        take.frames = 96000 + t;
        take.filter = vq::FilterRecord{"filters/48000.wav", 25, "file"};
        vq::OutputRecord output;
        output.path = t == 0 ? kOddPath : "second_binaural.wav";
        output.frames = 96025;
        output.clippedSamples = 3;
        output.loudness = vq::Loudness{-23.04, 5.5, -1.25};
        output.normalize = vq::NormalizeRecord{-23.0, 2.5, true};
        output.start = vq::StartRecord{172800000, "01:00:00:00", "30000/1001"};
        take.outputs.push_back(output);
        vq::OutputRecord silent;
        silent.path = "silent.wav";
        silent.loudness = vq::Loudness{-INFINITY, 0.0, -INFINITY};
        take.outputs.push_back(silent);
        report.takes.push_back(take);
    }
    report.runSeconds = 1.5;
    return report;
}

TEST(RunReport, PythonReadsBackEveryValueAndOddFileNames)
{
    TempDir dir;
    const std::string single = dir.File("report.json");
    const std::string batch = dir.File("batch.json");
    vq::FailureDetail detail;
    ASSERT_EQ(vq::WriteRunReport(Report(1), single, &detail), vq::kStatusOk) << detail.reason;
    ASSERT_EQ(vq::WriteRunReport(Report(2), batch, &detail), vq::kStatusOk) << detail.reason;
    const std::string script =
        "import json, os, sys\n"
        "r = json.load(open(sys.argv[1], encoding=\"utf-8\"))\n"
        "t = r[\"takes\"][0]; o = t[\"outputs\"][0]; s = t[\"outputs\"][1]\n"
        "print(r[\"program\"], r[\"version\"], r[\"settings\"], r[\"filter_set\"], r[\"run_seconds\"])\n"
        "print(t[\"sample_rate\"], t[\"frames\"], t[\"seconds\"], t[\"filter\"])\n"
        "print(os.fsencode(o[\"path\"]).hex(), os.fsencode(t[\"inputs\"][0]).hex())\n"
        "print(o[\"frames\"], o[\"clipped_samples\"], o[\"loudness\"], o[\"normalize\"])\n"
        "print(s[\"loudness\"], r[\"outputs\"] == t[\"outputs\"])\n"
        "print(o[\"start\"], s[\"start\"])\n"
        "b = json.load(open(sys.argv[2], encoding=\"utf-8\"))\n"
        "print(len(b[\"takes\"]), \"outputs\" in b)\n";
    std::string out;
    if (!Python(script, "'" + single + "' '" + batch + "'", &out))
        GTEST_SKIP() << "python3 is not installed";
    std::string hex;
    for (const unsigned char c : kOddPath) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    // A single take lists its outputs at the top level too; a batch only under its takes.
    EXPECT_EQ(out, "VessarQuilix 0.7.1b {'mode': 'binaural', 'gain_db': -3.5, 'threads': 4, 'dither': True} "
                   "/usr/share/vessarquilix/filters 1.5\n"
                   "48000 96000 2.0 {'matrix': 'filters/48000.wav', 'delay_frames': 25, 'delay_from': 'file'}\n" +
                       hex + " " + hex +
                       "\n"
                       "96025 3 {'integrated_lufs': -23.04, 'range_lu': 5.5, 'true_peak_dbtp': -1.25} "
                       "{'target_lufs': -23.0, 'gain_db': 2.5, 'peak_limited': True}\n"
                       "{'integrated_lufs': None, 'range_lu': 0.0, 'true_peak_dbtp': None} True\n"
                       "{'samples': 172800000, 'timecode': '01:00:00:00', 'timecode_rate': '30000/1001'} None\n"
                       "2 False\n");
}

TEST(RunReport, ReplacesWholeOrLeavesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("report.json");
    vq::FailureDetail detail;
    ASSERT_EQ(vq::WriteRunReport(Report(2), path, &detail), vq::kStatusOk);
    ASSERT_EQ(vq::WriteRunReport(Report(1), path, &detail), vq::kStatusOk);
    EXPECT_EQ(std::filesystem::file_size(path), vq::RunReportJson(Report(1)).size());
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "no temporary left behind";

    const std::string missing = dir.File("no such folder/report.json");
    EXPECT_EQ(vq::WriteRunReport(Report(1), missing, &detail), vq::kOutputOpenFailed);
    EXPECT_EQ(detail.path, missing);
    EXPECT_FALSE(detail.reason.empty());
    // A name that is a folder: the temporary is written, the rename refused and removed.
    std::filesystem::create_directory(dir.File("taken"));
    EXPECT_EQ(vq::WriteRunReport(Report(1), dir.File("taken"), &detail), vq::kOutputWriteFailed);
    EXPECT_EQ(detail.path, dir.File("taken"));
    EXPECT_FALSE(std::filesystem::exists(dir.File(".taken.XXXXXX")));
    entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
