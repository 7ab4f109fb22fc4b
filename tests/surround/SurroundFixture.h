// Shared set-up of the 5.1 decoder tests: B-format inputs, a decoder that records its
// progress calls, the six channels read back from any layout, and the decoding equations
// computed directly as the reference.
#pragma once

#include "support/RecordingEngine.h"
#include "support/TestAudio.h"
#include "surround/Surrounder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace vqtest {

using RecordingSurrounder = RecordingEngine<Surrounder>;

using BFormat = std::array<Signal, 4>;  // W, X, Y, Z
using FiveOne = std::array<Signal, 6>;  // L, R, C, LFE, Ls, Rs

enum : int { kL, kR, kC, kLfe, kLs, kRs };
extern const char* const kChannelNames[6];

BFormat RandomBFormat(std::int64_t frames, unsigned seed);
void WriteBFormat(const std::string& path, const BFormat& wxyz, int rate = 48000, int format = kFloat64Wav);

// The six channels of the output files of a layout (1, 3 or 6 files), by channel name.
FiveOne ReadFiveOne(const std::vector<std::string>& names, int fileCount);

struct DecodeSettings {
    double openingAngle = 60.0;
    double gain = 1.0;
    bool lfe = false;
    int rate = 48000;
};

// The decoding equations evaluated directly, frame by frame.
FiveOne ExpectedFiveOne(const BFormat& wxyz, const DecodeSettings& s);

// Multiplies every sample of every channel by `factor`.
FiveOne Scaled(FiveOne channels, double factor);


// Opens `input` in `engine`, applies the settings and names the outputs.
void Configure(Surrounder& engine, const std::string& input, const DecodeSettings& s,
               const std::vector<std::string>& outputs);

}  // namespace vqtest
