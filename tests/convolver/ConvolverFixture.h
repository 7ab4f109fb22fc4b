// Shared set-up of the convolution engine tests: A-format inputs, a filter matrix and an
// engine that records its progress calls, with the outputs read back as W, X, Y, Z.
#pragma once

#include "convolver/QConvolver.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

namespace vqtest {

// Records the progress calls; answers "cancel" at update number `cancelAt` (1-based).
class RecordingConvolver : public QConvolver {
public:
    using QConvolver::QConvolver;
    void ProgressStart(const char* title, const char* message) override
    {
        ++starts;
        lastTitle = title ? title : "(null)";
        lastMessage = message ? message : "(null)";
        threadsOk = threadsOk && std::this_thread::get_id() == owner;
    }
    bool ProgressUpdate(std::int64_t done, std::int64_t total) override
    {
        updates.push_back({done, total});
        threadsOk = threadsOk && std::this_thread::get_id() == owner;
        return cancelAt == 0 || static_cast<int>(updates.size()) < cancelAt;
    }
    void ProgressEnd() override { ++ends; }

    int cancelAt = 0;
    int starts = 0;
    int ends = 0;
    std::string lastTitle, lastMessage;
    std::vector<std::pair<std::int64_t, std::int64_t>> updates;
    std::thread::id owner = std::this_thread::get_id();
    bool threadsOk = true;
};

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
