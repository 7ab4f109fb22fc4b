#include "InputFileInfo.h"

#include "FileSystemPath.h"

#include "common/FilterMatrixName.h"

#include <sndfile.h>

#include <wx/filename.h>

#include <string>

bool ReadSoundFileHeader(const wxString& path, SoundFileHeader* header)
{
    std::string bytes;
    if (path.empty() || !ToFileSystemPath(path, &bytes))
        return false;
    SF_INFO info{};
    SNDFILE* file = sf_open(bytes.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    sf_close(file);
    header->sampleRate = info.samplerate;
    header->channels = info.channels;
    header->frames = info.frames;
    header->format = info.format;
    return true;
}

vq::SampleFormat SampleFormatKeeping(int format, const vq::Container& container)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_24:
        return vq::SampleFormat::Pcm24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return container.holdsFloat ? vq::SampleFormat::Float : vq::SampleFormat::Pcm24;
    default:
        return vq::SampleFormat::Pcm16;
    }
}

int FilterMatrixTaps(const wxString& filtersDir, int sampleRate)
{
    constexpr int kCapsules = 4;
    const wxFileName matrix(filtersDir, wxString::FromUTF8(vq::FilterMatrixFileName(sampleRate).c_str()));
    SoundFileHeader header;
    if (!matrix.FileExists() || !ReadSoundFileHeader(matrix.GetFullPath(), &header))
        return 0;
    return static_cast<int>(header.frames / kCapsules);
}
