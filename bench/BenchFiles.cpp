#include "BenchFiles.h"

#include <sndfile.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

namespace bench {

ScratchDir::ScratchDir(const std::string& parent)
{
    std::string pattern = parent + "/vq-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch directory in " + parent);
    m_path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

bool WriteNoise(const std::string& path, int channels, std::int64_t frames, int format, unsigned seed, double amplitude)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    const std::int64_t piece = 65536;
    std::vector<double> buffer(static_cast<std::size_t>(piece * channels));
    bool ok = true;
    for (std::int64_t done = 0; done < frames && ok; done += piece) {
        const std::int64_t n = std::min(piece, frames - done);
        for (std::int64_t i = 0; i < n * channels; ++i)
            buffer[static_cast<std::size_t>(i)] = uniform(generator);
        ok = sf_writef_double(file, buffer.data(), n) == n;
    }
    return sf_close(file) == 0 && ok;
}

Stopwatch::Stopwatch()
    : m_start(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                  .count())
{
}

double Stopwatch::Seconds() const
{
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    return double(now - m_start) * 1e-9;
}

double PeakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void PrintRow(const char* what, double seconds, double audioSeconds, double baselineSeconds)
{
    std::printf("  %-34s %8.3f s %8.0f x realtime   ratio %.2f\n", what, seconds, audioSeconds / seconds,
                seconds / baselineSeconds);
}

}  // namespace bench
