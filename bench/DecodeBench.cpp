// A conversion that decodes in the same pass (5.1, stereo, UHJ, binaural) against the
// B-format-only conversion of the same take, both to 24-bit files: the decode's share of
// the run, which the one-pass design keeps small (target: at most 1.25 times). The parametric
// decodes estimate directions band by band and cost more: the headphone one's target is at
// most twice the linear headphone decode's run, printed as its own ratio.
#include "DecodeBench.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/OutputLayout.h"
#include "convolver/QConvolver.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/ParametricFiveOneDecoder.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/StereoPairDecoder.h"
#include "surround/UhjEncoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace bench {

namespace {

constexpr int kOutputFormat = SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;

// One conversion of the take; with a decoder, only its outputs are written.
bool Convert(const std::string& front, const std::string& rear, const std::string& matrix, const ScratchDir& dir,
             vq::BFormatDecoder* decoder, const vq::OutputLayout& layout)
{
    QConvolver engine(1);
    if (engine.OpenInputFile(front.c_str(), 0) || engine.OpenInputFile(rear.c_str(), 1) ||
        engine.LoadFilterMatrix(matrix.c_str()))
        return false;
    engine.m_outputInfo.format = kOutputFormat;
    engine.SetOutputFileName(0, dir.File("bformat.wav"));
    if (decoder) {
        engine.m_decoder = decoder;
        engine.m_decodedLayout = layout;
        for (std::size_t i = 0; i < layout.size(); ++i)
            engine.m_decodedFileNames.push_back(dir.File("decoded" + std::to_string(i) + ".wav"));
        engine.m_decodedFormat = kOutputFormat;
        engine.m_writeBFormat = false;
    }
    return engine.Run() == 0;
}

}  // namespace

int RunDecodeBench(const ScratchDir& dir, double minutes, int taps, int repeats)
{
    const std::int64_t frames = static_cast<std::int64_t>(minutes * 60.0 * 48000.0);
    const double audioSeconds = double(frames) / 48000.0;
    const std::string front = dir.File("decodeF.wav"), rear = dir.File("decodeR.wav");
    const std::string matrix = dir.File("DecodeMatrix.wav");
    const int inputFormat = SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;
    if (!WriteNoise(front, 2, frames, inputFormat, 5) || !WriteNoise(rear, 2, frames, inputFormat, 6) ||
        !WriteNoise(matrix, 4, 4 * std::int64_t(taps), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 7, 0.05)) {
        std::fprintf(stderr, "cannot write the benchmark inputs\n");
        return 1;
    }
    vq::VirtualMicFiveOneDecoder virtualMics(60.0, true);
    vq::EnergyFiveOneDecoder energy(true);
    vq::StereoPairDecoder stereo(0.5);
    vq::UhjEncoder uhj;
    vq::BinauralDecoder binaural(std::make_shared<vq::SphericalHeadHrirs>());
    vq::ParametricFiveOneDecoder parametricFiveOne(true);
    vq::ParametricBinauralDecoder parametricBinaural(std::make_shared<vq::SphericalHeadHrirs>());
    struct Mode {
        const char* name;
        vq::BFormatDecoder* decoder;
        const vq::OutputLayout& layout;
    };
    const Mode modes[] = {
        {"B-format only (baseline)", nullptr, vq::BFormatLayout(vq::BFormatConvention::FuMa, 1)},
        {"5.1, virtual microphones", &virtualMics, vq::SurroundLayout(1)},
        {"5.1, energy-preserving", &energy, vq::SurroundLayout(1)},
        {"stereo pair", &stereo, vq::TwoChannelLayout(vq::TwoChannelDecode::Stereo)},
        {"UHJ", &uhj, vq::TwoChannelLayout(vq::TwoChannelDecode::Uhj)},
        {"binaural", &binaural, vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural)},
        {"5.1, parametric", &parametricFiveOne, vq::SurroundLayout(1)},
        {"binaural, parametric", &parametricBinaural, vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural)},
    };
    std::printf("Decodes in the pass: %.1f min of 48 kHz 24-bit A-format, L = %d -> 24-bit files (best of %d)\n",
                minutes, taps, repeats);
    // FFTW measures its plans on first use: that is paid once per machine, not per run.
    for (const Mode& mode : modes)
        if (!Convert(front, rear, matrix, dir, mode.decoder, mode.layout)) {
            std::fprintf(stderr, "%s: conversion failed\n", mode.name);
            return 1;
        }
    // The modes take turns, so that a machine that slows down for a while slows all of them.
    constexpr std::size_t kModes = sizeof modes / sizeof modes[0];
    double best[kModes];
    std::fill(best, best + kModes, 1e30);
    for (int r = 0; r < repeats; ++r) {
        for (std::size_t m = 0; m < kModes; ++m) {
            Stopwatch clock;
            if (!Convert(front, rear, matrix, dir, modes[m].decoder, modes[m].layout)) {
                std::fprintf(stderr, "%s: conversion failed\n", modes[m].name);
                return 1;
            }
            best[m] = std::min(best[m], clock.Seconds());
        }
    }
    double linearBinaural = 0.0;
    for (std::size_t m = 0; m < kModes; ++m) {
        if (modes[m].decoder == &binaural)
            linearBinaural = best[m];
        PrintRow(modes[m].name, best[m], audioSeconds, best[0]);
        if (modes[m].decoder == &parametricBinaural)
            std::printf("  binaural, parametric against linear: ratio %.2f\n", best[m] / linearBinaural);
    }
    return 0;
}

}  // namespace bench
