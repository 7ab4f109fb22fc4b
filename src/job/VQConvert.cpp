// The conversion run: A-format to B-format through the convolution engine and, in 5.1
// mode, on through the decoder; state in the status bar, the outcome in m_status.
#include "VQParams.h"

#include "FileSystemPath.h"
#include "VessarQConvolver.h"
#include "VessarSurrounder.h"
#include "VQStatusView.h"

#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "common/FilePaths.h"

#include <wx/filefn.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The B-format stage of a 5.1 conversion runs at the default B-format gain: the B-format
// controls are the B-format output's, and a 5.1 result does not depend on them.
constexpr double kSurroundStageBFormatGain = -3.0;

double LinearGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

}  // namespace

// Run, then Autorange when asked; the same for both engines.
template <typename Engine>
VQParams::Stage VQParams::RunEngine(Engine& engine)
{
    m_status = engine.Run();
    if (engine.m_aborted)
        return Stage::Cancelled;
    if (m_status != vq::kStatusOk)
        return Stage::Failed;
    if (engine.m_finished && engine.m_autorange) {
        m_status = engine.Autorange();
        if (engine.m_aborted)
            return Stage::Cancelled;
        if (m_status != vq::kStatusOk)
            return Stage::Failed;
    }
    return Stage::Done;
}

void VQParams::SetStatusText(const wxString& text, int field)
{
    if (m_statusBar)
        m_statusBar->SetStatusText(text, field);
}

bool VQParams::ToFileSystemPath(const wxString& path, std::string* out)
{
    if (::ToFileSystemPath(path, out))
        return true;
    m_failure = {Utf8(path), "the name has no form in the file system's encoding"};
    m_status = kUnrepresentablePath;
    return false;
}

bool VQParams::Fail(int status, const vq::FailureDetail& detail)
{
    m_status = status;
    if (!detail.path.empty() || !detail.reason.empty())
        m_failure = detail;
    DeleteEngines();
    SetStatusText("Error.", 0);
    return false;
}

void VQParams::DeleteEngines()
{
    delete m_surrounder;
    m_surrounder = nullptr;
    delete m_convolver;
    m_convolver = nullptr;
}

bool VQParams::Conclude(Stage stage, const vq::FailureDetail& detail)
{
    if (stage == Stage::Cancelled) {
        DeleteEngines();
        m_status = vq::kStatusCancelled;
        SetStatusText("Aborted.", 0);
        return true;
    }
    return Fail(m_status, detail);
}

bool VQParams::CollectOutputs(const std::string inputs[2], const std::string& filter, std::vector<std::string>* outputs)
{
    // Every file the run will write: the outputs, and in 5.1 mode the intermediate file.
    std::vector<std::string> written;
    for (int i = 0; i < OutputCount(); ++i) {
        const wxFileName& slot = m_files[kFirstOutput + i];
        std::string path;
        if (slot.GetName().empty())
            return Fail(vq::kOutputOpenFailed, {"", "output " + std::to_string(i + 1) + " has no name"});
        if (!ToFileSystemPath(slot.GetFullPath(), &path))
            return Fail(m_status);
        outputs->push_back(path);
        written.push_back(path);
    }
    if (m_outputMode)
        written.push_back(kIntermediateFile);

    // Nothing is opened for writing when any of them is a file the run reads or another
    // file it writes: the user's recordings are never overwritten.
    vq::PathClash clash;
    if (vq::OutputsCollide(written.data(), static_cast<int>(written.size()), {inputs[0], inputs[1], filter}, &clash))
        return Fail(vq::kOutputOverwritesInput, {clash.output, clash.Reason()});
    // An output that cannot be created fails now, not after the planning and a whole pass.
    for (const std::string& path : *outputs) {
        vq::FailureDetail problem;
        if (!CheckOutputFolder(path, &problem))
            return Fail(vq::kOutputOpenFailed, problem);
    }
    return true;
}

wxString VQParams::UserFftWisdomFile()
{
    wxString dir;
    if (!wxGetEnv("XDG_CACHE_HOME", &dir) || !wxFileName(dir, wxEmptyString).IsAbsolute())
        dir = wxGetHomeDir() + "/.cache";
    return dir + "/VessarQuilix/fftw-wisdom";
}

