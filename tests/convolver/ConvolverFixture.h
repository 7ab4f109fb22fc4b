// Shared set-up of the convolution engine tests: A-format inputs, a filter matrix and an
// engine that records its progress calls, with the outputs read back as W, X, Y, Z.
#pragma once

#include "convolver/QConvolver.h"
#include "support/RecordingEngine.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

namespace vqtest {

using RecordingConvolver = RecordingEngine<QConvolver>;

// The B-format channels read back from the output files of a layout.
std::array<Signal, 4> ReadBFormat(const std::vector<std::string>& names, int fileCount);

struct Recording {
    std::array<Signal, 4> capsules;
    FilterMatrix filters;
    std::string front, rear, matrix;
};

// Writes random capsule signals of `frames` frames and a random matrix of `taps` taps.
Recording MakeRecording(const TempDir& dir, std::int64_t frames, int taps, unsigned seed, int rate = 48000);

// Opens the recording in `engine` and names its outputs; asserts every step succeeds.
void OpenRecording(QConvolver& engine, const Recording& rec, const std::vector<std::string>& outputs);

}  // namespace vqtest
