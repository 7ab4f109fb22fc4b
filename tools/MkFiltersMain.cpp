// vessarquilix-mkfilters: designs the A-format to B-format filter matrices of a
// tetrahedral microphone, one file per sample rate: from the microphone's nominal geometry,
// or from a measurement of the unit (--measured).
#include "ProgressBar.h"
#include "ToolOptions.h"
#include "common/EngineStatus.h"
#include "common/OutputFiles.h"
#include "StatusTable.h"
#include "VqVersion.h"
#include "filters/DesignChecks.h"
#include "filters/FilterDescription.h"
#include "filters/FilterDesign.h"
#include "filters/FilterMatrixFile.h"
#include "filters/MeasuredDesign.h"
#include "filters/Measurement.h"
#include "filters/MicrophonePresets.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace vq;

namespace {

constexpr const char* kProgram = "vessarquilix-mkfilters";

struct DesignOptions {
    int taps = kDefaultTaps;
    std::vector<int> rates = {32000, 44100, 48000, 88200, 96000, 176400, 192000};
    std::string measured;  // the measurement, empty for the nominal design
    double maxBoostDb = kDefaultMaxBoostDb;
    std::string date;  // --date, empty when not given
};

void PrintHelp()
{
    std::printf(
        "Usage: %s [options]\n"
        "Designs the filter matrices that turn the four capsule signals of a tetrahedral\n"
        "microphone (FLU, FRD, BLD, BRU) into B-format (W, X, Y, Z), correcting for the\n"
        "capsules' spacing, and writes FilterMatrix_<rate>.wav for each sample rate. Each file\n"
        "says in its INFO chunk how it was designed and by how many frames it delays.\n"
        "\n"
        "%s"
        "  --taps L             filter length at 48 kHz, 64 to 65536, scaled with the rate\n"
        "                       (default 512)\n"
        "  --rates LIST         comma-separated sample rates, 8000 to 384000 Hz (default\n"
        "                       32000,44100,48000,88200,96000,176400,192000)\n"
        "  --measured SOURCE    design from a measurement of the unit: a folder of 4-channel\n"
        "                       WAV files <azimuth>_<elevation>.wav (degrees) or a SOFA file\n"
        "                       with 4 receivers; the microphone options give the nominal\n"
        "                       design used where the measurement cannot\n"
        "  --max-boost DB       largest noise gain of a measured design over a coincident\n"
        "                       array's, 0 to 40 dB (default 12)\n"
        "  --date YYYY-MM-DD    the design date written into the files (default:\n"
        "                       SOURCE_DATE_EPOCH's day when set, else today, UTC)\n"
        "%s"
        "\n"
        "Exit status:\n"
        "  0    done\n"
        "  1    a file exists (without --force) or cannot be written, or the measurement cannot\n"
        "       be used (the message names the file)\n"
        "  2    the command line is wrong\n"
        "\n"
        "Examples:\n"
        "  $ %s --radius 10 --pattern subcardioid --out my-filters\n"
        "  $ %s --orientation endfire --rates 48000 --taps 1024 --out my-filters\n"
        "  $ %s --measured my-unit.sofa --preset tetramic --out my-filters\n",
        kProgram, kMicrophoneHelp, kOutputHelp, kProgram, kProgram, kProgram);
}

std::string NominalName(const ToolOptions& options)
{
    const MicrophonePreset* preset = FindPreset(options.preset);
    return preset ? "preset " + options.preset + " (" + preset->model + ")" : "nominal";
}

int Report(const std::string& path, int status)
{
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), StatusMessage(status).c_str());
    return kExitFailure;
}

int Fail(const MeasurementProblem& problem)
{
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, problem.file.c_str(), problem.reason.c_str());
    return kExitFailure;
}

// The share `done` of a stage that spans `from` to `to` of the whole design.
DesignProgress Stage(const DesignProgress& whole, double from, double to)
{
    return [whole, from, to](double done) { whole(from + (to - from) * done); };
}

