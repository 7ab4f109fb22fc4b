// vq-bench: speed of the engines as ratios against I/O-only passes measured in the same run.
//
//   vq-bench [--minutes M] [--taps 512,4096] [--repeats R] [--dir DIR] [--only convolver|surround|decode|chain]
#include "BenchFiles.h"
#include "ChainBench.h"
#include "CommandLine.h"
#include "ConvolverBench.h"
#include "DecodeBench.h"
#include "SurroundBench.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "vq-bench";

const std::vector<vq::Option> kOptions = {
    {"minutes", '\0', true}, {"taps", '\0', true}, {"repeats", '\0', true},
    {"dir", '\0', true},     {"only", '\0', true}, {"help", 'h', false},
};

void PrintHelp()
{
    std::printf(
        "Usage: %s [options]\n"
        "Times the engines on generated 48 kHz recordings, as ratios against I/O-only passes\n"
        "over the same files.\n"
        "\n"
        "  --minutes M          length of the recordings, 0.01 to 600 minutes (default 10)\n"
        "  --taps L1,L2,...     filter lengths of the convolution, 1 to 65536 (default 512,4096)\n"
        "  --repeats R          passes per measurement, the best one counts, 1 to 100 (default 3)\n"
        "  --dir DIR            where the scratch files go (default /tmp)\n"
        "  --only NAME          convolver, surround, decode or chain (default: all four; the\n"
        "                       decodes run with the longest filter length given, the chain\n"
        "                       with the shortest, over at most 10 s of audio held in memory)\n"
        "  -h, --help           show this text\n",
        kProgram);
}

}  // namespace

int main(int argc, char** argv)
{
    double minutes = 10.0;
    std::vector<int> taps = {512, 4096};
    int repeats = 3;
    std::string dir = "/tmp";
    int only = -1;  // every benchmark
    enum { kConvolver, kSurround, kDecode, kChain };
    vq::CommandLine args(kProgram, kOptions, argc, argv);
    while (args.Next()) {
        if (args.Is("minutes")) {
            args.Number(0.01, 600.0, &minutes);
        } else if (args.Is("taps")) {
            args.IntegerList(1, 65536, &taps);
        } else if (args.Is("repeats")) {
            args.Integer(1, 100, &repeats);
        } else if (args.Is("dir")) {
            if (args.Text(&dir) && dir.empty())
                args.BadValue("a directory name");
        } else if (args.Is("only")) {
            args.Choice({"convolver", "surround", "decode", "chain"}, &only);
        } else if (args.Is("help")) {
            PrintHelp();
            return vq::kExitOk;
        }
    }
    if (!args.Failed() && !args.Arguments().empty())
        args.UsageError("unexpected argument '" + args.Arguments().front() + "'");
    if (args.Failed())
        return args.ReportUsage();

    try {
        bench::ScratchDir scratch(dir);
        int status = vq::kExitOk;
        if (only == -1 || only == kConvolver)
            status = bench::RunConvolverBench(scratch, minutes, taps, repeats);
        if (status == vq::kExitOk && (only == -1 || only == kSurround))
            status = bench::RunSurroundBench(scratch, minutes, repeats);
        if (status == vq::kExitOk && (only == -1 || only == kDecode))
            status = bench::RunDecodeBench(scratch, minutes, *std::max_element(taps.begin(), taps.end()), repeats);
        if (status == vq::kExitOk && (only == -1 || only == kChain))
            status = bench::RunChainBench(std::min(minutes * 60.0, 10.0), *std::min_element(taps.begin(), taps.end()),
                                          repeats);
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return vq::kExitFailure;
    }
}
