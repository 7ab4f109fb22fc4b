// Every decode mode end to end against the B-format-only conversion of the same take.
#pragma once

#include "BenchFiles.h"

namespace bench {

int RunDecodeBench(const ScratchDir& dir, double minutes, int taps, int repeats);

}  // namespace bench
