// The record itself: defaults, file-name slots, output naming and the three settings.
#include "VQParams.h"

#include "ConversionRun.h"
#include "DecodeModes.h"
#include "FileSystemPath.h"
#include "ProgramData.h"
#include "TakeKinds.h"

#include "common/Containers.h"
#include "common/FilterMatrixName.h"

#include <wx/config.h>
#include <wx/filefn.h>

#include <algorithm>
#include <climits>

namespace {

const wxString kFiltersKey = "/VessarQuilix/FiltersPath";
const wxString kDocsKey = "/VessarQuilix/DocsPath";
const wxString kBufferKey = "/VessarQuilix/IOBufferLength";
const wxString kHrtfKey = "/VessarQuilix/HrtfFile";  // a SOFA file; empty: the built-in head

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
    m_files[kFilterMatrix].AssignDir(vq::ProgramDataFolder("filters"));
    m_files[kFilterMatrix].SetExt("wav");
    m_files[kHelpPage].AssignDir(vq::ProgramDataFolder("docs"));
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

namespace {

// The kind of the take that begins with `first`, by its header; null when it cannot be read.
const vq::TakeKind* KindOfFirstFile(const wxString& first, vq::InputFormat asked)
{
    return vq::KindOfTake(vq::ReadFirstFileHeader(first), asked, first);
}

}  // namespace

bool VQParams::FirstInputIsWholeTake() const
{
    const vq::TakeKind* kind = KindOfFirstFile(GetFullPath(kFluFrdInput), m_inputFormat);
    return kind && kind->files == 1;
}

wxString VQParams::TakeName() const
{
    // concertF.wav (with concertR.wav) gives "concert", take.wav "take", takeFLU.wav "take".
    vq::ConversionRequest take;
    take.take.inputFormat = m_inputFormat;
    take.takeFiles = {GetFullPath(kFluFrdInput)};
    return vq::TakeName(take);
}

const vq::DecodeMode& VQParams::Mode() const
{
    const std::vector<vq::DecodeMode>& modes = vq::DecodeModes();
    return m_outputMode >= 0 && static_cast<std::size_t>(m_outputMode) < modes.size()
               ? modes[static_cast<std::size_t>(m_outputMode)]
               : vq::FirstDecodeMode();
}

std::string VQParams::Decoder() const
{
    vq::DecodeSettings decode;
    decode.mode = &Mode();
    decode.decoders = m_decoders;
    return decode.Decoder();
}

vq::ConversionRequest VQParams::Request() const
{
    vq::ConversionRequest request;
    request.take.inputFormat = m_inputFormat;
    std::copy(m_capsuleChannels, m_capsuleChannels + 4, request.take.capsuleChannels);
    request.take.channels = m_channels;
    const wxString first = GetFullPath(kFluFrdInput);
    request.takeFiles = {first};
    // The rear slot counts for a pair, and for a first file that cannot be read, whose
    // failure the run then reports as the pair's.
    const vq::TakeKind* kind = KindOfFirstFile(first, m_inputFormat);
    if (kind ? kind->files == 2 : !m_files[kBldBruInput].GetFullName().empty())
        request.takeFiles.push_back(GetFullPath(kBldBruInput));
    for (const wxString& part : m_joinedParts)
        request.take.laterParts.push_back({part});

    const vq::DecodeMode& mode = Mode();
    vq::OutputSettings& out = request.outputs;
    out.fileCount = FileCount();
    // A decode's format of 0 is the B-format's, which may be the take's (0 again).
    const int format = Decodes() && m_surroundFormat != 0 ? m_surroundFormat : m_bformatFormat;
    out.container = &OutputContainer();
    out.sample = vq::SampleFormatOf(format);
    out.formatOfTake = format == 0;
    out.convention = m_convention;
    out.dither = m_dither;
    out.folder = m_outputDir;
    out.replace = m_replaceOutputs;
    out.keepBFormat = m_keepBFormat;
    out.align = m_align;
    for (int i = 0; i < OutputCount(); ++i)
        request.outputNames.push_back(m_files[kFirstOutput + i].GetName().empty() ? wxString()
                                                                                  : GetFullPath(kFirstOutput + i));

    vq::BFormatSettings& b = request.bformat;
    b.gainDb = m_bformatGain;
    b.autorange = m_bformatAutorange;
    b.highpassHz = m_highpassHz;
    b.yaw = m_yaw;
    b.pitch = m_pitch;
    b.roll = m_roll;

    vq::DecodeSettings& d = request.decode;
    d.mode = &mode;
    d.decoders = m_decoders;
    d.gainDb = m_surroundGain;
    d.autorange = m_surroundAutorange;
    d.openingAngle = m_openingAngle;
    d.lowFreqsInLfe = m_lowFreqsInLfe;
    d.pairPattern = m_pairPattern;
    d.pairAngle = m_pairAngle;
    d.pairAim = m_pairAim;
    d.hrtfFile = m_hrtfFile;

    request.movie = m_movieSettings;

    request.run.filtersDir = GetFiltersDir();
    request.run.blockFrames = BlockFrames();
    request.run.threads = m_threads;
    request.run.fftWisdomFile = m_fftWisdomFile;
    request.map.keep = m_keepDirectionMap;
    return request;
}

bool VQParams::Convert()
{
    m_result = vq::RunConversion(Request(), vq::RunViews{m_progressView, m_statusBar});
    m_status = m_result.status;
    m_failure = m_result.failure;
    m_sampleRate = m_result.sampleRate;
    // "The take's format" becomes the format it was, for the names and the next run.
    if (m_result.takeFormat != 0) {
        if (m_bformatFormat == 0)
            m_bformatFormat = m_result.takeFormat;
        if (m_surroundFormat == 0)
            m_surroundFormat = m_bformatFormat;
    }
    if (m_result.sampleRate > 0 && !m_result.filterMatrix.empty())
        SelectFilterMatrix(m_result.sampleRate);
    m_clippedBFormat = Decodes() ? 0 : m_result.clippedSamples;
    m_clippedSurround = Decodes() ? m_result.clippedSamples : 0;
    return !m_result.Failed();
}

wxString VQParams::UserFftWisdomFile()
{
    return vq::UserFftWisdomFile();
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
    // No take, no outputs; an unknown layout names none either.
    if (m_files[kFluFrdInput].GetFullName().empty() || m_fileLayout < 0 || m_fileLayout > 2)
        return;
    const vq::OutputLayout& files = OutputFiles();
    const vq::Container& container = OutputContainer();
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
    return Mode().layout(FileCount(), m_convention);
}

int VQParams::FileCount() const
{
    const vq::DecodeMode& mode = Mode();
    const int count = vq::FileCountOfLayout(mode, m_fileLayout);
    return count > 0 ? count : mode.fileCounts.back();
}

const vq::Container& VQParams::OutputContainer() const
{
    const vq::Container* movie = m_movie.empty() ? nullptr : vq::ContainerNamed(m_movie);
    if (movie && movie->movie && !Decodes() && m_convention == vq::BFormatConvention::AmbiX)
        return *movie;
    // A decode's format of 0 is the B-format's.
    return vq::ContainerOf(Decodes() && m_surroundFormat != 0 ? m_surroundFormat : m_bformatFormat,
                           m_ambFile && !Decodes());
}

wxString VQParams::OutputTitle(int i) const
{
    const vq::OutputLayout& files = OutputFiles();
    return i >= 0 && i < static_cast<int>(files.size()) ? wxString::FromUTF8(files[i].title.c_str()) : wxString();
}

std::int64_t VQParams::BlockFrames() const
{
    return vq::BlockFramesOfBuffer(m_ioBufferLength);
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

bool VQParams::Decodes() const
{
    return Mode().Decodes();
}

int VQParams::ConvolverOutputCount() const
{
    return Decodes() ? 1 : FileCount();
}

int VQParams::DecoderOutputCount() const
{
    return Decodes() ? FileCount() : 0;
}

int VQParams::OutputCount() const
{
    return Decodes() ? DecoderOutputCount() : ConvolverOutputCount();
}
