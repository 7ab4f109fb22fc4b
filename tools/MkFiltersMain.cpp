// vessarquilix-mkfilters: designs the A-format to B-format filter matrices of a
// tetrahedral microphone, one file per sample rate.
#include "common/CommandLine.h"
#include "common/EngineStatus.h"
#include "common/OutputFiles.h"
#include "filters/FilterDesign.h"
#include "filters/FilterMatrixFile.h"

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
        "  --radius MM          distance of each capsule from the centre, in millimetres\n"
        "                       (default 15)\n"
        "  --pattern NAME       capsule pattern: cardioid (default), supercardioid,\n"
        "                       hypercardioid or subcardioid\n"
        "  --orientation NAME   upright (default), upside-down (hanging, front marking to\n"
        "                       the front) or endfire (lying, top to the front, front\n"
        "                       marking up)\n"
        "  --taps L             filter length at 48 kHz, scaled with the rate (default 512)\n"
        "  --rates LIST         comma-separated sample rates\n"
        "                       (default 44100,48000,88200,96000)\n"
        "  --out DIR            output directory, created when missing (default: .)\n"
        "  --force              replace files that exist already\n"
        "  --help               show this text\n"
        "\n"
        "Exit status: 0 done; 1 a file exists (without --force) or cannot be written;\n"
        "2 the command line is wrong.\n",
        kProgram);
}

struct Options {
    ArrayGeometry geometry;
    int taps = kDefaultTaps;
    std::vector<int> rates = {44100, 48000, 88200, 96000};
    std::string out = ".";
    bool force = false;
    bool help = false;
};

bool ParseOptions(CommandLine& args, Options* options)
{
    double radiusMm = options->geometry.radius * 1000.0;
    while (args.Next()) {
        std::string name;
        if (args.Is("--radius")) {
            args.Number(1.0, 100.0, &radiusMm);
        } else if (args.Is("--pattern")) {
            if (args.Text(&name) && !ParsePattern(name, &options->geometry.pattern))
                args.UsageError("unknown pattern '" + name +
                                "' (cardioid, supercardioid, hypercardioid or subcardioid)");
        } else if (args.Is("--orientation")) {
            if (args.Text(&name) && !ParseMounting(name, &options->geometry.mounting))
                args.UsageError("unknown orientation '" + name + "' (upright, upside-down or endfire)");
        } else if (args.Is("--taps")) {
            args.Integer(64, 65536, &options->taps);
        } else if (args.Is("--rates")) {
            args.IntegerList(8000, 384000, &options->rates);
        } else if (args.Is("--out")) {
            if (args.Text(&options->out) && options->out.empty())
                args.UsageError("--out needs a directory name");
        } else if (args.Is("--force")) {
            options->force = true;
        } else if (args.Is("--help")) {
            options->help = true;
        } else {
            args.Unknown();
        }
    }
    options->geometry.radius = radiusMm / 1000.0;
    std::sort(options->rates.begin(), options->rates.end());
    options->rates.erase(std::unique(options->rates.begin(), options->rates.end()), options->rates.end());
    return !args.Failed();
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine args(kProgram, argc, argv);
    Options options;
    if (!ParseOptions(args, &options))
        return kExitUsage;
    if (options.help) {
        PrintHelp();
        return kExitOk;
    }

    std::vector<std::string> paths;
    for (int rate : options.rates)
        paths.push_back(options.out + "/" + FilterMatrixFileName(rate));
    if (!PrepareDirectory(kProgram, options.out) || !MayWrite(kProgram, paths, options.force))
        return kExitFailure;

    const ArrayModel model(options.geometry);
    for (std::size_t i = 0; i < options.rates.size(); ++i) {
        FilterSet set;
        const int rate = options.rates[i];
        int status = DesignFilterSet(model, rate, TapsAtRate(options.taps, rate), &set);
        if (status == kStatusOk)
            status = WriteFilterMatrixFile(paths[i], set);
        if (status != kStatusOk) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgram, paths[i].c_str(), ToolStatusText(status));
            return kExitFailure;
        }
        std::printf("%s: %d taps, %.2f ms delay\n", paths[i].c_str(), set.taps, 1000.0 * set.delay / rate);
    }
    return kExitOk;
}
