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

}  // namespace

MeasuredChannels MeasuredChannelsOf(const OutputFile& file)
{
    MeasuredChannels measured;
    const int width = static_cast<int>(file.channels.size());
    if (file.channelMask == 0) {
        for (int c = 0; c < width; ++c)
            if (file.channels[static_cast<std::size_t>(c)].signal == kSignalW) {
                measured.columns.push_back(c);
                measured.roles.push_back(LoudnessRole::Mono);
            }
        return measured;
    }
    for (std::size_t bit = 0; bit < std::size(kSpeakerRoles) && measured.roles.size() < file.channels.size(); ++bit)
        if (file.channelMask & (1u << bit)) {
            measured.columns.push_back(static_cast<int>(measured.roles.size()));
            measured.roles.push_back(kSpeakerRoles[bit]);
        }
    if (std::none_of(measured.roles.begin(), measured.roles.end(), Counts))
        return MeasuredChannels();
    return measured;
}

void OutputLoudness::Clear()
{
    m_layout = nullptr;
    m_files.clear();
    m_picked.clear();
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
            const MeasuredChannels measured = MeasuredChannelsOf(layout[i]);
            if (measured.columns.empty())
                continue;
            ++measuredFiles;
            FileMeter& file = m_files[i];
            file.columns = measured.columns;
            file.width = layout[i].channels.size();
            if (file.columns.size() < file.width)
                m_picked.resize(std::max(m_picked.size(), static_cast<std::size_t>(m_maxFrames) * file.columns.size()));
            file.meter = std::make_unique<LoudnessMeter>();
            const int status = file.meter->Prepare(sampleRate, measured.roles);
            if (status == kBadParameter) {
                Clear();  // a rate the measurement does not take: nothing is measured
                return kStatusOk;
            }
            if (status != kStatusOk)
                return status;
            for (std::size_t c = 0; c < measured.columns.size(); ++c) {
                const OutputChannel& channel = layout[i].channels[static_cast<std::size_t>(measured.columns[c])];
                programmeRoles.push_back(measured.roles[c]);
                m_programmeChannels.push_back({channel.signal, channel.weight});
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
    if (index >= m_files.size() || !m_files[index].meter)
        return kStatusOk;
    const FileMeter& file = m_files[index];
    if (file.columns.size() == file.width)
        return file.meter->AddInterleaved(frames, count);
    // Only some of its channels (W of B-format): picked out of the frames first.
    const std::size_t picked = file.columns.size();
    for (std::int64_t start = 0; start < count; start += m_maxFrames) {
        const std::int64_t piece = std::min(m_maxFrames, count - start);
        const double* from = frames + static_cast<std::size_t>(start) * file.width;
        for (std::int64_t n = 0; n < piece; ++n)
            for (std::size_t c = 0; c < picked; ++c)
                m_picked[static_cast<std::size_t>(n) * picked + c] =
                    from[static_cast<std::size_t>(n) * file.width + static_cast<std::size_t>(file.columns[c])];
        const int status = file.meter->AddInterleaved(m_picked.data(), piece);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
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
    if (index >= m_files.size() || !m_files[index].meter || m_files[index].meter->Result(&loudness) != kStatusOk)
        return std::nullopt;
    return loudness;
}

std::optional<Loudness> OutputLoudness::Programme() const
{
    Loudness loudness;
    if (m_programme)
        return m_programme->Result(&loudness) == kStatusOk ? std::optional<Loudness>(loudness) : std::nullopt;
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i].meter)
            return File(i);
    return std::nullopt;
}

}  // namespace vq
