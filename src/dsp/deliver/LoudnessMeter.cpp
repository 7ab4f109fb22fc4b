#include "deliver/LoudnessMeter.h"

#include "common/EngineStatus.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace vq {

namespace {

// Frames handed to libebur128 at a time.
constexpr std::size_t kPieceFrames = 4096;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 768000;

int ChannelOf(LoudnessRole role)
{
    switch (role) {
    case LoudnessRole::Left:
        return EBUR128_LEFT;
    case LoudnessRole::Right:
        return EBUR128_RIGHT;
    case LoudnessRole::Centre:
    case LoudnessRole::Mono:
        return EBUR128_CENTER;
    case LoudnessRole::LeftSurround:
        return EBUR128_LEFT_SURROUND;
    case LoudnessRole::RightSurround:
        return EBUR128_RIGHT_SURROUND;
    case LoudnessRole::Unused:
    case LoudnessRole::Lfe:
        break;
    }
    return EBUR128_UNUSED;
}

double Decibels(double amplitude)
{
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
}

}  // namespace

std::vector<LoudnessRole> FiveOneRoles()
{
    return {LoudnessRole::Left, LoudnessRole::Right,        LoudnessRole::Centre,
            LoudnessRole::Lfe,  LoudnessRole::LeftSurround, LoudnessRole::RightSurround};
}

std::vector<LoudnessRole> StereoRoles()
{
    return {LoudnessRole::Left, LoudnessRole::Right};
}

std::vector<LoudnessRole> SingleChannelRoles(int channels, int index)
{
    std::vector<LoudnessRole> roles(static_cast<std::size_t>(std::max(channels, 0)), LoudnessRole::Unused);
    if (index >= 0 && index < channels)
        roles[static_cast<std::size_t>(index)] = LoudnessRole::Mono;
    return roles;
}

struct LoudnessMeter::State {
    explicit State(ebur128_state* s) : meter(s) {}
    ~State() { ebur128_destroy(&meter); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* meter;
};

LoudnessMeter::LoudnessMeter() = default;
LoudnessMeter::~LoudnessMeter() = default;

int LoudnessMeter::Prepare(int sampleRate, const std::vector<LoudnessRole>& roles)
{
    m_state.reset();
    m_channels = 0;
    const bool measured = std::any_of(roles.begin(), roles.end(), [](LoudnessRole r) { return ChannelOf(r) != EBUR128_UNUSED; });
    if (!measured || sampleRate < kMinRate || sampleRate > kMaxRate)
        return kBadParameter;
    // The histogram keeps memory fixed however long the take: nothing is allocated per block.
    const int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_HISTOGRAM;
    try {
        m_interleaved.assign(kPieceFrames * roles.size(), 0.0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    ebur128_state* meter = ebur128_init(static_cast<unsigned>(roles.size()), static_cast<unsigned long>(sampleRate), mode);
    if (!meter)
        return kOutOfMemory;
    std::unique_ptr<State> state(new (std::nothrow) State(meter));
    if (!state) {
        ebur128_destroy(&meter);
        return kOutOfMemory;
    }
    for (std::size_t c = 0; c < roles.size(); ++c)
        if (ebur128_set_channel(meter, static_cast<unsigned>(c), ChannelOf(roles[c])) != EBUR128_SUCCESS)
            return kBadParameter;
    m_state = std::move(state);
    m_channels = static_cast<int>(roles.size());
    return kStatusOk;
}

int LoudnessMeter::Add(const double* const channels[], std::int64_t frames)
{
    if (!m_state)
        return kBadState;
    if (frames < 0)
        return kBadParameter;
    const std::size_t count = static_cast<std::size_t>(m_channels);
    for (std::int64_t done = 0; done < frames;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kPieceFrames, frames - done));
        for (std::size_t c = 0; c < count; ++c) {
            const double* from = channels[c] + done;
            for (std::size_t i = 0; i < n; ++i)
                m_interleaved[i * count + c] = from[i];
        }
        if (ebur128_add_frames_double(m_state->meter, m_interleaved.data(), n) != EBUR128_SUCCESS)
            return kOutOfMemory;
        done += static_cast<std::int64_t>(n);
    }
    return kStatusOk;
}

int LoudnessMeter::AddInterleaved(const double* frames, std::int64_t count)
{
    if (!m_state)
        return kBadState;
    if (count < 0)
        return kBadParameter;
    if (count > 0 && ebur128_add_frames_double(m_state->meter, frames, static_cast<std::size_t>(count)) != EBUR128_SUCCESS)
        return kOutOfMemory;
    return kStatusOk;
}

int LoudnessMeter::Result(Loudness* loudness) const
{
    if (!m_state)
        return kBadState;
    double integrated = 0.0;
    double range = 0.0;
    double peak = 0.0;
    if (ebur128_loudness_global(m_state->meter, &integrated) != EBUR128_SUCCESS ||
        ebur128_loudness_range(m_state->meter, &range) != EBUR128_SUCCESS)
        return kBadState;
    for (int c = 0; c < m_channels; ++c) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(m_state->meter, static_cast<unsigned>(c), &channelPeak) != EBUR128_SUCCESS)
            return kBadState;
        peak = std::max(peak, channelPeak);
    }
    loudness->integratedLufs = integrated;
    loudness->rangeLu = range;
    loudness->truePeakDbtp = Decibels(peak);
    return kStatusOk;
}

NormalizeGain NormalizeGainFor(const Loudness& measured, double targetLufs, double ceilingDbtp)
{
    NormalizeGain gain;
    if (!std::isfinite(measured.integratedLufs) || !std::isfinite(measured.truePeakDbtp)) {
        gain.silent = true;
        return gain;
    }
    gain.gainDb = targetLufs - measured.integratedLufs;
    if (measured.truePeakDbtp + gain.gainDb > ceilingDbtp) {
        gain.gainDb = ceilingDbtp - measured.truePeakDbtp;
        gain.peakLimited = true;
    }
    return gain;
}

}  // namespace vq
