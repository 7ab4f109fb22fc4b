// One input of a take read as one stream of frames: a single file, or the files a recorder
// split a long recording into (at 2 or 4 GB), one after the other. The engines read it as
// they would read one file, so filters run on across the joins as if the recording had
// never been split.
#pragma once

#include "common/FailureDetail.h"
#include "common/SoundFileInput.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vq {

class JoinedSoundFile {
public:
    JoinedSoundFile() = default;
    ~JoinedSoundFile();
    JoinedSoundFile(const JoinedSoundFile&) = delete;
    JoinedSoundFile& operator=(const JoinedSoundFile&) = delete;

    // Opens every part for reading, in order. The parts must agree in sample rate and in
    // channel count: kSampleRateMismatch or kChannelCountMismatch name the part that differs
    // (failure->path) and the first part (in the reason). kInputOpenFailed for a part that
    // cannot be opened, or parts longer together than any recording; kBadParameter for no
    // part. Nothing stays open after a failure.
    int Open(const std::vector<std::string>& parts, FailureDetail* failure);
    void Close();

    // Rate, channels and format of the first part; frames of all the parts together.
    const SF_INFO& Info() const { return m_info; }
    const std::vector<std::string>& Paths() const { return m_paths; }
    std::size_t PartCount() const { return m_paths.size(); }
    // Frames of one part.
    std::int64_t PartFrames(std::size_t part) const { return m_starts[part + 1] - m_starts[part]; }

    // Reads up to `frames` interleaved frames from where the last read ended, on from one
    // part into the next. Returns the frames read: fewer only at the end, or when a part
    // holds fewer frames than its header said (Position() then lies in that part).
    std::int64_t ReadFrames(double* buffer, std::int64_t frames);
    // Back to the first frame. kStatusOk, or kInputReadFailed with failure set.
    int Rewind(FailureDetail* failure);
    // The frame of the whole the next read starts at.
    std::int64_t Position() const { return m_position; }
    // The part that holds frame `frame` of the whole, and (when asked) that frame's number
    // within the part: messages name the file the user has.
    const std::string& PartOf(std::int64_t frame, std::int64_t* frameInPart = nullptr) const;

private:
    std::vector<std::unique_ptr<InputSoundFile>> m_files;
    std::vector<std::string> m_paths;
    // The first frame of each part within the whole, then the frames of the whole.
    std::vector<std::int64_t> m_starts{0};
    SF_INFO m_info{};
    std::size_t m_part = 0;  // the part the next read takes from
    std::int64_t m_position = 0;
};

}  // namespace vq
