// FFmpeg's encoder for the audio of a movie, fed in blocks of any length: the samples are
// gathered into frames of the length the codec takes (AAC 1024, Opus 960 at 48 kHz; 4096
// for PCM), each full frame is encoded and its packets handed on. The frame is allocated
// once, when the encoder opens.
#pragma once

#include "common/FailureDetail.h"
#include "movie/MovieFormats.h"

#include <cstdint>
#include <string>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace vq {

// Where the encoded packets go.
class PacketSink {
public:
    virtual ~PacketSink() = default;
    // Takes the packet's contents (timestamps in the encoder's time base, 1 / sample rate);
    // 0 or a status with `detail`.
    virtual int Take(AVPacket* packet, FailureDetail* detail) = 0;
};

class AudioEncoder {
public:
    AudioEncoder() = default;
    ~AudioEncoder();
    AudioEncoder(const AudioEncoder&) = delete;
    AudioEncoder& operator=(const AudioEncoder&) = delete;

    // Opens the encoder of `codec` for `channels` channels at `sampleRate`, compressed
    // codecs at `bitRate` bit/s. 0, or kMovieCodecUnusable with the reason (the codec is
    // missing from FFmpeg's libraries here, or refuses the rate, channels or bit rate).
    int Open(const MovieCodecRow& codec, int sampleRate, int channels, int bitRate, std::string* reason);
    const AVCodecContext* Context() const { return m_context; }

    // Interleaved samples: doubles at full scale +-1 (float and compressed codecs), or
    // left-justified 32-bit integers (16- and 24-bit PCM). 0 or a status with `detail`.
    int Push(const double* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail);
    int PushIntegers(const int* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail);
    int PushSilence(std::int64_t frames, PacketSink& sink, FailureDetail* detail);
    // Encodes the partial frame left and drains the encoder.
    int Finish(PacketSink& sink, FailureDetail* detail);
    void Close();

private:
    template <typename Sample>
    int Gather(const Sample* interleaved, std::int64_t frames, PacketSink& sink, FailureDetail* detail);
    int Encode(AVFrame* frame, PacketSink& sink, FailureDetail* detail);

    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_frameLength = 0;  // frames in a full frame
    int m_filled = 0;       // frames gathered in the current one
    std::int64_t m_pts = 0;
};

}  // namespace vq
