#include "common/JoinedSoundFile.h"

#include "common/EngineStatus.h"

#include <algorithm>

namespace vq {

JoinedSoundFile::~JoinedSoundFile()
{
    Close();
}

void JoinedSoundFile::Close()
{
    m_files.clear();
    m_paths.clear();
    m_starts.assign(1, 0);
    m_info = SF_INFO{};
    m_part = 0;
    m_position = 0;
}

int JoinedSoundFile::Open(const std::vector<std::string>& parts, FailureDetail* failure)
{
    Close();
    if (parts.empty()) {
        *failure = {"", "no file named"};
        return kBadParameter;
    }
    int status = kStatusOk;
    for (const std::string& path : parts) {
        auto file = std::make_unique<InputSoundFile>();
        std::string reason;
        status = file->Open(path, InputSoundFile::Length::Counted, &reason);
        if (status != kStatusOk) {
            *failure = {path, reason};
            break;
        }
        const SF_INFO info = file->Info();
        m_files.push_back(std::move(file));
        m_paths.push_back(path);
        const std::string first = " (" + m_paths.front() + ")";
        if (m_files.size() == 1) {
            m_info = info;
        } else if (info.samplerate != m_info.samplerate) {
            *failure = {path, std::to_string(info.samplerate) + " Hz, the first part" + first + " " +
                                  std::to_string(m_info.samplerate) + " Hz"};
            status = kSampleRateMismatch;
        } else if (info.channels != m_info.channels) {
            *failure = {path, std::to_string(info.channels) + " channels, the first part" + first + " " +
                                  std::to_string(m_info.channels)};
            status = kChannelCountMismatch;
        } else if (info.frames > kMaxInputFrames - m_starts.back()) {
            *failure = {path, "the parts together hold more frames than any recording"};
            status = kInputOpenFailed;
        }
        if (status != kStatusOk)
            break;
        m_starts.push_back(m_starts.back() + info.frames);
    }
    if (status != kStatusOk) {
        Close();
        return status;
    }
    m_info.frames = m_starts.back();
    return kStatusOk;
}

std::int64_t JoinedSoundFile::ReadFrames(double* buffer, std::int64_t frames)
{
    std::int64_t done = 0;
    while (done < frames && m_part < m_files.size()) {
        const std::int64_t left = m_starts[m_part + 1] - m_position;
        if (left == 0) {
            // The next part is read from its start, wherever an earlier pass left it.
            ++m_part;
            if (m_part < m_files.size() && !m_files[m_part]->Rewind())
                break;
            continue;
        }
        const sf_count_t asked = std::min(frames - done, left);
        const sf_count_t read = sf_readf_double(m_files[m_part]->Handle(), buffer + done * m_info.channels, asked);
        if (read > 0) {
            done += read;
            m_position += read;
        }
        if (read != asked)
            break;
    }
    return done;
}

int JoinedSoundFile::Rewind(FailureDetail* failure)
{
    m_part = 0;
    m_position = 0;
    if (m_files.empty() || m_files[0]->Rewind())
        return kStatusOk;
    *failure = {m_paths[0], sf_strerror(m_files[0]->Handle())};
    return kInputReadFailed;
}

const std::string& JoinedSoundFile::PartOf(std::int64_t frame, std::int64_t* frameInPart) const
{
    static const std::string kNone;
    if (m_paths.empty())
        return kNone;
    // The last part whose first frame is not beyond `frame`.
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end() - 1, frame);
    const std::size_t part = after == m_starts.begin() ? 0 : static_cast<std::size_t>(after - m_starts.begin()) - 1;
    const std::size_t index = std::min(part, m_paths.size() - 1);
    if (frameInPart)
        *frameInPart = frame - m_starts[index];
    return m_paths[index];
}

}  // namespace vq
