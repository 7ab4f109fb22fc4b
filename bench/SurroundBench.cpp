// The 5.1 decoder against an I/O-only pass over the same files: read the four B-format
// channels and write one 6-channel 24-bit file of the same length, with no arithmetic.
#include "BenchFiles.h"
#include "SurroundBench.h"

#include "common/SoundFileOutput.h"
#include "surround/Surrounder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

namespace {

constexpr int kOutputFormat = SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;

// Output files are created the way the decoder creates them (saturating 24-bit), and the
// frames move in pieces of the decoder's size, so that the two passes differ only in the
// decoding itself.
bool CopyPass(const std::string& input, const std::string& out)
{
    SF_INFO in{};
    SNDFILE* src = sf_open(input.c_str(), SFM_READ, &in);
    SF_INFO o{};
    o.samplerate = in.samplerate;
    o.channels = 6;
    o.format = kOutputFormat;
    SNDFILE* dst = nullptr;
    bool ok = src && vq::CreateOutputFile(out, o, &dst) == 0;
    const std::int64_t piece = 16384;
    std::vector<double> x(4 * piece), y(6 * piece);
    for (std::int64_t done = 0; ok && done < in.frames; done += piece) {
        const std::int64_t n = std::min(piece, in.frames - done);
        ok = sf_readf_double(src, x.data(), n) == n;
        for (std::int64_t i = 0; i < n; ++i) {
            std::copy_n(&x[4 * i], 4, &y[6 * i]);
            std::copy_n(&x[4 * i], 2, &y[6 * i + 4]);
        }
        ok = ok && sf_writef_double(dst, y.data(), n) == n;
    }
    for (SNDFILE* f : {src, dst})
        if (f)
            sf_close(f);
    return ok;
}

bool EnginePass(const std::string& input, const std::string& out)
{
    Surrounder engine(60.0, 1);
    if (engine.OpenInputFile(input))
        return false;
    engine.m_outputFileNames[0] = out;
    engine.m_outputInfo.format = kOutputFormat;
    engine.m_lowFreqsInLfe = true;
    return engine.Run() == 0;
}

}  // namespace

int RunSurroundBench(const ScratchDir& dir, double minutes, int repeats)
{
    const std::int64_t frames = static_cast<std::int64_t>(minutes * 60.0 * 48000.0);
    const double audioSeconds = double(frames) / 48000.0;
    const std::string input = dir.File("bformat.wav"), out = dir.File("out51.wav");
    if (!WriteNoise(input, 4, frames, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 5)) {
        std::fprintf(stderr, "cannot write the benchmark input\n");
        return 1;
    }
    std::printf("5.1 decoder: %.1f min of 48 kHz float B-format -> one 6-channel 24-bit file\n", minutes);
    double bestCopy = 1e30, bestEngine = 1e30;
    for (int r = 0; r < repeats; ++r) {
        Stopwatch copyClock;
        if (!CopyPass(input, out)) {
            std::fprintf(stderr, "I/O-only pass failed\n");
            return 1;
        }
        bestCopy = std::min(bestCopy, copyClock.Seconds());
        Stopwatch engineClock;
        if (!EnginePass(input, out)) {
            std::fprintf(stderr, "decoder pass failed\n");
            return 1;
        }
        bestEngine = std::min(bestEngine, engineClock.Seconds());
    }
    std::printf(" best of %d\n", repeats);
    PrintRow("I/O only (read 4ch, write 6ch)", bestCopy, audioSeconds, bestCopy);
    PrintRow("Surrounder (LFE on)", bestEngine, audioSeconds, bestCopy);
    std::printf("  peak resident memory of the process: %.0f MiB\n", PeakResidentMiB());
    return 0;
}

}  // namespace bench
