// Loudness as ITU-R BS.1770-4 and EBU R 128 measure it, through libebur128: integrated
// loudness, loudness range and true peak of a signal fed block by block; and the gain that
// normalises a decode to a loudness target without passing a true-peak ceiling.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace vq {

// What a channel is to the measurement. BS.1770 weighs the front channels 1 and the
// surrounds 1.41 (+1.5 dB), and leaves the LFE out. Mono: the channel alone, weight 1 (W of
// a B-format file).
enum class LoudnessRole { Unused, Left, Right, Centre, Lfe, LeftSurround, RightSurround, Mono };

// L, R, C, LFE, Ls, Rs, the order of the 5.1 outputs.
std::vector<LoudnessRole> FiveOneRoles();
// L, R: stereo, UHJ and binaural outputs.
std::vector<LoudnessRole> StereoRoles();
// Channel `index` of `channels` measured alone (W of B-format), the others only for the peak.
std::vector<LoudnessRole> SingleChannelRoles(int channels, int index);

struct Loudness {
    double integratedLufs = 0.0;  // -infinity when nothing passes the gate (silence)
    double rangeLu = 0.0;         // loudness range, in LU
    double truePeakDbtp = 0.0;    // the largest of every channel's, measured or not; -infinity for silence
};

class LoudnessMeter {
public:
    LoudnessMeter();
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Sets the meter up for `roles.size()` channels at `sampleRate` Hz and allocates all it
    // needs; starts a new measurement. kStatusOk, kBadParameter (no channel, none measured, a
    // rate out of 8 kHz to 768 kHz) or kOutOfMemory.
    int Prepare(int sampleRate, const std::vector<LoudnessRole>& roles);

    // Measures `frames` more frames: channels[c][n] is channel c at frame n (one pointer per
    // role). Allocates nothing. kStatusOk, kBadState before Prepare, kBadParameter for a
    // negative count.
    int Add(const double* const channels[], std::int64_t frames);
    // The same for frames already interleaved: frames[n * channels + c] is channel c at frame
    // n, as a sound file holds them. Allocates nothing and copies nothing.
    int AddInterleaved(const double* frames, std::int64_t count);

    // The measurement of everything added so far. kStatusOk or kBadState before Prepare.
    int Result(Loudness* loudness) const;

private:
    struct State;  // libebur128's measurement

    std::unique_ptr<State> m_state;
    int m_channels = 0;
    std::vector<double> m_interleaved;  // one piece of frames for libebur128
};

struct NormalizeGain {
    double gainDb = 0.0;       // to apply to every channel
    bool peakLimited = false;  // lowered from the loudness target to keep the true-peak ceiling
    bool silent = false;       // nothing to measure: the gain is 0 dB

    double Factor() const { return std::pow(10.0, gainDb / 20.0); }  // the gain as a multiplier
};

// The gain that brings `measured` to `targetLufs`, lowered where needed so that the true
// peak after it stays at or below `ceilingDbtp`. No limiting: one gain for the whole take.
NormalizeGain NormalizeGainFor(const Loudness& measured, double targetLufs, double ceilingDbtp = -1.0);

}  // namespace vq
