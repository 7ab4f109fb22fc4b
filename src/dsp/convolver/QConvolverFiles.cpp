// Opening, validating and closing the engine's sound files.
#include "convolver/QConvolver.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"
#include "common/SoundFileOutput.h"
#include "convolver/BlockConvolver.h"

using namespace vq;

void QConvolver::UpdateOutputLength()
{
    // The full convolution of F frames with L taps has F + L - 1 frames; one zero frame
    // rounds it to F + L. An empty recording gives empty outputs.
    m_outputLength = m_inputInfo.frames > 0 ? m_inputInfo.frames + m_filterLength : 0;
}

int QConvolver::OpenInputFile(const char* path, int index)
{
    if (index != 0 && index != 1)
        return -1;
    CloseSoundFile(m_inputFiles[index]);
    SF_INFO info{};
    m_inputFiles[index] = path ? sf_open(path, SFM_READ, &info) : nullptr;
    if (!m_inputFiles[index])
        return kInputOpenFailed;
    m_inputPaths[index] = path;

    if (m_inputInfo.samplerate == 0) {
        m_inputInfo = info;
    } else {
        if (info.samplerate != m_inputInfo.samplerate)
            return kSampleRateMismatch;
        if (info.channels != m_inputInfo.channels)
            return kChannelCountMismatch;
        if (info.frames != m_inputInfo.frames)
            return kLengthMismatch;
    }
    UpdateOutputLength();
    return kStatusOk;
}

int QConvolver::LoadFilterMatrix(const char* path)
{
    CloseSoundFile(m_filterFile);
    m_filterInfo = SF_INFO{};
    m_filterFile = path ? sf_open(path, SFM_READ, &m_filterInfo) : nullptr;
    if (!m_filterFile)
        return kFilterMatrixOpenFailed;
    m_filterPath = path;

    const sf_count_t taps = m_filterInfo.frames / kChannels;
    m_filterLength = taps >= 1 && taps <= kMaxFilterLength ? static_cast<int>(taps) : 0;
    UpdateOutputLength();
    if (m_filterLength == 0)
        return kFilterMatrixLength;
    m_fftLength = ChooseFftLength(m_filterLength);
    m_spectrumLength = m_fftLength / 2 + 1;
    m_fftScale = 1.0 / m_fftLength;
    return kStatusOk;
}

void QConvolver::SetOutputFileName(int index, const std::string& path)
{
    if (index >= 0 && index < m_outputFileCount)
        m_outputFileNames[index] = path;
}

int QConvolver::CheckSetup()
{
    if (!m_filterFile)
        return kFilterMatrixNotOpen;
    if (m_filterInfo.channels != kChannels)
        return kFilterMatrixChannels;
    if (m_filterInfo.samplerate != m_inputInfo.samplerate)
        return kSampleRateMismatch;
    if (!m_inputFiles[0] || !m_inputFiles[1])
        return kMissingInputFile;
    if (m_inputInfo.channels != 2)
        return kChannelCountMismatch;
    if (m_filterLength == 0)
        return kFilterMatrixLength;
    return kStatusOk;
}

int QConvolver::OpenOutputFiles()
{
    // Nothing is created when any output would replace a file the run reads or another
    // output: the user's recordings are never opened for writing.
    if (OutputsCollide(m_outputFileNames, m_outputFileCount, {m_inputPaths[0], m_inputPaths[1], m_filterPath}))
        return kOutputOverwritesInput;
    m_outputInfo.samplerate = m_inputInfo.samplerate;
    m_outputInfo.channels = kChannels / m_outputFileCount;
    return CreateOutputFiles(m_outputFileNames, m_outputFileCount, m_outputInfo, m_outputLength, m_outputFiles);
}

void QConvolver::CloseFiles()
{
    CloseSoundFile(m_inputFiles[0]);
    CloseSoundFile(m_inputFiles[1]);
    CloseSoundFile(m_filterFile);
    for (SNDFILE*& file : m_outputFiles)
        CloseSoundFile(file);
}
