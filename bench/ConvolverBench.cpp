// The convolution engine against an I/O-only pass over the same files: read both stereo
// inputs and write one 4-channel float file of the same length, with no DSP at all.
#include "BenchFiles.h"
#include "ConvolverBench.h"

#include "convolver/QConvolver.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

namespace {

constexpr int kOutputFormat = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;

bool CopyPass(const std::string& front, const std::string& rear, const std::string& out, std::int64_t tailFrames)
{
    SF_INFO a{}, b{};
    SNDFILE* in0 = sf_open(front.c_str(), SFM_READ, &a);
    SNDFILE* in1 = sf_open(rear.c_str(), SFM_READ, &b);
    SF_INFO o{};
    o.samplerate = a.samplerate;
    o.channels = 4;
    o.format = kOutputFormat;
    SNDFILE* dst = sf_open(out.c_str(), SFM_WRITE, &o);
    bool ok = in0 && in1 && dst;
    const std::int64_t piece = 65536;
    std::vector<double> x(2 * piece), y(2 * piece), z(4 * piece, 0.0);
    for (std::int64_t done = 0; ok && done < a.frames; done += piece) {
        const std::int64_t n = std::min(piece, a.frames - done);
        ok = sf_readf_double(in0, x.data(), n) == n && sf_readf_double(in1, y.data(), n) == n;
        for (std::int64_t i = 0; i < n; ++i) {
            z[4 * i] = x[2 * i];
            z[4 * i + 1] = x[2 * i + 1];
            z[4 * i + 2] = y[2 * i];
            z[4 * i + 3] = y[2 * i + 1];
        }
        ok = ok && sf_writef_double(dst, z.data(), n) == n;
    }
    std::fill(z.begin(), z.end(), 0.0);
    for (std::int64_t done = 0; ok && done < tailFrames; done += piece) {
        const std::int64_t n = std::min(piece, tailFrames - done);
        ok = sf_writef_double(dst, z.data(), n) == n;
    }
    for (SNDFILE* f : {in0, in1, dst})
        if (f)
            sf_close(f);
    return ok;
}

bool EnginePass(const std::string& front, const std::string& rear, const std::string& matrix, const std::string& out)
{
    QConvolver engine(1);
    if (engine.OpenInputFile(front.c_str(), 0) || engine.OpenInputFile(rear.c_str(), 1) ||
        engine.LoadFilterMatrix(matrix.c_str()))
        return false;
    engine.SetOutputFileName(0, out);
    engine.m_outputInfo.format = kOutputFormat;
    return engine.Run() == 0;
}

}  // namespace

int RunConvolverBench(const ScratchDir& dir, double minutes, const std::vector<int>& tapsList, int repeats)
{
    const std::int64_t frames = static_cast<std::int64_t>(minutes * 60.0 * 48000.0);
    const double audioSeconds = double(frames) / 48000.0;
    const std::string front = dir.File("benchF.wav"), rear = dir.File("benchR.wav"), out = dir.File("out.wav");
    const int inputFormat = SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;
    if (!WriteNoise(front, 2, frames, inputFormat, 1) || !WriteNoise(rear, 2, frames, inputFormat, 2)) {
        std::fprintf(stderr, "cannot write the benchmark inputs\n");
        return 1;
    }
    std::printf("Convolution engine: %.1f min of 48 kHz 24-bit A-format -> one 4-channel float file\n", minutes);
    for (int taps : tapsList) {
        const std::string matrix = dir.File("FilterMatrix_" + std::to_string(taps) + ".wav");
        if (!WriteNoise(matrix, 4, 4 * std::int64_t(taps), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 3, 0.05)) {
            std::fprintf(stderr, "cannot write the filter matrix\n");
            return 1;
        }
        double bestCopy = 1e30, bestEngine = 1e30;
        for (int r = 0; r < repeats; ++r) {
            Stopwatch copyClock;
            if (!CopyPass(front, rear, out, taps)) {
                std::fprintf(stderr, "I/O-only pass failed\n");
                return 1;
            }
            bestCopy = std::min(bestCopy, copyClock.Seconds());
            Stopwatch engineClock;
            if (!EnginePass(front, rear, matrix, out)) {
                std::fprintf(stderr, "engine pass failed\n");
                return 1;
            }
            bestEngine = std::min(bestEngine, engineClock.Seconds());
        }
        std::printf(" L = %d (best of %d)\n", taps, repeats);
        PrintRow("I/O only (read 2 x 2ch, write 4ch)", bestCopy, audioSeconds, bestCopy);
        PrintRow("QConvolver", bestEngine, audioSeconds, bestCopy);
    }
    std::printf("  peak resident memory of the process: %.0f MiB\n", PeakResidentMiB());
    return 0;
}

}  // namespace bench
