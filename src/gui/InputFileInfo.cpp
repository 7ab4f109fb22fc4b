#include "InputFileInfo.h"

#include "FileSystemPath.h"

#include "common/EngineStatus.h"
#include "common/FilterMatrixName.h"
#include "common/SoundFileInput.h"

#include <wx/filename.h>

#include <string>

bool ReadSoundFileHeader(const wxString& path, SoundFileHeader* header)
{
    std::string bytes;
    if (path.empty() || !ToFileSystemPath(path, &bytes))
        return false;
    vq::InputSoundFile file;
    std::string problem;
    if (file.Open(bytes, vq::InputSoundFile::Length::AsStated, &problem) != vq::kStatusOk)
        return false;
    const SF_INFO& info = file.Info();
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
