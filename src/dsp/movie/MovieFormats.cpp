#include "movie/MovieFormats.h"

#include <strings.h>

namespace vq {

namespace {

const MovieContainerRow kContainers[] = {
    {MovieContainer::Mov, "mov", "mov", "mov"},
    {MovieContainer::Mp4, "mp4", "mp4", "mp4"},
};

// Intensity stereo and noise substitution would replace one Ambisonic channel of a pair by
// a scaled copy of the other, or by noise, in the bands they act on: the direction of the
// sound there would be lost. The AAC encoder is told to use neither. Opus's mapping family 2
// is the one for Ambisonics (with an optional head-locked pair).
// The highest bit rates: AAC's 6144 bits a channel in a frame of 1024 samples, libopus's
// 255 kbit/s a channel at 48 kHz.
const MovieCodecRow kCodecs[] = {
    {MovieCodec::Pcm16, "pcm16", MovieContainer::Mov, "pcm_s16le", "", 16, false, 0, 0, 0},
    {MovieCodec::Pcm24, "pcm24", MovieContainer::Mov, "pcm_s24le", "", 24, false, 0, 0, 0},
    {MovieCodec::Float, "float", MovieContainer::Mov, "pcm_f32le", "", 0, false, 0, 0, 0},
    {MovieCodec::Aac, "aac", MovieContainer::Mp4, "aac", "aac_is=0:aac_pns=0", 0, true, 256000, 6.0, 128000},
    {MovieCodec::Opus, "opus", MovieContainer::Mp4, "libopus", "mapping_family=2", 0, false, 256000, 255000.0 / 48000.0,
     128000},
};

}  // namespace

const MovieContainerRow& MovieContainerInfo(MovieContainer container)
{
    for (const MovieContainerRow& row : kContainers)
        if (row.container == container)
            return row;
    return kContainers[0];
}

const MovieCodecRow& MovieCodecInfo(MovieCodec codec)
{
    for (const MovieCodecRow& row : kCodecs)
        if (row.codec == codec)
            return row;
    return kCodecs[0];
}

const MovieContainerRow* MovieContainerNamed(const std::string& name)
{
    for (const MovieContainerRow& row : kContainers)
        if (strcasecmp(name.c_str(), row.name) == 0)
            return &row;
    return nullptr;
}

const MovieCodecRow* MovieCodecNamed(const std::string& name)
{
    for (const MovieCodecRow& row : kCodecs)
        if (strcasecmp(name.c_str(), row.name) == 0)
            return &row;
    return nullptr;
}

bool MovieHoldsPcm(MovieContainer container)
{
    for (const MovieCodecRow& row : kCodecs)
        if (row.container == container && row.defaultBitRatePerChannel == 0)
            return true;
    return false;
}

}  // namespace vq