bool VQParams::Convert()
{
    // The transform plans measured by earlier runs are reused, and new ones kept.
    std::string wisdom;
    const bool keepWisdom = !m_fftWisdomFile.empty() && ::ToFileSystemPath(m_fftWisdomFile, &wisdom);
    if (keepWisdom)
        vq::LoadFftWisdom(wisdom);
    const bool result = RunConversion();
    if (keepWisdom && wxFileName::Mkdir(wxFileName(m_fftWisdomFile).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
        vq::SaveFftWisdom(wisdom);
    return result;
}

bool VQParams::RunConversion()
{
    m_status = vq::kStatusOk;
    m_clippedBFormat = m_clippedSurround = 0;
    m_failure.Clear();
    // The rate and filter length shown are those of this run, as soon as they are known.
    SetStatusText(wxEmptyString, 1);
    SetStatusText(wxEmptyString, 2);

    // A take is one 4-channel file, or a front and a rear stereo file.
    const int inputCount = FirstInputIsWholeTake() ? 1 : 2;
    for (int k = 0; k < inputCount; ++k)
        if (!m_files[k].FileExists())
            return Fail(
                kMissingInputFile,
                {Utf8(GetFullPath(k)), wxDirExists(GetFullPath(k)) ? "a folder, not a sound file" : "no such file"});
    std::string inputs[2];
    for (int k = 0; k < inputCount; ++k)
        if (!ToFileSystemPath(GetFullPath(k), &inputs[k]))
            return Fail(m_status);

    m_convolver = new VessarQConvolver(ConvolverOutputCount(), m_progressView);
    for (int k = 0; k < inputCount; ++k) {
        m_status = m_convolver->OpenInputFile(inputs[k].c_str(), k);
        if (m_status != vq::kStatusOk)
            return Fail(m_status, m_convolver->m_failure);
    }
    SelectFilterMatrix(m_convolver->m_inputInfo.samplerate);
    SetStatusText(wxString::Format("%d Hz", m_convolver->m_inputInfo.samplerate), 1);
    if (!m_files[kFilterMatrix].FileExists())
        return Fail(kMissingFilterMatrix,
                    {"", vq::FilterMatrixHint(m_convolver->m_inputInfo.samplerate, Utf8(GetFiltersDir()))});
    std::string filter;
    if (!ToFileSystemPath(GetFullPath(kFilterMatrix), &filter))
        return Fail(m_status);
    m_status = m_convolver->LoadFilterMatrix(filter.c_str());
    if (m_status != vq::kStatusOk)
        return Fail(m_status, m_convolver->m_failure);
    SetStatusText(wxString::Format("%ld smpls", static_cast<long>(m_convolver->m_filterLength)), 2);

    m_convolver->m_autorange = m_outputMode ? false : m_bformatAutorange;
    m_convolver->m_gain = LinearGain(m_outputMode ? kSurroundStageBFormatGain : m_bformatGain);
    m_convolver->m_requestedBufferLength = BlockFrames();
    m_convolver->m_threads = m_threads;
    m_convolver->m_highpassHz = m_highpassHz;
    m_convolver->m_dither = m_dither;
    std::copy(m_capsuleChannels, m_capsuleChannels + 4, m_convolver->m_capsuleChannels);
    // The intermediate of 5.1 mode is always Furse-Malham, which the decoder reads.
    m_convolver->m_convention = m_outputMode ? vq::BFormatConvention::FuMa : m_convention;
    m_convolver->m_ambisonicHeader = m_ambFile && !m_outputMode;
    if (m_bformatFormat == 0)
        m_bformatFormat = m_convolver->m_inputInfo.format;
    // The intermediate of 5.1 mode is float: an integer one would add noise and clip
    // before the decoder sees it.
    m_convolver->m_outputInfo.format = m_outputMode ? kFormatFloat : m_bformatFormat;

    std::vector<std::string> outputs;
    if (!CollectOutputs(inputs, filter, &outputs))
        return false;
    if (m_outputMode)
        m_convolver->SetOutputFileName(0, kIntermediateFile);
    else
        for (std::size_t i = 0; i < outputs.size(); ++i)
            m_convolver->SetOutputFileName(static_cast<int>(i), outputs[i]);

    SetStatusText("Calculating...", 0);
    Stage stage = RunEngine(*m_convolver);
    if (stage != Stage::Done)
        return Conclude(stage, m_convolver->m_failure);
    if (!m_outputMode)
        m_clippedBFormat = m_convolver->m_clippedSamples;
    // Closing the engine completes the intermediate file before the decoder reads it.
    delete m_convolver;
    m_convolver = nullptr;

    if (m_outputMode) {
        stage = RunSurroundStage(outputs);
        if (stage != Stage::Done)
            return Conclude(stage, m_surrounder ? m_surrounder->m_failure : vq::FailureDetail());
        delete m_surrounder;
        m_surrounder = nullptr;
    }
    SetStatusText("Ready.", 0);
    return true;
}

VQParams::Stage VQParams::RunSurroundStage(const std::vector<std::string>& outputs)
{
    m_surrounder = new VessarSurrounder(60.0, DecoderOutputCount(), m_progressView);
    m_status = m_surrounder->OpenInputFile(kIntermediateFile);
    if (m_status != vq::kStatusOk)
        return Stage::Failed;
    m_surrounder->m_gain = LinearGain(m_surroundGain);
    m_surrounder->m_autorange = m_surroundAutorange;
    m_surrounder->m_lowFreqsInLfe = m_lowFreqsInLfe;
    if (m_openingAngle > 0)
        m_surrounder->m_openingAngle = m_openingAngle;
    m_surrounder->m_requestedBufferLength = BlockFrames();
    if (m_surroundFormat == 0)
        m_surroundFormat = m_bformatFormat;
    m_surrounder->m_outputInfo.format = m_surroundFormat;
    m_surrounder->m_dither = m_dither;
    for (std::size_t i = 0; i < outputs.size() && static_cast<int>(i) < m_surrounder->m_outputFileCount; ++i)
        m_surrounder->m_outputFileNames[i] = outputs[i];

    const Stage stage = RunEngine(*m_surrounder);
    if (stage == Stage::Done)
        m_clippedSurround = m_surrounder->m_clippedSamples;
    return stage;
}
