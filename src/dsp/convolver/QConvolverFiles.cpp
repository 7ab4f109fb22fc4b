// Opening, validating and closing the engine's sound files.
#include "convolver/QConvolver.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"
#include "common/JoinedSoundFile.h"
#include "common/OutputWriter.h"
#include "common/SoundFileInput.h"
#include "common/SoundFileOutput.h"
#include "common/BlockConvolver.h"
#include "surround/DecodeStage.h"

#include <algorithm>
#include <vector>

using namespace vq;

namespace {

// Frames the writer converts and writes at a time.
constexpr std::int64_t kWritePieceFrames = 16384;

std::string Hertz(int rate)
{
    return std::to_string(rate) + " Hz";
}

}  // namespace

int QConvolver::InputFileCount() const
{
    int count = 0;
    while (count < kMaxInputFiles && m_inputFiles[count])
        ++count;
    return count;
}

std::vector<std::string> QConvolver::InputPaths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < InputFileCount(); ++i)
        paths.insert(paths.end(), m_inputFiles[i]->Paths().begin(), m_inputFiles[i]->Paths().end());
    return paths;
}

void QConvolver::UpdateOutputLength()
{
    // The full convolution of F frames with L taps has F + L - 1 frames; one zero frame
    // rounds it to F + L. An empty recording gives empty outputs.
    // Input lengths are at most kMaxInputFrames, so the sum cannot overflow.
    m_outputLength = m_inputInfo.frames > 0 ? m_inputInfo.frames + m_filterLength : 0;
}

int QConvolver::OpenInputFile(const char* path, int index)
{
    if (!path)
        return OpenInputParts({}, index);
    return OpenInputParts({path}, index);
}

int QConvolver::OpenInputParts(const std::vector<std::string>& parts, int index)
{
    if (m_state.Setting() != kStatusOk)
        return kBadState;
    if (index < 0 || index >= kMaxInputFiles || parts.empty())
        return Refuse(kBadParameter, parts.empty() ? "" : parts.front(), "no such input (files 0 to 3)");
    m_inputFiles[index].reset();
    auto input = std::make_unique<JoinedSoundFile>();
    const int opened = input->Open(parts, &m_failure);
    if (opened != kStatusOk)
        return opened;
    const SF_INFO& info = input->Info();

    // The first input opened describes the recording; the others must agree with it, part
    // for part when it is split. An input that does not is closed again, so that a later
    // Run cannot pass with it.
    const JoinedSoundFile* other = nullptr;
    for (int i = 0; i < kMaxInputFiles && !other; ++i)
        other = m_inputFiles[i].get();
    const std::string& path = parts.front();
    if (!other) {
        m_inputInfo = info;
    } else if (info.samplerate != m_inputInfo.samplerate) {
        return Refuse(kSampleRateMismatch, path,
                      Hertz(info.samplerate) + ", the other input " + Hertz(m_inputInfo.samplerate));
    } else if (info.channels != m_inputInfo.channels) {
        return Refuse(kChannelCountMismatch, path,
                      std::to_string(info.channels) + " channels, the other input " +
                          std::to_string(m_inputInfo.channels));
    } else if (info.frames != m_inputInfo.frames && input->PartCount() == 1 && other->PartCount() == 1) {
        // (Split inputs are compared part for part below, naming the part that differs.)
        return Refuse(kLengthMismatch, path,
                      std::to_string(info.frames) + " frames, the other input " + std::to_string(m_inputInfo.frames));
    } else if (input->PartCount() != other->PartCount()) {
        return Refuse(kLengthMismatch, path,
                      std::to_string(input->PartCount()) + " parts, the other input " +
                          std::to_string(other->PartCount()));
    } else {
        for (std::size_t p = 0; p < input->PartCount(); ++p)
            if (input->PartFrames(p) != other->PartFrames(p))
                return Refuse(kLengthMismatch, input->Paths()[p],
                              std::to_string(input->PartFrames(p)) + " frames, its other input " +
                                  other->Paths()[p] + " " + std::to_string(other->PartFrames(p)));
    }
    m_inputFiles[index] = std::move(input);
    UpdateOutputLength();
    return kStatusOk;
}

int QConvolver::LoadFilterMatrix(const char* path)
{
    if (m_state.Setting() != kStatusOk)
        return kBadState;
    if (!path)
        return Refuse(kBadParameter, "", "no filter matrix named");
    m_filterFile.reset();
    m_filterInfo = SF_INFO{};
    m_filterLength = 0;
    std::string problem;
    auto file = std::make_unique<InputSoundFile>();
    const int opened = file->Open(path, InputSoundFile::Length::Counted, &problem);
    UpdateOutputLength();
    if (opened != kStatusOk)
        return Refuse(kFilterMatrixOpenFailed, path, problem);
    m_filterInfo = file->Info();
    m_filterFile = std::move(file);
    m_filterPath = path;

    // Four filters of L taps one after the other: any other frame count would shift them.
    const sf_count_t frames = m_filterInfo.frames;
    if (frames < kChannels || frames % kChannels != 0 || frames / kChannels > kMaxFilterLength)
        return Refuse(kFilterMatrixLength, path, std::to_string(frames) + " frames");
    m_filterLength = static_cast<int>(frames / kChannels);
    m_fftLength = ChooseFftLength(m_filterLength);
    UpdateOutputLength();
    return kStatusOk;
}

