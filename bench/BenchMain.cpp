// vq-bench: speed of the engines as ratios against I/O-only passes measured in the same run.
//
//   vq-bench [--minutes M] [--taps 512,4096] [--repeats R] [--dir DIR] [--only convolver|surround]
#include "BenchFiles.h"
#include "ConvolverBench.h"
#include "SurroundBench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: vq-bench [--minutes M] [--taps L1,L2,...] [--repeats R] [--dir DIR]"
                 " [--only convolver|surround]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    double minutes = 10.0;
    std::vector<int> taps = {512, 4096};
    int repeats = 3;
    std::string dir = "/tmp";
    std::string only;  // empty: every benchmark
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            Usage();
            return 2;
        }
        if (!std::strcmp(arg, "--minutes")) {
            minutes = std::atof(value);
        } else if (!std::strcmp(arg, "--repeats")) {
            repeats = std::max(1, std::atoi(value));
        } else if (!std::strcmp(arg, "--dir")) {
            dir = value;
        } else if (!std::strcmp(arg, "--only")) {
            only = value;
        } else if (!std::strcmp(arg, "--taps")) {
            taps.clear();
            std::stringstream list(value);
            for (std::string item; std::getline(list, item, ',');)
                taps.push_back(std::atoi(item.c_str()));
        } else {
            Usage();
            return 2;
        }
        ++i;
    }
    if (minutes <= 0.0 || taps.empty() || (!only.empty() && only != "convolver" && only != "surround")) {
        Usage();
        return 2;
    }
    bench::ScratchDir scratch(dir);
    int status = 0;
    if (only.empty() || only == "convolver")
        status = bench::RunConvolverBench(scratch, minutes, taps, repeats);
    if (status == 0 && (only.empty() || only == "surround"))
        status = bench::RunSurroundBench(scratch, minutes, repeats);
    return status;
}
