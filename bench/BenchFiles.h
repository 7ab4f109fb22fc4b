// Inputs for the benchmarks, generated on the fly in a scratch directory, and the timing
// and memory figures they print.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// A scratch directory removed at exit.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& parent);
    ~ScratchDir();
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes `frames` frames of noise with `channels` channels in `format`, in pieces.
bool WriteNoise(const std::string& path, int channels, std::int64_t frames, int format, unsigned seed,
                double amplitude = 0.25);

// Seconds of wall-clock time since construction.
class Stopwatch {
public:
    Stopwatch();
    double Seconds() const;

private:
    std::int64_t m_start;
};

// Largest resident set size of this process so far, in MiB.
double PeakResidentMiB();

void PrintRow(const char* what, double seconds, double audioSeconds, double baselineSeconds);

}  // namespace bench
