#include "common/Containers.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace vq {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

const std::vector<Container>& Containers()
{
    // WAV is written as WAVE-EX, and as RF64 when a file outgrows the 4 GiB a WAV header
    // can describe.
    static const std::vector<Container> kContainers = {
        {"wav", "wav", "WAV", SF_FORMAT_WAVEX, true, false},
        {"amb", "amb", "FuMa B-format AMB", SF_FORMAT_WAVEX, true, true},
        {"w64", "w64", "Sony Wave64", SF_FORMAT_W64, true, false},
        {"caf", "caf", "Core Audio CAF", SF_FORMAT_CAF, true, false},
        {"aiff", "aiff", "AIFF", SF_FORMAT_AIFF, true, false},
        {"flac", "flac", "FLAC", SF_FORMAT_FLAC, false, false},
    };
    return kContainers;
}

const Container* ContainerNamed(const std::string& name)
{
    for (const Container& c : Containers())
        if (Lower(name) == c.name)
            return &c;
    return nullptr;
}

const Container* ContainerForExtension(const std::string& extension)
{
    const std::string e = Lower(extension);
    if (e == "aif")
        return ContainerNamed("aiff");
    for (const Container& c : Containers())
        if (e == c.extension)
            return &c;
    return nullptr;
}

const Container& ContainerOf(int format, bool ambisonic)
{
    const int type = format & SF_FORMAT_TYPEMASK;
    for (const Container& c : Containers())
        if ((c.type == type || (type == SF_FORMAT_WAV && c.type == SF_FORMAT_WAVEX)) && c.ambisonic == ambisonic)
            return c;
    return Containers().front();
}

int FormatCode(const Container& container, SampleFormat sample)
{
    const int subtype = sample == SampleFormat::Pcm24   ? SF_FORMAT_PCM_24
                        : sample == SampleFormat::Float ? SF_FORMAT_FLOAT
                                                        : SF_FORMAT_PCM_16;
    return container.type | subtype;
}

SampleFormat SampleFormatOf(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
        return SampleFormat::Pcm24;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return SampleFormat::Float;
    default:
        return SampleFormat::Pcm16;
    }
}

SampleFormat SampleFormatKeeping(int takeFormat, const Container& container)
{
    switch (takeFormat & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_24:
        return SampleFormat::Pcm24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return container.holdsFloat ? SampleFormat::Float : SampleFormat::Pcm24;
    default:
        return SampleFormat::Pcm16;
    }
}

bool ParseSampleFormat(const std::string& name, SampleFormat* sample)
{
    if (name == "pcm16")
        *sample = SampleFormat::Pcm16;
    else if (name == "pcm24")
        *sample = SampleFormat::Pcm24;
    else if (name == "float")
        *sample = SampleFormat::Float;
    else
        return false;
    return true;
}

}  // namespace vq
