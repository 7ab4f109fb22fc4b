// The conversion run: A-format to B-format through the convolution engine and, in 5.1
// mode, on through the decoder; state in the status bar, the outcome in m_status.
#include "VQParams.h"

#include "FileSystemPath.h"
#include "VessarQConvolver.h"
#include "VessarSurrounder.h"

#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "common/FilePaths.h"

#include <wx/statusbr.h>
#include <wx/utils.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kDefaultBlockLength = 0x80000;

double LinearGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
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
    m_unrepresentablePath = path;
    m_status = kUnrepresentablePath;
    return false;
}

bool VQParams::Abandon(int status)
{
    m_status = status;
    DeleteEngines();
    return false;
}

void VQParams::DeleteEngines()
{
    delete m_surrounder;
    m_surrounder = nullptr;
    delete m_convolver;
    m_convolver = nullptr;
}

bool VQParams::Conclude(Stage stage)
{
    DeleteEngines();
    if (stage == Stage::Cancelled) {
        m_status = vq::kStatusCancelled;
        SetStatusText("Aborted.", 0);
        return true;
    }
    SetStatusText("Error.", 0);
    return false;
}

bool VQParams::CollectOutputs(const std::string inputs[2], const std::string& filter, std::vector<std::string>* outputs)
{
    // Every file the run will write: the outputs, and in 5.1 mode the intermediate file.
    std::vector<std::string> written;
    for (int i = 0; i < OutputCount(); ++i) {
        const wxFileName& slot = m_files[kFirstOutput + i];
        std::string path;
        if (slot.GetName().empty())
            return Abandon(vq::kOutputOpenFailed);  // no name: nothing to create
        if (!ToFileSystemPath(slot.GetFullPath(), &path))
            return Abandon(m_status);
        outputs->push_back(path);
        written.push_back(path);
    }
    if (m_outputMode)
        written.push_back(kIntermediateFile);

    // Nothing is opened for writing when any of them is a file the run reads or another
    // file it writes: the user's recordings are never overwritten.
    if (vq::OutputsCollide(written.data(), static_cast<int>(written.size()), {inputs[0], inputs[1], filter}))
        return Abandon(vq::kOutputOverwritesInput);
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
    m_unrepresentablePath.clear();

    if (!m_files[kFluFrdInput].FileExists() || !m_files[kBldBruInput].FileExists())
        return Abandon(kMissingInputFile);
    std::string inputs[2];
    for (int k = 0; k < 2; ++k)
        if (!ToFileSystemPath(GetFullPath(k), &inputs[k]))
            return Abandon(m_status);

    m_convolver = new VessarQConvolver(ConvolverOutputCount(), m_progressView);
    for (int k = 0; k < 2; ++k) {
        m_status = m_convolver->OpenInputFile(inputs[k].c_str(), k);
        if (m_status != vq::kStatusOk)
            return Abandon(m_status);
    }
    SelectFilterMatrix(m_convolver->m_inputInfo.samplerate);
    if (!m_files[kFilterMatrix].FileExists())
        return Abandon(kMissingFilterMatrix);
    std::string filter;
    if (!ToFileSystemPath(GetFullPath(kFilterMatrix), &filter))
        return Abandon(m_status);
    m_status = m_convolver->LoadFilterMatrix(filter.c_str());
    if (m_status != vq::kStatusOk)
        return Abandon(m_status);
    SetStatusText(wxString::Format("%d Hz", m_convolver->m_inputInfo.samplerate), 1);
    SetStatusText(wxString::Format("%ld smpls", static_cast<long>(m_convolver->m_filterLength)), 2);

    m_convolver->m_autorange = m_bformatAutorange;
    m_convolver->m_gain = LinearGain(m_bformatGain);
    m_convolver->m_requestedBufferLength = m_ioBufferLength >= 1 ? m_ioBufferLength / 4 : kDefaultBlockLength;
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
        return Conclude(stage);
    if (!m_outputMode)
        m_clippedBFormat = m_convolver->m_clippedSamples;
    // Closing the engine completes the intermediate file before the decoder reads it.
    delete m_convolver;
    m_convolver = nullptr;

    if (m_outputMode) {
        stage = RunSurroundStage(outputs);
        if (stage != Stage::Done)
            return Conclude(stage);
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
    m_surrounder->m_requestedBufferLength = m_ioBufferLength >= 1 ? m_ioBufferLength : kDefaultBlockLength;
    if (m_surroundFormat == 0)
        m_surroundFormat = m_bformatFormat;
    m_surrounder->m_outputInfo.format = m_surroundFormat;
    for (std::size_t i = 0; i < outputs.size() && static_cast<int>(i) < m_surrounder->m_outputFileCount; ++i)
        m_surrounder->m_outputFileNames[i] = outputs[i];

    const Stage stage = RunEngine(*m_surrounder);
    if (stage == Stage::Done)
        m_clippedSurround = m_surrounder->m_clippedSamples;
    delete m_surrounder;
    m_surrounder = nullptr;
    return stage;
}
