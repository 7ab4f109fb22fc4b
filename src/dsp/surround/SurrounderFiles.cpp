// Opening, checking and closing the decoder's sound files.
#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"
#include "common/SoundFileOutput.h"

using namespace vq;

int Surrounder::OpenInputFile(const std::string& path)
{
    CloseSoundFile(m_inputFile);
    m_inputInfo = SF_INFO{};
    m_length = 0;
    m_inputFile = sf_open(path.c_str(), SFM_READ, &m_inputInfo);
    if (!m_inputFile)
        return kInputOpenFailed;
    m_inputPath = path;
    m_length = m_inputInfo.frames;
    return kStatusOk;
}

int Surrounder::CheckSetup() const
{
    if (!m_inputFile)
        return kMissingInputFile;
    if (m_inputInfo.channels != kInputChannels)
        return kChannelCountMismatch;
    return kStatusOk;
}

int Surrounder::OpenOutputFiles()
{
    // Nothing is created when an output would replace the input or another output.
    if (OutputsCollide(m_outputFileNames, m_outputFileCount, {m_inputPath}))
        return kOutputOverwritesInput;
    m_outputInfo.samplerate = m_inputInfo.samplerate;
    m_outputInfo.channels = kChannels / m_outputFileCount;
    return CreateOutputFiles(m_outputFileNames, m_outputFileCount, m_outputInfo, m_length, m_outputFiles);
}

void Surrounder::CloseFiles()
{
    CloseSoundFile(m_inputFile);
    for (SNDFILE*& file : m_outputFiles)
        CloseSoundFile(file);
}
