// What the processing chain's tests share: takes made at run time, today's engines
// (QConvolver, Surrounder) run on them through their public interfaces as the reference, and
// the chain driven the way a file runner drives it: the take fed in blocks of given
// lengths, then silence, the latency dropped from the start.
#pragma once

#include "chain/ProcessingChain.h"
#include "convolver/ConvolverFixture.h"
#include "surround/BFormatDecoder.h"
#include "support/TestAudio.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vqtest {

using Signals = std::vector<Signal>;

// The decoders of the program's modes, by name: "virtual-mics", "energy", "parametric-5.1",
// "stereo", "uhj", "binaural", "binaural-parametric"; "b-format" for none. Each with the
// files of its mode's one-file layout.
struct DecodeChoice {
    std::string name;
    std::function<std::unique_ptr<vq::BFormatDecoder>()> make;  // empty for "b-format"
    const vq::OutputLayout* layout;                             // the decoded files
};
DecodeChoice Decode(const std::string& name);

// What a conversion does besides its mode, as the engines and the chain both take it.
struct Settings {
    double sourceGain = 1.0;  // QConvolver's m_gain (in the filters); 1 for a B-format take
    double gain = 1.0;        // the decoded gain (QConvolver's m_decodedGain, Surrounder's m_gain)
    double highpassHz = 0.0;
    double yaw = 0.0, pitch = 0.0, roll = 0.0;
    int syncFrames = -1;  // keep sync with this delay (A-format takes); -1: off
    vq::BFormatConvention inputConvention = vq::BFormatConvention::FuMa;   // B-format takes
    vq::BFormatConvention outputConvention = vq::BFormatConvention::FuMa;  // B-format outputs
};

// A take written to files: A-format capsules with a filter matrix, or B-format.
struct Take {
    int rate = 48000;
    bool aFormat = true;
    Signals input;  // the four signals as the chain takes them (capsules, or the file's channels)
    Recording recording;  // A-format: files and filters
    std::string bformatFile;
    std::shared_ptr<const vq::FilterMatrixTaps> filters;
};
Take MakeAFormatTake(const TempDir& dir, std::int64_t frames, int taps, int rate, unsigned seed);
Take MakeBFormatTake(const TempDir& dir, std::int64_t frames, int rate, vq::BFormatConvention convention,
                     unsigned seed);

// What an engine wrote: its output signals in file channel order (one file), and for an
// A-format decode the B-format it kept, as the direction map saw it.
struct EngineResult {
    Signals outputs;
    Signals keptBFormat;
};
EngineResult RunEngine(const TempDir& dir, const Take& take, const DecodeChoice& decode, const Settings& s);

vq::ChainSetup SetupFor(const Take& take, const DecodeChoice& decode, const Settings& s, const vq::PartitionPlan& plan);

// A tap that keeps every frame it is shown, by its number (from `first`).
class RecordingTap final : public vq::ChainTap {
public:
    void Take(const double* const signals[], int channels, std::int64_t frames, std::int64_t first) override;
    // Frames 0 .. length-1 of every channel (zero where none came).
    Signals From0(std::int64_t length) const;

private:
    std::int64_t m_first = 0;
    bool m_started = false;
    Signals m_signals;
};

// Block lengths that repeat: {1}, {7}, ..., or a seeded random sequence.
struct Feed {
    std::string name;
    std::vector<std::int64_t> blocks;
};
std::vector<Feed> EveryFeed();
Feed RandomFeed(unsigned seed, std::int64_t longest);

// Feeds `input` and then silence to `chain` in blocks cycling through `feed`, until the
// chain's latency plus `length` frames came out; returns the `length` frames after the latency.
Signals RunChain(vq::ProcessingChain& chain, const Signals& input, std::int64_t length, const Feed& feed);

// The largest difference between two sets of signals.
double MaxDifference(const Signals& a, const Signals& b);

}  // namespace vqtest
