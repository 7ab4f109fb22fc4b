#pragma once

namespace bench {

// Times the processing chain on each partition plan fed in blocks of 64 and of 1024 frames.
int RunChainBench(double seconds, int taps, int repeats);

}  // namespace bench
