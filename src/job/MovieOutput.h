// The 360° movie of a run (MOV or MP4 with the spatial-audio box). The engine writes the AmbiX
// audio, gained, rounded and dithered as any output, into a hidden sound file beside the
// movie; the movie helper (MovieHelperProcess.h) then muxes it, with the head-locked pair and
// a clip's video, into a pending file that gets the movie's name only when it is complete, as
// every output does.
#pragma once

#include "ConversionRequest.h"

#include "common/FailureDetail.h"
#include "movie/MovieJob.h"

#include <cstdint>
#include <string>

class VQProgressView;

namespace vq {

// The files of a movie as the file system spells them; empty: none.
struct MovieFiles {
    std::string movie;
    std::string videoClip;
    std::string headLocked;
};

class MovieOutput {
public:
    MovieOutput() = default;
    ~MovieOutput();  // removes the hidden audio file
    MovieOutput(const MovieOutput&) = delete;
    MovieOutput& operator=(const MovieOutput&) = delete;

    // Before any output exists: that the request asks for what a movie holds (AmbiX B-format
    // in one file), and that the clip, the head-locked file and the codec serve a take of
    // `sampleRate` and `takeFrames` (`takeFormat`: libsndfile's code of the take's file, for a
    // MOV in the take's own precision). `progress` (may be null) can cancel. 0,
    // kStatusCancelled, or kBadParameter, a status of CheckHeadLockedStereo, of
    // MovieWriter::Check or kMovieWriterUnavailable, with the file and the reason.
    int Check(const ConversionRequest& request, const MovieFiles& files, int sampleRate, std::int64_t takeFrames,
              int takeFormat, VQProgressView* progress, FailureDetail* detail);

    // Creates the hidden file beside the movie that the engine writes the audio into, in
    // AudioFormat() (libsndfile's code: the movie's PCM, or float for a compressed codec).
    // 0, or kOutputOpenFailed with the movie and the reason.
    int CreateAudioFile(FailureDetail* detail);
    const std::string& AudioPath() const { return m_audioPath; }
    int AudioFormat() const;

    // Muxes the audio file into the movie and gives the movie its name (replacing a file of
    // that name only with `replace`); progress goes to `progress` (may be null), which can
    // cancel. 0, kStatusCancelled, or a status of the movie helper (MovieWriter's) or of
    // PendingFile with the detail; the hidden audio file is gone either way.
    int Write(VQProgressView* progress, bool replace, FailureDetail* detail);

    // After Check: the clip's frame rate (0 frames without a clip). Before Write: the movie's
    // start timecode (HH:MM:SS:FF; empty: none).
    const FrameRate& ClipFrameRate() const { return m_clipFrameRate; }
    void SetStartTimecode(const std::string& timecode) { m_job.timecode = timecode; }

    // After Write: what fitting the take to the video did (empty when nothing), and the
    // audio frames in the movie.
    const std::string& Note() const { return m_note; }
    std::int64_t Frames() const { return m_frames; }

private:
    void RemoveAudioFile();

    MovieJob m_job;
    std::string m_audioPath;
    std::string m_note;
    std::int64_t m_frames = 0;
    FrameRate m_clipFrameRate{0, 1};
};

}  // namespace vq
