// The record itself: defaults, file-name slots, output naming and the three settings.
#include "VQParams.h"

#include "FileSystemPath.h"

#include "common/Containers.h"
#include "surround/BFormatDecoder.h"
#include "common/FilterMatrixName.h"

#include <sndfile.h>

#include <wx/config.h>
#include <wx/filefn.h>

#include <climits>

const char* const VQParams::kIntermediateFile = "bformat.wav";

namespace {

const wxString kFiltersKey = "/VessarQuilix/FiltersPath";
const wxString kDocsKey = "/VessarQuilix/DocsPath";
const wxString kBufferKey = "/VessarQuilix/IOBufferLength";
const wxString kHrtfKey = "/VessarQuilix/HrtfFile";  // a SOFA file; empty: the built-in head

// Frames of a block when the I/O buffer setting is not a usable size.
constexpr std::int64_t kDefaultBlockFrames = 0x80000;

// A block of this many bytes per frame fills the I/O buffer: one channel of 32-bit samples.
constexpr int kBufferBytesPerFrame = 4;

// The working directory's `name` subdirectory, as the program has always looked there; an
// installed program started elsewhere (from the desktop's menu, say) falls back to the
// copy installed with it.
wxString DefaultDataDir(const wxString& cwd, const wxString& name)
{
    const wxString local = cwd + "/" + name;
    const wxString installed = wxString(VQ_INSTALLED_DATA_DIR) + "/" + name;
    return !wxDirExists(local) && wxDirExists(installed) ? installed : local;
}

}  // namespace

VQParams::VQParams(wxConfigBase* config) : m_config(config)
{
    SetDefaults();
    if (m_config)
        LoadSettings();
}

VQParams::~VQParams()
{
    if (m_config)
        SaveSettings();
}

void VQParams::SetDefaults()
{
    m_bformatGain = m_surroundGain = -3.0;
    m_bformatFormat = m_surroundFormat = kFormatPcm16;
    m_bformatAutorange = m_surroundAutorange = m_lowFreqsInLfe = false;
    m_openingAngle = 60;
    const wxString cwd = wxGetCwd();
    m_files[kFilterMatrix].AssignDir(DefaultDataDir(cwd, "filters"));
    m_files[kFilterMatrix].SetExt("wav");
    m_files[kHelpPage].AssignDir(DefaultDataDir(cwd, "docs"));
    m_files[kHelpPage].SetFullName("VessarQuilix.html");
    ResetFileNames();
}

void VQParams::ResetFileNames()
{
    m_sampleRate = 0;
    m_files[kFluFrdInput].Assign("Audio_file_01.wav");
    m_files[kBldBruInput].Assign("Audio_file_02.wav");
    UpdateOutputNames();
}

void VQParams::LoadSettings()
{
    wxString value;
    if (m_config->Read(kFiltersKey, &value))
        m_files[kFilterMatrix].SetPath(value);
    if (m_config->Read(kDocsKey, &value))
        m_files[kHelpPage].SetPath(value);
    m_config->Read(kHrtfKey, &m_hrtfFile);
    if (m_config->Read(kBufferKey, &value)) {
        // The whole text must be a decimal integer; anything else reads as 0.
        long number = 0;
        const bool parsed = value.ToLong(&number, 10) && number >= INT_MIN && number <= INT_MAX;
        m_ioBufferLength = parsed ? static_cast<int>(number) : 0;
    }
}

void VQParams::SaveSettings()
{
    m_config->Write(kFiltersKey, GetFiltersDir());
    m_config->Write(kDocsKey, GetDocsDir());
    m_config->Write(kBufferKey, wxString::Format("%d", m_ioBufferLength));
    m_config->Write(kHrtfKey, m_hrtfFile);
}

void VQParams::SetFileName(int slot, const wxString& path)
{
    m_files[slot].Assign(path);
    if (slot == kFluFrdInput)
        UpdateOutputNames();
}

wxString VQParams::GetFullPath(int slot) const
{
    return m_files[slot].GetFullPath();
}

void VQParams::ClearOutputNames()
{
    for (int i = 0; i < kMaxOutputs; ++i) {
        m_files[kFirstOutput + i].Clear();
        m_files[kFirstOutput + i].SetExt("wav");
    }
}

bool VQParams::FirstInputIsWholeTake() const
{
    std::string path;
    if (!::ToFileSystemPath(m_files[kFluFrdInput].GetFullPath(), &path))
        return false;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    sf_close(file);
    return info.channels == 4;
}

