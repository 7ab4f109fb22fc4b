#include "deliver/OutputLoudness.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <new>

namespace vq {

namespace {

// The roles of the speaker bits of a WAVE channel mask, lowest bit first.
constexpr LoudnessRole kSpeakerRoles[] = {LoudnessRole::Left, LoudnessRole::Right,        LoudnessRole::Centre,
                                          LoudnessRole::Lfe,  LoudnessRole::LeftSurround, LoudnessRole::RightSurround};

bool Counts(LoudnessRole role)
{
    return role != LoudnessRole::Unused && role != LoudnessRole::Lfe;
}

bool AnyCounts(const std::vector<LoudnessRole>& roles)
{
    return std::any_of(roles.begin(), roles.end(), Counts);
}

}  // namespace

std::vector<LoudnessRole> LoudnessRolesOf(const OutputFile& file)
{
    std::vector<LoudnessRole> roles;
    if (file.channelMask == 0) {
        for (const OutputChannel& channel : file.channels)
            roles.push_back(channel.signal == kSignalW ? LoudnessRole::Mono : LoudnessRole::Unused);
        return roles;
    }
    for (std::size_t bit = 0; bit < std::size(kSpeakerRoles) && roles.size() < file.channels.size(); ++bit)
        if (file.channelMask & (1u << bit))
            roles.push_back(kSpeakerRoles[bit]);
    roles.resize(file.channels.size(), LoudnessRole::Unused);
    return roles;
}

void OutputLoudness::Clear()
{
    m_layout = nullptr;
    m_files.clear();
    m_programme.reset();
    m_programmeChannels.clear();
}

int OutputLoudness::Prepare(const OutputLayout& layout, int sampleRate, std::int64_t maxFrames)
{
    Clear();
    m_layout = &layout;
    m_sampleRate = sampleRate;
    m_maxFrames = std::max<std::int64_t>(maxFrames, 1);
    std::vector<LoudnessRole> programmeRoles;
    std::size_t measuredFiles = 0;
    try {
        m_files.resize(layout.size());
        for (std::size_t i = 0; i < layout.size(); ++i) {
            const std::vector<LoudnessRole> roles = LoudnessRolesOf(layout[i]);
            if (!AnyCounts(roles))
                continue;
            ++measuredFiles;
            m_files[i] = std::make_unique<LoudnessMeter>();
            const int status = m_files[i]->Prepare(sampleRate, roles);
            if (status == kBadParameter) {
                Clear();  // a rate the measurement does not take: nothing is measured
                return kStatusOk;
            }
            if (status != kStatusOk)
                return status;
            // The programme's true peak covers the LFE as well.
            for (std::size_t c = 0; c < roles.size(); ++c)
                if (Counts(roles[c]) || roles[c] == LoudnessRole::Lfe) {
                    programmeRoles.push_back(roles[c]);
                    m_programmeChannels.push_back({layout[i].channels[c].signal, layout[i].channels[c].weight});
                }
        }
        if (measuredFiles > 1) {
            m_programmeFrames.assign(static_cast<std::size_t>(m_maxFrames) * programmeRoles.size(), 0.0);
            m_programme = std::make_unique<LoudnessMeter>();
            return m_programme->Prepare(sampleRate, programmeRoles);
        }
    } catch (const std::bad_alloc&) {
        Clear();
        return kOutOfMemory;
    }
    return kStatusOk;
}

int OutputLoudness::Restart()
{
    return m_layout ? Prepare(*m_layout, m_sampleRate, m_maxFrames) : kStatusOk;
}

int OutputLoudness::AddFile(std::size_t index, const double* frames, std::int64_t count)
{
    if (index >= m_files.size() || !m_files[index])
        return kStatusOk;
    return m_files[index]->AddInterleaved(frames, count);
}

int OutputLoudness::AddProgramme(const double* const signals[], std::int64_t frames, double scale, double offset)
{
    if (!m_programme)
        return kStatusOk;
    const std::size_t width = m_programmeChannels.size();
    for (std::int64_t start = 0; start < frames; start += m_maxFrames) {
        const std::int64_t count = std::min(m_maxFrames, frames - start);
        for (std::size_t c = 0; c < width; ++c) {
            const double* in = signals[m_programmeChannels[c].signal] + start;
            const double factor = scale * m_programmeChannels[c].weight;
            double* out = m_programmeFrames.data() + c;
            for (std::int64_t n = 0; n < count; ++n)
                out[static_cast<std::size_t>(n) * width] = factor * in[n] - offset;
        }
        const int status = m_programme->AddInterleaved(m_programmeFrames.data(), count);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

std::optional<Loudness> OutputLoudness::File(std::size_t index) const
{
    Loudness loudness;
    if (index >= m_files.size() || !m_files[index] || m_files[index]->Result(&loudness) != kStatusOk)
        return std::nullopt;
    return loudness;
}

std::optional<Loudness> OutputLoudness::Programme() const
{
    Loudness loudness;
    if (m_programme)
        return m_programme->Result(&loudness) == kStatusOk ? std::optional<Loudness>(loudness) : std::nullopt;
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i])
            return File(i);
    return std::nullopt;
}

}  // namespace vq
