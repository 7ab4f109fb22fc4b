// Writes first-order AmbiX into a movie file that 360° players play as spatial audio: a MOV
// with PCM audio or an MP4 with AAC or Opus, encoded and muxed by FFmpeg's libraries, with
// the spatial-audio box (SA3D) added to the audio's sample entry afterwards (FFmpeg cannot
// write it). With a video clip, the clip's video streams are copied in unchanged (its own
// audio is left out), its spherical-video metadata is kept, and the audio is cut or padded
// with silence to the video's length.
//
// It is written like a sound file: Open, Write blocks of any length, Finish. Into a file it
// creates at a path, or into a descriptor the caller holds open (a temporary that it renames,
// or an unnamed O_TMPFILE that it links into place, once Finish has succeeded).
#pragma once

#include "common/FailureDetail.h"
#include "movie/AudioEncoder.h"
#include "movie/FdOutput.h"
#include "movie/MovieFormats.h"
#include "movie/VideoClip.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace vq {

struct MovieOptions {
    MovieContainer container = MovieContainer::Mov;
    MovieCodec codec = MovieCodec::Pcm24;  // MOV: Pcm16, Pcm24 or Float; MP4: Aac or Opus
    int sampleRate = 48000;
    bool headLocked = false;  // 6 channels: W, Y, Z, X, then the head-locked left and right; else 4
    int bitRate = 0;          // AAC and Opus: bit/s for all channels, at least 256000; 0: 128000 a channel
    std::string videoClip;    // a clip whose video the movie carries; empty: audio only
    bool indexFirst = true;   // the index (moov) before the media data, so that a player can start at once
    // The start timecode, HH:MM:SS:FF: a timecode track at the clip's frame rate; without a
    // clip, the movie's "timecode" tag. Empty: none.
    std::string timecode;
};

class MovieWriter : private PacketSink {
public:
    MovieWriter() = default;
    ~MovieWriter() override;
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Checks the options, opens the video clip and the encoder, then creates `path` (or
    // empties `fd`, open for reading and writing, which stays the caller's; `name` is what
    // messages call it) and writes the movie's header. 0, or kBadParameter, kVideoClipUnreadable,
    // kVideoClipNoVideo, kVideoClipUnusable or kMovieCodecUnusable (nothing created yet),
    // kOutputOpenFailed or kOutOfMemory; `detail` names the file and the reason.
    int Open(const std::string& path, const MovieOptions& options, FailureDetail* detail);
    int Open(int fd, const std::string& name, const MovieOptions& options, FailureDetail* detail);
    // Everything Open checks before it creates the file (the options, the clip, the
    // encoder), for the job to call before it creates any output; `name` is the movie's
    // for the detail; `clip` (may be null) gets what the clip is. The statuses of Open that
    // leave nothing created.
    static int Check(const MovieOptions& options, const std::string& name, FailureDetail* detail,
                     VideoClipInfo* clip = nullptr);

    int Channels() const { return m_options.headLocked ? 6 : 4; }
    // True for 16- and 24-bit PCM, which take WriteIntegers; the others take Write.
    bool TakesIntegers() const { return MovieCodecInfo(m_options.codec).integerBits > 0; }

    // `frames` interleaved frames of Channels() samples: doubles at full scale +-1 (float
    // PCM, AAC, Opus), or integers left-justified in 32 bits as libsndfile's sf_writef_int
    // takes them, already rounded (and dithered) to 16 or 24 bits. Frames past a video's
    // end are left out. 0, kBadState (not open, or the other kind of samples), kBadParameter
    // (frames < 0), kMovieEncodeFailed, kVideoClipUnreadable or kOutputWriteFailed; after a
    // failure the caller calls Abort (the destructor does too).
    int Write(const double* interleaved, std::int64_t frames, FailureDetail* detail);
    int WriteIntegers(const int* interleaved, std::int64_t frames, FailureDetail* detail);

    // Pads the audio with silence to a video's length, encodes the rest, copies the rest of
    // the video, completes the file and adds the spatial boxes; a path is then closed, a
    // descriptor is left open and complete. 0, kBadState, kMovieEncodeFailed,
    // kVideoClipUnreadable, kOutputWriteFailed or kOutOfMemory: on failure as Abort.
    int Finish(FailureDetail* detail);
    // Stops: a file created at a path is removed; a descriptor's contents are left to its owner.
    void Abort();

    // After Finish with a video clip: what fitting the take to the video did (VideoLengthNote);
    // empty when nothing was cut or added.
    const std::string& Note() const { return m_note; }
    std::int64_t FramesWritten() const { return m_passed; }  // audio frames in the movie

private:
    // Opens as the public Open do, with `createOutput` making the file to write (m_fd).
    int OpenWith(const std::string& name, const MovieOptions& options, FailureDetail* detail,
                 const std::function<int()>& createOutput);
    int Prepare(const MovieOptions& options, FailureDetail* detail);
    int Start(FailureDetail* detail);
    int Complete(FailureDetail* detail);
    std::int64_t Accept(std::int64_t frames);
    int Take(AVPacket* packet, FailureDetail* detail) override;
    // Copies the clip's packets that are due by audio frame `until` (all that are left for
    // INT64_MAX), so that the muxer gets both streams in step.
    int CopyVideo(std::int64_t until, FailureDetail* detail);
    // Once the clip is copied: refuses a clip whose video streams gave fewer packets than
    // they state (cut short, or with a damaged index), naming it.
    int CheckCopiedVideo(FailureDetail* detail);
    // Reads the finished movie back as a player opens it: every stream one FFmpeg can read,
    // each video stream with every packet copied, the audio with its frames.
    int CheckWrittenMovie(FailureDetail* detail);
    int Fail(FailureDetail* detail, int status, const std::string& reason);
    void Release();

    MovieOptions m_options;
    std::string m_name;
    int m_fd = -1;
    bool m_ownsFd = false;  // created at a path: closed, and removed on failure, here
    bool m_open = false;
    AudioEncoder m_encoder;
    VideoClip m_clip;
    FdOutput m_output;
    AVFormatContext* m_muxer = nullptr;
    AVStream* m_audio = nullptr;
    std::vector<AVStream*> m_video;
    AVPacket* m_videoPacket = nullptr;
    std::vector<std::int64_t> m_copiedPackets;  // of each video stream
    bool m_videoPending = false;  // m_videoPacket holds the next packet to copy
    bool m_videoEnded = false;
    std::int64_t m_limit = -1;    // the video's length in audio frames; -1 without a video
    std::int64_t m_received = 0;  // audio frames given to Write
    std::int64_t m_passed = 0;    // of those, the ones in the movie, silence added at the end included
    std::string m_note;
};

}  // namespace vq
