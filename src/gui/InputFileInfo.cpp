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

int FilterMatrixTaps(const wxString& filtersDir, int sampleRate)
{
    constexpr int kCapsules = 4;
    const wxFileName matrix(filtersDir, wxString::FromUTF8(vq::FilterMatrixFileName(sampleRate).c_str()));
    SoundFileHeader header;
    if (!matrix.FileExists() || !ReadSoundFileHeader(matrix.GetFullPath(), &header))
        return 0;
    return static_cast<int>(header.frames / kCapsules);
}
