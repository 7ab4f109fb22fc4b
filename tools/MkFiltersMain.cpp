// vessarquilix-mkfilters: designs the A-format to B-format filter matrices of a
// tetrahedral microphone, one file per sample rate.
#include "ToolOptions.h"
#include "common/EngineStatus.h"
#include "common/OutputFiles.h"
#include "StatusTable.h"
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

void PrintHelp()
{
    std::printf(
        "Usage: %s [options]\n"
        "Designs the filter matrices that turn the four capsule signals of a tetrahedral\n"
        "microphone (FLU, FRD, BLD, BRU) into B-format (W, X, Y, Z), correcting for the\n"
        "capsules' spacing, and writes FilterMatrix_<rate>.wav for each sample rate.\n"
        "\n"
        "%s"
        "  --taps L             filter length at 48 kHz, 64 to 65536, scaled with the rate\n"
        "                       (default 512)\n"
        "  --rates LIST         comma-separated sample rates, 8000 to 384000 Hz\n"
        "                       (default 44100,48000,88200,96000)\n"
        "%s",
        kProgram, kMicrophoneHelp, kOutputHelp);
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine args(kProgram, ToolOptionList({{"taps", '\0', true}, {"rates", '\0', true}}), argc, argv);
    ToolOptions options;
    int taps = kDefaultTaps;
    std::vector<int> rates = {44100, 48000, 88200, 96000};
    const auto takeDesignOption = [&]() {
        if (args.Is("taps"))
            args.Integer(64, 65536, &taps);
        else if (args.Is("rates"))
            args.IntegerList(8000, 384000, &rates);
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
    std::sort(rates.begin(), rates.end());
    rates.erase(std::unique(rates.begin(), rates.end()), rates.end());

    std::vector<std::string> paths;
    for (int rate : rates)
        paths.push_back(options.out + "/" + FilterMatrixFileName(rate));
    if (!ReadyToWrite(kProgram, options, paths))
        return kExitFailure;

    const ArrayModel model(options.geometry);
    for (std::size_t i = 0; i < rates.size(); ++i) {
        FilterSet set;
        int status = DesignFilterSet(model, rates[i], TapsAtRate(taps, rates[i]), &set);
        if (status == kStatusOk)
            status = WriteFilterMatrixFile(paths[i], set);
        if (status != kStatusOk) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgram, paths[i].c_str(), StatusMessage(status).c_str());
            return kExitFailure;
        }
        std::printf("%s: %d taps, %.2f ms delay\n", paths[i].c_str(), set.taps, 1000.0 * set.delay / rates[i]);
    }
    return kExitOk;
}
