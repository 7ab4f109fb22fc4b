// The conversion run: A-format to B-format through the convolution engine and, in a decode
// mode, on through the decoder in the same pass; state in the status bar, the outcome in
// m_status.
#include "VQParams.h"

#include "FileSystemPath.h"
#include "VessarQConvolver.h"
#include "VQProgressView.h"
#include "VQStatusView.h"

#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "common/FilePaths.h"
#include "binaural/BinauralDecoder.h"
#include "binaural/SofaHrirs.h"
#include "binaural/SphericalHeadHrirs.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/StereoPairDecoder.h"
#include "surround/UhjEncoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"

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
    delete m_convolver;
    m_convolver = nullptr;
    m_decoder.reset();
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

bool VQParams::CollectOutputs(const std::string inputs[2], const std::string& filter, const std::string& bformat,
                              std::vector<std::string>* outputs)
{
    // Every file the run will write: the outputs, and the B-format a decode keeps.
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
    if (!bformat.empty())
        written.push_back(bformat);

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

int VQParams::MakeDecoder()
{
    switch (m_outputMode) {
    case kModeStereo:
        m_decoder = std::make_unique<vq::StereoPairDecoder>(m_pairPattern, m_pairAngle, m_pairAim);
        return vq::StereoPairDecoder::CheckParameters(m_pairPattern, m_pairAngle, m_pairAim);
    case kModeUhj:
        m_decoder = std::make_unique<vq::UhjEncoder>();
        return vq::kStatusOk;
    case kModeBinaural: {
        std::shared_ptr<const vq::HrirSet> hrirs;
        if (m_hrtfFile.empty()) {
            hrirs = std::make_shared<vq::SphericalHeadHrirs>();
        } else {
            std::string path;
            if (!ToFileSystemPath(m_hrtfFile, &path))
                return m_status;
            auto sofa = std::make_shared<vq::SofaHrirs>();
            VQProgressView* view = m_progressView;
            const int status = sofa->Load(path, [view] { return !view || !view->CancelRequested(); });
            if (status != vq::kStatusOk) {
                // The reader's reason names the file of a parse that did not end.
                m_failure = {status == vq::kHrtfUnreadable ? std::string() : path, sofa->Reason()};
                return status;
            }
            hrirs = sofa;
        }
        m_decoder = std::make_unique<vq::BinauralDecoder>(hrirs);
        return vq::kStatusOk;
    }
    default:
        if (m_energyDecoder)
            m_decoder = std::make_unique<vq::EnergyFiveOneDecoder>(m_lowFreqsInLfe);
        else
            m_decoder = std::make_unique<vq::VirtualMicFiveOneDecoder>(m_openingAngle > 0 ? m_openingAngle : 60,
                                                                       m_lowFreqsInLfe);
        return vq::kStatusOk;
    }
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

    m_convolver = new VessarQConvolver(ConvolverOutputCount(), m_progressView, StageMessage());
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

    // A decode runs in the same pass: its B-format stage at the default gain, without the
    // B-format output's own controls, and in the Furse-Malham convention it reads.
    const bool decodes = Decodes();
    QConvolver& engine = *m_convolver;
    engine.m_autorange = !decodes && m_bformatAutorange;
    engine.m_gain = LinearGain(decodes ? kSurroundStageBFormatGain : m_bformatGain);
    engine.m_requestedBufferLength = BlockFrames();
    engine.m_threads = m_threads;
    engine.m_highpassHz = m_highpassHz;
    engine.m_dither = m_dither;
    engine.m_replaceOutputs = m_replaceOutputs;
    engine.m_rotation = vq::FieldRotation::FromDegrees(m_yaw, m_pitch, m_roll);
    std::copy(m_capsuleChannels, m_capsuleChannels + 4, engine.m_capsuleChannels);
    engine.m_convention = decodes ? vq::BFormatConvention::FuMa : m_convention;
    engine.m_ambisonicHeader = m_ambFile && !decodes;
    if (m_bformatFormat == 0)
        m_bformatFormat = engine.m_inputInfo.format;
    if (m_surroundFormat == 0)
        m_surroundFormat = m_bformatFormat;
    // A kept B-format of a decode is float: integers would add noise and clip.
    engine.m_outputInfo.format = decodes ? kFormatFloat : m_bformatFormat;

    std::string bformat;
    if (decodes && !m_keepBFormat.empty() && !ToFileSystemPath(m_keepBFormat, &bformat))
        return Fail(m_status);
    std::vector<std::string> outputs;
    if (!CollectOutputs(inputs, filter, bformat, &outputs))
        return false;
    if (decodes) {
        m_status = MakeDecoder();
        if (m_status == vq::kStatusCancelled)
            return Conclude(Stage::Cancelled, m_failure);
        if (m_status != vq::kStatusOk)
            return Fail(m_status);
        engine.m_decoder = m_decoder.get();
        engine.m_decodedLayout = OutputFiles();
        engine.m_decodedFileNames = outputs;
        engine.m_decodedFormat = m_surroundFormat;
        engine.m_decodedGain = LinearGain(m_surroundGain);
        engine.m_decodedAutorange = m_surroundAutorange;
        engine.m_writeBFormat = !bformat.empty();
        if (!bformat.empty())
            engine.SetOutputFileName(0, bformat);
    } else {
        for (std::size_t i = 0; i < outputs.size(); ++i)
            engine.SetOutputFileName(static_cast<int>(i), outputs[i]);
    }

    SetStatusText("Calculating...", 0);
    m_status = engine.Run();
    if (m_status == vq::kStatusOk && engine.m_finished && (engine.m_autorange || (decodes && m_surroundAutorange)))
        m_status = engine.Autorange();
    if (engine.m_aborted)
        return Conclude(Stage::Cancelled, engine.m_failure);
    if (m_status != vq::kStatusOk)
        return Conclude(Stage::Failed, engine.m_failure);
    m_clippedBFormat = decodes ? 0 : engine.m_clippedSamples;
    m_clippedSurround = decodes ? engine.m_decodedClippedSamples : 0;
    DeleteEngines();
    SetStatusText("Ready.", 0);
    return true;
}

wxString VQParams::StageMessage() const
{
    switch (m_outputMode) {
    case kModeBFormat:
        return "Converting to B-Format...";
    case kModeStereo:
        return "Converting to stereo...";
    case kModeUhj:
        return "Converting to UHJ stereo...";
    case kModeBinaural:
        return "Converting to binaural (headphones)...";
    default:
        return "Converting to 5.1 format...";
    }
}
