#pragma once

#include "BenchFiles.h"

namespace bench {

// Prints the 5.1 decoder's time against an I/O-only pass over the same files.
int RunSurroundBench(const ScratchDir& dir, double minutes, int repeats);

}  // namespace bench
