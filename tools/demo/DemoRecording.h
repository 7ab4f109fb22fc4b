// The demo recording: the scene of DemoScene, rendered for a microphone model at 48 kHz
// and written as the two stereo A-format files the converter reads, <name>F.wav (FLU,
// FRD) and <name>R.wav (BLD, BRU), in 24 bits.
#pragma once

#include "filters/ArrayModel.h"

#include <array>
#include <string>
#include <vector>

namespace vq {

constexpr double kDemoPeak = 0.5;  // loudest capsule sample: -6 dBFS

using CapsuleSignals = std::array<std::vector<double>, ArrayModel::kCapsules>;

// All sources rendered for `model`, scaled so that the loudest sample is kDemoPeak.
CapsuleSignals RenderDemo(const ArrayModel& model);

// kStatusOk, kOutOfMemory, kOutputOpenFailed or kOutputWriteFailed.
int WriteDemo(const CapsuleSignals& capsules, const std::string& front, const std::string& rear);

}  // namespace vq
