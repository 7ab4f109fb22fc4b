// Opening, checking and closing the decoder's sound files.
#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"
#include "common/JoinedSoundFile.h"
#include "common/OutputLayout.h"
#include "surround/BFormatDecoder.h"
#include "surround/DecodeStage.h"
#include "surround/VirtualMicFiveOneDecoder.h"
#include "common/SoundFileInput.h"
#include "common/SoundFileOutput.h"

#include <algorithm>
#include <vector>

using namespace vq;

int Surrounder::OpenInputFile(const std::string& path)
{
    return OpenInputParts({path});
}

int Surrounder::OpenInputParts(const std::vector<std::string>& parts)
{
    if (m_state.Setting() != kStatusOk)
        return kBadState;
    m_inputFile.reset();
    m_inputInfo = SF_INFO{};
    m_length = 0;
    m_inputPath.clear();
    auto input = std::make_unique<JoinedSoundFile>();
    const int opened = input->Open(parts, &m_failure);
    if (opened != kStatusOk)
        return opened;
    m_inputInfo = input->Info();
    m_inputPath = parts.front();
    m_length = m_inputInfo.frames;
    m_inputFile = std::move(input);
    return kStatusOk;
}

int Surrounder::CheckSetup()
{
    if (!m_inputFile)
        return kMissingInputFile;
    // Four channels are W, X, Y, Z; a poly file's four are named.
    const int channels = m_inputInfo.channels;
    bool fits = channels >= kInputChannels;
    for (int j = 0; j < kInputChannels && fits; ++j) {
        const int c = m_inputChannels[j];
        fits = c >= 0 && c < channels && std::count(m_inputChannels, m_inputChannels + j, c) == 0;
    }
    if (!fits)
        return Refuse(kChannelCountMismatch, m_inputPath,
                      std::to_string(channels) + " channels instead of W, X, Y, Z" +
                          (channels > kInputChannels ? " (name the four that hold them)" : ""));
    return kStatusOk;
}

int Surrounder::OpenOutputFiles()
{
    BFormatDecoder* decoder = m_decoder;
    if (!decoder) {
        m_ownDecoder = std::make_unique<VirtualMicFiveOneDecoder>(m_openingAngle, m_lowFreqsInLfe);
        decoder = m_ownDecoder.get();
    }
    const OutputLayout& layout = m_decoder ? m_decodedLayout : SurroundLayout(m_outputFileCount);
    if (layout.empty() || static_cast<int>(layout.size()) > kChannels || SignalCount(layout) > decoder->OutputChannels())
        return Refuse(kBadParameter, "", "the output files do not fit the decoder's channels");
    const int files = static_cast<int>(layout.size());
    // Nothing is created when an output would replace the input or another output.
    PathClash clash;
    if (OutputsCollide(m_outputFileNames, files, m_inputFile->Paths(), &clash))
        return Refuse(kOutputOverwritesInput, clash.output, clash.Reason());
    m_outputInfo.samplerate = m_inputInfo.samplerate;
    m_outputInfo.channels = static_cast<int>(layout.front().channels.size());
    WriterOptions options;
    options.format = m_outputInfo.format;
    options.sampleRate = m_inputInfo.samplerate;
    options.ambisonicHeader = m_ambisonicHeader;
    options.dither = m_dither;
    options.replace = m_replaceOutputs;
    options.metadata = m_metadata;
    options.measureLoudness = m_measureLoudness;
    m_stage = std::make_unique<DecodeStage>();
    return m_stage->Open(*decoder, layout, std::vector<std::string>(m_outputFileNames, m_outputFileNames + files),
                         options, m_length, &m_failure);
}

void Surrounder::CloseFiles()
{
    m_stage.reset();  // removes the outputs not yet published
    m_inputFile.reset();
}