wxString VQParams::TakeName() const
{
    // The name drops the last character of the first input's name, the front marker of a
    // pair (concertF.wav and concertR.wav give "concert"); a whole take in one 4-channel
    // file keeps its whole name (take.wav gives "take").
    wxString base = m_files[kFluFrdInput].GetName();
    if (!base.empty() && !FirstInputIsWholeTake())
        base.RemoveLast();
    return base;
}

std::vector<wxString> VQParams::WrittenFiles() const
{
    std::vector<wxString> files;
    for (int i = 0; i < OutputCount(); ++i)
        files.push_back(GetOutputPath(i));
    if (Decodes() && !m_keepBFormat.empty())
        files.push_back(m_keepBFormat);
    return files;
}

void VQParams::UpdateOutputNames()
{
    const wxString base = TakeName();
    ClearOutputNames();
    if (m_fileLayout < 0 || m_fileLayout > 2)
        return;
    const vq::OutputLayout& files = OutputFiles();
    const int format = Decodes() ? m_surroundFormat : m_bformatFormat;
    const vq::Container& container = vq::ContainerOf(format, m_ambFile && !Decodes());
    for (std::size_t i = 0; i < files.size() && i < kMaxOutputs; ++i) {
        wxFileName& slot = m_files[kFirstOutput + i];
        if (!m_outputDir.empty())
            slot.AssignDir(m_outputDir);
        slot.SetName(base + wxString::FromUTF8(files[i].suffix.c_str()));
        slot.SetExt(container.extension);
    }
}

const vq::OutputLayout& VQParams::OutputFiles() const
{
    switch (m_outputMode) {
    case kModeBFormat:
        return vq::BFormatLayout(m_convention, ConvolverOutputCount());
    case kModeStereo:
        return vq::TwoChannelLayout(vq::TwoChannelDecode::Stereo);
    case kModeUhj:
        return vq::TwoChannelLayout(vq::TwoChannelDecode::Uhj);
    case kModeBinaural:
        return vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural);
    default:
        return vq::SurroundLayout(DecoderOutputCount());
    }
}

wxString VQParams::OutputTitle(int i) const
{
    const vq::OutputLayout& files = OutputFiles();
    return i >= 0 && i < static_cast<int>(files.size()) ? wxString::FromUTF8(files[i].title.c_str()) : wxString();
}

std::int64_t VQParams::BlockFrames() const
{
    return m_ioBufferLength >= kBufferBytesPerFrame ? m_ioBufferLength / kBufferBytesPerFrame : kDefaultBlockFrames;
}

wxString VQParams::GetErrorMessage() const
{
    const std::string filterMatrix(m_files[kFilterMatrix].GetFullPath().utf8_str());
    return wxString::FromUTF8(vq::StatusMessage(m_status, filterMatrix, m_failure).c_str());
}

wxString VQParams::GetOutputPath(int i) const
{
    const wxFileName& name = m_files[kFirstOutput + i];
    return name.GetName().empty() ? wxString(" ") : name.GetFullPath();
}

void VQParams::SetOutputPath(int i, const wxString& path)
{
    m_files[kFirstOutput + i].Assign(path);
}

void VQParams::SelectFilterMatrix(int sampleRate)
{
    m_files[kFilterMatrix].SetName(vq::FilterMatrixName(sampleRate));
}

void VQParams::SetFiltersDir(const wxString& dir)
{
    m_files[kFilterMatrix].SetPath(dir);
}

wxString VQParams::GetFiltersDir() const
{
    return m_files[kFilterMatrix].GetPath(wxPATH_GET_VOLUME);
}

void VQParams::SetDocsDir(const wxString& dir)
{
    m_files[kHelpPage].SetPath(dir);
}

wxString VQParams::GetDocsDir() const
{
    return m_files[kHelpPage].GetPath(wxPATH_GET_VOLUME);
}

int VQParams::ConvolverOutputCount() const
{
    if (Decodes())
        return 1;
    return m_fileLayout == 0 ? 4 : m_fileLayout == 1 ? 2 : 1;
}

int VQParams::DecoderOutputCount() const
{
    if (!Decodes())
        return 0;
    if (m_outputMode != kModeSurround)
        return 1;  // one stereo file
    return m_fileLayout == 0 ? 6 : m_fileLayout == 1 ? 3 : 1;
}

int VQParams::OutputCount() const
{
    return Decodes() ? DecoderOutputCount() : ConvolverOutputCount();
}
