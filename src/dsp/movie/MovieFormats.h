// The kinds of movie file the program writes for 360° video, as data: the container (MOV or
// MP4) and the codec of its Ambisonic audio, with what FFmpeg calls them and what each takes.
#pragma once

#include <string>

namespace vq {

enum class MovieContainer { Mov, Mp4 };
enum class MovieCodec { Pcm16, Pcm24, Float, Aac, Opus };

struct MovieContainerRow {
    MovieContainer container;
    const char* name;       // as on the command line: "mov", "mp4"
    const char* extension;  // without the dot
    const char* muxer;      // FFmpeg's muxer
};

struct MovieCodecRow {
    MovieCodec codec;
    const char* name;              // "pcm16", "pcm24", "float", "aac", "opus"
    MovieContainer container;      // the container that holds it
    const char* encoder;           // FFmpeg's encoder
    const char* encoderOptions;    // "key=value:key=value" for the encoder, or ""
    int integerBits;               // 16 or 24: fed with integers; 0: with doubles
    bool speakerLayout;            // the encoder takes loudspeaker layouts only: it gets quad or 6.0 front
    int minBitRate;                // compressed: the lowest bit rate accepted, bit/s for the whole stream
    double maxBitsPerSample;       // compressed: the highest bit rate, in bits per sample of one channel
    int defaultBitRatePerChannel;  // compressed: when none is asked for; 0 for PCM
};

const MovieContainerRow& MovieContainerInfo(MovieContainer container);
const MovieCodecRow& MovieCodecInfo(MovieCodec codec);
// The row of a name (any case); null when unknown.
const MovieContainerRow* MovieContainerNamed(const std::string& name);
const MovieCodecRow* MovieCodecNamed(const std::string& name);
// Whether the container holds PCM (MOV: of the outputs' sample format), or only compressed
// audio (MP4).
bool MovieHoldsPcm(MovieContainer container);

}  // namespace vq