int QConvolver::SetOutputFileName(int index, const std::string& path)
{
    if (m_state.Setting() != kStatusOk)
        return kBadState;
    if (index < 0 || index >= m_outputFileCount)
        return Refuse(kBadParameter, path, "no such output");
    m_outputFileNames[index] = path;
    return kStatusOk;
}

int QConvolver::CheckSetup()
{
    if (!m_filterFile)
        return kFilterMatrixNotOpen;
    if (m_filterInfo.channels != kChannels)
        return Refuse(kFilterMatrixChannels, m_filterPath, std::to_string(m_filterInfo.channels) + " rows");
    const int files = InputFileCount();
    if (files > 0 && m_filterInfo.samplerate != m_inputInfo.samplerate)
        return Refuse(kSampleRateMismatch, m_filterPath,
                      Hertz(m_filterInfo.samplerate) + ", the inputs " + Hertz(m_inputInfo.samplerate));
    const int channels = files * m_inputInfo.channels;
    // Two stereo files of which the second is missing: an input is missing. Any other
    // count of channels than four: the channels do not fit.
    if (files == 0 || (files == 1 && m_inputInfo.channels == 2))
        return kMissingInputFile;
    // One file of more than four channels (a recorder's poly file) holds the capsules in the
    // four channels m_capsuleChannels names.
    const bool poly = files == 1 && channels > kChannels;
    if (!poly && (channels != kChannels ||
                  (m_inputInfo.channels != 1 && m_inputInfo.channels != 2 && m_inputInfo.channels != 4)))
        return Refuse(kChannelCountMismatch, m_inputFiles[0]->Paths().front(),
                      std::to_string(channels) + " capsule channels in all instead of 4");
    if (m_filterLength == 0)
        return Refuse(kFilterMatrixLength, m_filterPath, std::to_string(m_filterInfo.frames) + " frames");
    for (int k = 0; k < kChannels; ++k) {
        const int c = m_capsuleChannels[k];
        if (c < 0 || c >= channels || std::count(m_capsuleChannels, m_capsuleChannels + k, c) > 0)
            return Refuse(kBadParameter, "", "the capsules are not four different channels of the take");
    }
    if (vq::BFormatLayout(m_convention, m_outputFileCount).empty())
        return Refuse(kBadParameter, "", "no such output layout in this B-format convention");
    if (m_align && (m_alignDelay < 0 || m_alignDelay >= m_filterLength))
        return Refuse(kBadParameter, m_filterPath, "its delay of " + std::to_string(m_alignDelay) +
                                                       " frames is not shorter than its filters");
    return kStatusOk;
}

int QConvolver::OpenOutputFiles()
{
    // Nothing is created when any output would replace a file the run reads or another
    // output: the user's recordings are never opened for writing.
    std::vector<std::string> reads = InputPaths();
    reads.push_back(m_filterPath);
    PathClash clash;
    if (OutputsCollide(m_outputFileNames, m_outputFileCount, reads, &clash))
        return Refuse(kOutputOverwritesInput, clash.output, clash.Reason());
    const OutputLayout& layout = vq::BFormatLayout(m_convention, m_outputFileCount);
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
    m_writer = std::make_unique<OutputWriter>();
    int status = kStatusOk;
    if (m_writeBFormat)
        status =
            m_writer->Open(layout, std::vector<std::string>(m_outputFileNames, m_outputFileNames + m_outputFileCount),
                           options, WrittenLength(), kWritePieceFrames, &m_failure);
    if (status == kStatusOk && m_decoder)
        status = OpenDecodedFiles();
    return status;
}

int QConvolver::OpenDecodedFiles()
{
    std::vector<std::string> reads = InputPaths();
    reads.push_back(m_filterPath);
    if (m_writeBFormat)
        reads.insert(reads.end(), m_outputFileNames, m_outputFileNames + m_outputFileCount);
    if (m_decodedFileNames.size() < m_decodedLayout.size())
        return Refuse(kBadParameter, "", "a decoded output has no name");
    PathClash clash;
    if (OutputsCollide(m_decodedFileNames.data(), static_cast<int>(m_decodedLayout.size()), reads, &clash))
        return Refuse(kOutputOverwritesInput, clash.output, clash.Reason());
    WriterOptions options;
    options.format = m_decodedFormat;
    options.sampleRate = m_inputInfo.samplerate;
    options.dither = m_dither;
    options.replace = m_replaceOutputs;
    options.metadata = m_metadata;
    options.measureLoudness = m_measureLoudness;
    m_stage = std::make_unique<DecodeStage>();
    return m_stage->Open(*m_decoder, m_decodedLayout, m_decodedFileNames, options, WrittenLength(), &m_failure);
}

void QConvolver::CloseFiles()
{
    m_stage.reset();  // removes temporaries not yet committed
    m_writer.reset();
    for (std::unique_ptr<JoinedSoundFile>& input : m_inputFiles)
        input.reset();
    m_filterFile.reset();
}
