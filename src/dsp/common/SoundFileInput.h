// Opening a sound file for reading, every file the programs read the same way.
//
// libsndfile takes the frame count from the header; a damaged or streamed file (an Ogg file
// whose last page is corrupt, a FLAC file that was never finalised) can claim an unknown or
// absurd length, up to 2^63 - 1 frames. Such a length is counted by decoding the file to its
// end, and a file that promises frames and yields none is refused. Where libsndfile misreads
// a sound WAV, RF64 or Wave64 file, it reads a view of what it can read (RiffAudioView.h).
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vq {

class RiffAudioView;

// No recording is longer (at 192 kHz, over a million years): frame counts below it can be
// added to filter lengths without overflow.
constexpr std::int64_t kMaxInputFrames = std::int64_t(1) << 52;

class InputSoundFile {
public:
    // What Info().frames is.
    enum class Length {
        AsStated,  // the header's, for a look at the file (its rate, channels and format)
        Counted,   // the frames the file delivers, for reading them all
    };

    InputSoundFile();
    ~InputSoundFile();
    InputSoundFile(const InputSoundFile&) = delete;
    InputSoundFile& operator=(const InputSoundFile&) = delete;

    // Opens `path` for reading (the caller's file is only ever read). kStatusOk, or
    // kInputOpenFailed when it cannot be opened, or (Counted) its length cannot be counted,
    // it holds more than kMaxInputFrames frames, or it promises frames and none can be
    // decoded; `reason` says why. Nothing stays open after a failure.
    int Open(const std::string& path, Length length, std::string* reason);
    void Close();

    bool IsOpen() const { return m_file != nullptr; }
    SNDFILE* Handle() const { return m_file; }
    const SF_INFO& Info() const { return m_info; }
    // Back to the first frame; false (sf_strerror(Handle()) says why) when it cannot go.
    // A file of no frames is always there.
    bool Rewind();

private:
    int Fail(const std::string& why, std::string* reason);

    SNDFILE* m_file = nullptr;
    SF_INFO m_info{};
    std::unique_ptr<RiffAudioView> m_view;  // what libsndfile reads, when not the file itself
};

}  // namespace vq
