#pragma once

#include "BenchFiles.h"

#include <vector>

namespace bench {

// Prints the convolution engine's time against an I/O-only pass, per filter length.
int RunConvolverBench(const ScratchDir& dir, double minutes, const std::vector<int>& tapsList, int repeats);

}  // namespace bench
