// The video of an existing clip that a movie is muxed with: its video streams, copied
// packet for packet (never decoded or re-encoded), its length and how it lies on the sphere.
// The clip's own audio, subtitles, data and cover pictures are left out.
#pragma once

#include "common/FailureDetail.h"
#include "deliver/Timecode.h"
#include "movie/MovieFormats.h"
#include "movie/SpatialBoxes.h"

#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace vq {

struct VideoClipInfo {
    int videoStreams = 0;     // the streams that are copied
    std::int64_t frames = 0;  // the clip's length in audio frames at the rate asked for
    bool spherical = false;   // a stream states a projection or a stereo mode
    FrameRate frameRate{0, 1};  // of the first copied stream; 0 frames when it states none
};

// Opens the clip to check that a movie of `container` can carry its video, creating
// nothing (the job calls it before any output exists). 0 with `info`, or
// kVideoClipUnreadable, kVideoClipNoVideo or kVideoClipUnusable with the clip and the reason.
int ProbeVideoClip(const std::string& path, MovieContainer container, int sampleRate, VideoClipInfo* info,
                   FailureDetail* detail);

// What fitting `audioFrames` of a take to a video of `videoFrames` did, for the summary
// ("The take (12.50 s) is longer than the video (10.00 s): its last 2.50 s are left out.");
// empty when the two are equally long.
std::string VideoLengthNote(std::int64_t videoFrames, std::int64_t audioFrames, int sampleRate);

class VideoClip {
public:
    VideoClip() = default;
    ~VideoClip();
    VideoClip(const VideoClip&) = delete;
    VideoClip& operator=(const VideoClip&) = delete;

    // As ProbeVideoClip; the clip stays open for reading.
    int Open(const std::string& path, MovieContainer container, int sampleRate, FailureDetail* detail);
    void Close();

    const VideoClipInfo& Info() const { return m_info; }
    // The copied streams, in the clip's order: their parameters and time base for the
    // movie's own streams, and how each lies on the sphere.
    const AVStream* Stream(int index) const;
    SphericalVideo Spherical(int index) const;

    // The next packet of a copied stream: its stream_index is the copied stream's number,
    // its timestamps (in that stream's time base) count from the clip's start. *ended is
    // set at the clip's end. 0, or kVideoClipUnreadable with the reason.
    int Next(AVPacket* packet, bool* ended, FailureDetail* detail);

private:
    AVFormatContext* m_format = nullptr;
    std::vector<int> m_copied;      // the clip's stream index of each copied stream
    std::vector<int> m_copyNumber;  // per clip stream: its copied number, or -1
    std::int64_t m_startTime = 0;   // the clip's first timestamp, in microseconds
    VideoClipInfo m_info;
    std::string m_path;
};

}  // namespace vq
