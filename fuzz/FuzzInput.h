// The layout of one input of the engine and job fuzz targets: six bytes of settings, then
// the files read, each but the last behind a 16-bit length (little-endian):
//
//   [settings x 6][length][filter matrix][length][input 0][input 1: the rest]
//
// A part cut short by the end of the data is what there is of it. What the settings bytes
// choose is told in EngineFuzzer.cpp and JobRecord.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vqfuzz {

enum class Engine { ConvolverOneFile, ConvolverTwoFiles, ConvolverFourFiles, Surrounder };

constexpr int kSettingsBytes = 6;

struct FuzzInput {
    std::uint8_t settings[kSettingsBytes] = {};
    std::string matrix;
    std::string input0;
    std::string input1;

    Engine engine() const { return static_cast<Engine>(settings[0] & 3); }
};

FuzzInput SplitInput(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> JoinInput(const FuzzInput& input);

}  // namespace vqfuzz
