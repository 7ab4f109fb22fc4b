// vessarquilix-mkfilters: designs the A-format to B-format filter matrices of a
// tetrahedral microphone, one file per sample rate.
#include "ToolOptions.h"
#include "common/EngineStatus.h"
#include "common/OutputFiles.h"
#include "StatusTable.h"
#include "filters/FilterDescription.h"
#include "filters/FilterDesign.h"
#include "filters/FilterMatrixFile.h"
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
        "  --date YYYY-MM-DD    the design date written into the files (default:\n"
        "                       SOURCE_DATE_EPOCH's day when set, else today, UTC)\n"
        "%s",
        kProgram, kMicrophoneHelp, kOutputHelp);
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

}  // namespace

int main(int argc, char** argv)
{
    CommandLine args(kProgram, ToolOptionList({{"taps", '\0', true}, {"rates", '\0', true}, {"date", '\0', true}}),
                     argc, argv);
    ToolOptions options;
    DesignOptions design;
    const auto takeDesignOption = [&]() {
        if (args.Is("taps")) {
            args.Integer(64, 65536, &design.taps);
        } else if (args.Is("rates")) {
            args.IntegerList(8000, 384000, &design.rates);
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

    std::vector<std::string> paths;
    for (int rate : design.rates)
        paths.push_back(options.out + "/" + FilterMatrixFileName(rate));
    if (!ReadyToWrite(kProgram, options, paths))
        return kExitFailure;

    const ArrayModel model(options.geometry);
    for (std::size_t i = 0; i < design.rates.size(); ++i) {
        const int rate = design.rates[i];
        FilterSet set;
        int status = DesignFilterSet(model, rate, TapsAtRate(design.taps, rate), &set);
        if (status == kStatusOk)
            status = WriteFilterMatrixFile(paths[i], set, DescribeFilterSet(description, set));
        if (status != kStatusOk)
            return Report(paths[i], status);
        std::printf("%s: %d taps, %.2f ms delay\n", paths[i].c_str(), set.taps, 1000.0 * set.delay / rate);
    }
    return kExitOk;
}
