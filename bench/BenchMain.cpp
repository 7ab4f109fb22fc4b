// vq-bench: speed of the engines as ratios against I/O-only passes measured in the same run.
//
//   vq-bench [--minutes M] [--taps 512,4096] [--repeats R] [--dir DIR]
#include "BenchFiles.h"
#include "ConvolverBench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Usage()
{
    std::fprintf(stderr, "usage: vq-bench [--minutes M] [--taps L1,L2,...] [--repeats R] [--dir DIR]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    double minutes = 10.0;
    std::vector<int> taps = {512, 4096};
    int repeats = 3;
    std::string dir = "/tmp";
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
    if (minutes <= 0.0 || taps.empty()) {
        Usage();
        return 2;
    }
    bench::ScratchDir scratch(dir);
    return bench::RunConvolverBench(scratch, minutes, taps, repeats);
}