// Designs `set` at `rate` from the measurement, then prints how well it reproduces it once
// the progress has ended.
int DesignMeasured(const Measurement& measurement, const ArrayModel& nominal, const DesignOptions& design, int rate,
                   const std::string& path, FilterSet* set, ProgressBar& bar, const DesignProgress& progress)
{
    MeasuredDesign measured(measurement, nominal, rate, TapsAtRate(design.taps, rate), design.maxBoostDb);
    std::vector<BandCheck> checks;
    int status = measured.Prepare(Stage(progress, 0.0, 0.4));
    if (status == kStatusOk)
        status = measured.Design(set, Stage(progress, 0.4, 0.8));
    if (status == kStatusOk)
        status = CheckDesign(measured, *set, &checks, Stage(progress, 0.8, 1.0));
    bar.End(status == kStatusOk);
    if (status == kStatusOk) {
        std::printf("%s, designed from %s:\n", path.c_str(), design.measured.c_str());
        PrintChecks(stdout, measured, *set, checks);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine args(kProgram, MkFiltersOptionList(), argc, argv);
    ToolOptions options;
    DesignOptions design;
    const auto takeDesignOption = [&]() {
        if (args.Is("taps")) {
            args.Integer(64, 65536, &design.taps);
        } else if (args.Is("rates")) {
            args.IntegerList(8000, 384000, &design.rates);
        } else if (args.Is("measured")) {
            if (args.Text(&design.measured) && design.measured.empty())
                args.BadValue("a folder or a SOFA file");
        } else if (args.Is("max-boost")) {
            args.Number(0.0, 40.0, &design.maxBoostDb);
        } else if (args.Is("date")) {
            if (args.Text(&design.date) && design.date.empty())
                args.BadValue("a day as YYYY-MM-DD");
        }
    };
    if (!ParseToolOptions(args, &options, takeDesignOption))
        return kExitUsage;
    if (options.help) {
        PrintHelp();
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, kVersionString);
        return kExitOk;
    }
    if (options.listPresets) {
        PrintPresets(stdout);
        return kExitOk;
    }
    DesignDescription description;
    std::string problem;
    if (!DesignDate(design.date, &description.date, &problem))
        return ReportUsage(kProgram, problem);
    description.geometry = options.geometry;
    description.design = NominalName(options);
    std::sort(design.rates.begin(), design.rates.end());
    design.rates.erase(std::unique(design.rates.begin(), design.rates.end()), design.rates.end());

    Measurement measurement;
    if (!design.measured.empty()) {
        MeasurementProblem trouble;
        std::vector<std::string> warnings;
        if (!ReadMeasurement(design.measured, &measurement, &trouble, &warnings))
            return Fail(trouble);
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "%s: warning: %s\n", kProgram, warning.c_str());
        description.design =
            "measured " + measurement.name + " (" + std::to_string(measurement.directions.size()) + " directions)";
    }

    std::vector<std::string> paths;
    for (int rate : design.rates)
        paths.push_back(options.out + "/" + FilterMatrixFileName(rate));
    if (!ReadyToWrite(kProgram, options, paths))
        return kExitFailure;

    const ArrayModel model(options.geometry);
    // A design at a high rate takes minutes: a terminal shows how far it is.
    ProgressBar bar;
    for (std::size_t i = 0; i < design.rates.size(); ++i) {
        const int rate = design.rates[i];
        FilterSet set;
        bar.Begin("Designing " + FilterMatrixFileName(rate) + "...");
        const DesignProgress progress = [&bar](double done) { bar.Update(static_cast<int>(1000.0 * done)); };
        int status = kStatusOk;
        if (design.measured.empty()) {
            status = DesignFilterSet(model, rate, TapsAtRate(design.taps, rate), &set, progress);
            bar.End(status == kStatusOk);
        } else {
            status = DesignMeasured(measurement, model, design, rate, paths[i], &set, bar, progress);
        }
        if (status == kStatusOk)
            status = WriteFilterMatrixFile(paths[i], set, DescribeFilterSet(description, set));
        if (status != kStatusOk)
            return Report(paths[i], status);
        if (design.measured.empty())
            std::printf("%s: %d taps, %.2f ms delay\n", paths[i].c_str(), set.taps, 1000.0 * set.syncDelay / rate);
    }
    return kExitOk;
}
