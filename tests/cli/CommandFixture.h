// The set-up of the command-line tests that convert several takes: a working directory
// with a filter matrix, takes written at run time, and the program run there with a home
// of its own.
#pragma once

#include "CommandRunner.h"

#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace vqtest {

class CommandTest : public testing::Test {
protected:
    static constexpr int kTaps = 24;

    CommandTest();

    // Runs the converter in the working directory.
    CommandResult Convert(std::vector<std::string> args, const RunOptions& options = RunOptions()) const;

    // Writes the take `name`F.wav and `name`R.wav (64-bit float) and returns its capsules.
    std::array<Signal, 4> WriteTake(const std::string& name, std::int64_t frames, unsigned seed) const;
    // Writes a long take of 16-bit noise, which takes a while to convert.
    void WriteLongTake(const std::string& name) const;

    // W, X, Y, Z of the capsules through the matrix at the default -3 dB.
    std::array<Signal, 4> Expected(const std::array<Signal, 4>& capsules) const;

    // The names in the working directory, sorted (temporaries included).
    std::vector<std::string> Listing() const;
    std::string Bytes(const std::string& name) const;
    std::string File(const std::string& name) const { return work.File(name); }

    TempDir work, home;
    CommandRunner runner;
    FilterMatrix filters;
};

// The converter's output with the loudness that follows each file written and each take
// done taken off: the lists themselves.
std::string WithoutLoudness(const std::string& out);

// The outputs of one 4-channel B-format file.
std::array<Signal, 4> ReadWxyz(const std::string& path);

}  // namespace vqtest
