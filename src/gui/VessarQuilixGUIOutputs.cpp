// VessarQuilixGUI, the outputs: the output box (how many files, their format, convention
// and dither, the output folder and the six rows of names) and which process controls
// apply in the mode.
// Names follow the take, the mode and the format, but a name the user typed or picked
// stays until the take changes (only its extension follows the format, and a name without
// a folder goes to the output folder).
#include "VessarQuilixGUI.h"

#include "DecodeModes.h"
#include "TakeKinds.h"

#include "InputFileInfo.h"
#include "LayoutHelpers.h"
#include "OutputFormats.h"

#include "VQParams.h"

#include <cmath>

#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/spinctrl.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <string>

namespace {

template <typename T>
int IndexOf(const std::vector<T>& items, const T& item)
{
    const auto found = std::find(items.begin(), items.end(), item);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

const vq::Container& Wav()
{
    return *vq::ContainerNamed("wav");
}

}  // namespace

void VessarQuilixGUI::FillOutputChoices()
{
    const bool surround = m_params->Decodes();

    m_layoutItems = vqgui::OfferedFileLayouts(m_params->Mode(), m_params->m_convention);
    if (IndexOf(m_layoutItems, m_params->m_fileLayout) < 0)
        m_params->m_fileLayout = m_layoutItems.back();
    wxArrayString items;
    for (int layout : m_layoutItems)
        items.Add(vqgui::FileLayoutLabel(m_params->Mode(), layout));
    m_filesChoice->Set(items);
    m_filesChoice->SetSelection(IndexOf(m_layoutItems, m_params->m_fileLayout));

    const vq::Container& container = vqgui::OutputContainer(*m_params);
    m_containerItems = vqgui::OfferedContainers(surround);
    items.clear();
    for (const vq::Container* c : m_containerItems)
        items.Add(c->description);
    m_containerChoice->Set(items);
    m_containerChoice->SetSelection(IndexOf(m_containerItems, &container));

    // The take's own precision first, then the explicit ones.
    m_sampleItems = vqgui::OfferedSampleFormats(container);
    items.clear();
    SoundFileHeader take;
    items.Add(ReadSoundFileHeader(m_params->GetFullPath(VQParams::kFluFrdInput), &take)
                  ? "as the take (" + vqgui::SampleFormatLabel(vq::SampleFormatKeeping(take.format, container)) + ")"
                  : wxString("as the take"));
    for (vq::SampleFormat sample : m_sampleItems)
        items.Add(vqgui::SampleFormatLabel(sample));
    m_sampleChoice->Set(items);
    m_sampleChoice->SetSelection(m_choices.sampleOfTake ? 0
                                                        : 1 + IndexOf(m_sampleItems, vqgui::OutputSampleFormat(*m_params)));

    items.clear();
    for (vq::BFormatConvention c : {vq::BFormatConvention::FuMa, vq::BFormatConvention::AmbiX})
        items.Add(vqgui::ConventionLabel(c));
    m_conventionChoice->Set(items);
    m_conventionChoice->SetSelection(m_params->m_convention == vq::BFormatConvention::AmbiX ? 1 : 0);

    items.clear();
    for (int corner : vqgui::HighpassCorners())
        items.Add(vqgui::HighpassLabel(corner));
    m_highpassChoice->Set(items);
    m_highpassChoice->SetSelection(
        IndexOf(vqgui::HighpassCorners(), vqgui::NearestHighpassCorner(m_params->m_highpassHz)));

    m_filesChoice->SetToolTip("How many files the result is written to");
    m_containerChoice->SetToolTip(wxString("The kind of file written: ") + container.description +
                                  (surround ? "" : "; FuMa B-format AMB is B-format with the Ambisonic header"));
    m_sampleChoice->SetToolTip(
        "As the take: the precision of the take's file (16-bit, 24-bit or float). Integer samples "
        "are clipped at full scale; 32-bit float never clips; FLAC holds no float");
    m_ditherCheck->SetToolTip("Add triangular (TPDF) dither before rounding to 16 or 24 bits");
    m_conventionChoice->SetToolTip(
        "FuMa: W, X, Y, Z with W at -3 dB. AmbiX: W, Y, Z, X (ACN order, SN3D), in one file or four. "
        "B-Format mode only: 5.1 decodes whichever it is");
    m_folderButton->SetToolTip("Choose the output folder");
    m_keepBFormatCheck->SetToolTip(
        "A decode also writes the B-format it decoded, as the B-format mode names it (the take's "
        "name and _WXYZ.wav, float WAV) in the output folder");
    UpdateModeControls();
    UpdateSliderTips();
}

void VessarQuilixGUI::UpdateModeControls()
{
    // A control is enabled exactly when it acts on what the conversion writes. The
    // high-pass filters the B-format in every mode (the decodes read it); the B-format
    // gain and Autorange act on the B-format files only, the convention too.
    const vq::DecodeMode& mode = m_params->Mode();
    const bool decodes = mode.Decodes();
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_bfGainLabel, m_bfGainSlider, m_bfAutorangeCheck,
                                                        m_conventionLabel, m_conventionChoice})
        w->Enable(!decodes);
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_surroundBox, m_surGainLabel, m_surGainSlider,
                                                        m_surAutorangeCheck, m_keepBFormatCheck})
        w->Enable(decodes);
    // The decode box is the chosen decode's: its title and the controls it takes.
    const vq::DecodeMode& offering = vqgui::DecodeBoxMode(mode);
    m_surroundBox->SetLabel(offering.panelTitle);
    const bool surround = offering.panel == vq::ModePanel::Surround;
    const bool stereo = offering.panel == vq::ModePanel::StereoPair;
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_angleLabel, m_angleSlider, m_lfeCheck}) {
        w->Show(surround);
        w->Enable(surround && decodes);
    }
    // The decoders the mode offers (those of the box's mode, greyed, in B-format mode).
    FillDecoderChoice(offering);
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_decoderLabel, m_decoderChoice}) {
        w->Show(!offering.decoders.empty());
        w->Enable(decodes);
    }
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_patternLabel, m_patternChoice, m_pairAngleLabel,
                                                        m_pairAngleSpin, m_aimLabel, m_aimSpin})
        w->Show(stereo);
    m_hrtfButton->Show(offering.panel == vq::ModePanel::Headphones);
    m_hrtfButton->SetLabel(m_params->m_hrtfFile.empty()
                               ? wxString("Head: the built-in spherical head...")
                               : "Head: " + wxFileName(m_params->m_hrtfFile).GetFullName() + "...");
    m_hrtfButton->SetToolTip(
        "The head-related responses of headphone decoding: a SOFA file of measured ones, set "
        "in File > Preferences, or the built-in head");
    m_ditherCheck->Enable(vqgui::OutputSampleFormat(*m_params) != vq::SampleFormat::Float);
    // The boxes have the room of the largest mode's (ReserveRoomForEveryMode): the window
    // keeps its size.
    m_processPanel->Layout();
    m_optionsPanel->Layout();
}

void VessarQuilixGUI::ReserveRoomForEveryMode()
{
    const int chosen = m_params->m_outputMode;
    m_processPanel->SetMinSize(wxDefaultSize);
    wxSize room;
    for (std::size_t mode = 0; mode < vq::DecodeModes().size(); ++mode) {
        m_params->m_outputMode = static_cast<int>(mode);
        UpdateModeControls();
        room.IncTo(m_processPanel->GetSizer()->CalcMin());
    }
    m_params->m_outputMode = chosen;
    UpdateModeControls();
    m_processPanel->SetMinSize(room);
}

void VessarQuilixGUI::FillDecoderChoice(const vq::DecodeMode& mode)
{
    m_decoderChoice->Clear();
    const auto chosen = m_params->m_decoders.find(mode.name);
    int selection = 0;
    for (const vq::DecoderChoice& decoder : mode.decoders) {
        if (chosen != m_params->m_decoders.end() && chosen->second == decoder.name)
            selection = static_cast<int>(m_decoderChoice->GetCount());
        m_decoderChoice->Append(decoder.label);
    }
    if (!mode.decoders.empty())
        m_decoderChoice->SetSelection(selection);
}

void VessarQuilixGUI::FillDecodeControls()
{
    m_patternChoice->Clear();
    int chosen = 0;
    const std::vector<vqgui::MicPatternItem>& patterns = vqgui::MicPatterns();
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        m_patternChoice->Append(patterns[i].label);
        if (std::fabs(patterns[i].omniShare - m_params->m_pairPattern) < 1e-9)
            chosen = static_cast<int>(i);
    }
    m_patternChoice->SetSelection(chosen);
    m_pairAngleSpin->SetValue(static_cast<int>(m_params->m_pairAngle));
    m_aimSpin->SetValue(static_cast<int>(m_params->m_pairAim));
    // ChangeValue: filling the fields from the record is no edit of the user's.
    const double angles[3] = {m_params->m_yaw, m_params->m_pitch, m_params->m_roll};
    for (int i = 0; i < 3; ++i)
        m_rotateFields[i]->ChangeValue(wxString::FromCDouble(angles[i]));
}

void VessarQuilixGUI::UpdateSliderTips()
{
    // The sliders go from -15 to +15 dB, the command line's gains further.
    const wxString range = "\nThe window's range is -15 to +15 dB; vessarquilix-convert takes -60 to +60 dB";
    m_bfGainSlider->SetToolTip(wxString::Format("B-format gain: %d dB", m_bfGainSlider->GetValue()) + range +
                               " (--gain)");
    m_surGainSlider->SetToolTip(wxString::Format("5.1 gain: %d dB", m_surGainSlider->GetValue()) + range +
                                " (--surround-gain)");
    m_angleSlider->SetToolTip(wxString::Format("Opening angle between L and R: %d degrees", m_angleSlider->GetValue()));
}

void VessarQuilixGUI::Note(const wxString& text)
{
    m_statusBar->SetStatusText(text, kStateField);
}

void VessarQuilixGUI::ApplyOutputFormat(const vq::Container& chosen, vq::SampleFormat sample)
{
    const vq::Container* container = &chosen;
    // WAV chosen in 5.1 mode keeps the .amb of B-Format mode: the two are one WAV there.
    if (m_params->m_outputMode && container == &Wav() && m_params->m_ambFile)
        container = vq::ContainerNamed("amb");
    if (sample == vq::SampleFormat::Float && !container->holdsFloat) {
        sample = vq::SampleFormat::Pcm24;
        Note(wxString(container->description) + " holds no float samples: 24-bit is written.");
    }
    if (container->ambisonic && m_params->m_convention != vq::BFormatConvention::FuMa) {
        m_params->m_convention = vq::BFormatConvention::FuMa;
        Note("The .amb file holds FuMa B-format only: the convention is FuMa.");
    }
    vqgui::SetOutputFormat(*m_params, *container, sample);
    FillOutputChoices();
    RederiveOutputNames();
    RememberSettings();
}

void VessarQuilixGUI::ApplySaveFileType(int index)
{
    const std::vector<vqgui::SaveFileType> types = vqgui::SaveFileTypes(m_params->m_outputMode != 0);
    if (index < 0 || index >= static_cast<int>(types.size()))
        return;
    m_choices.sampleOfTake = false;
    ApplyOutputFormat(*types[index].container, types[index].sample);
}

vq::SampleFormat VessarQuilixGUI::SampleFormatOfTake(const vq::Container& container) const
{
    SoundFileHeader take;
    if (!ReadSoundFileHeader(m_params->GetFullPath(VQParams::kFluFrdInput), &take))
        return vq::SampleFormat::Pcm16;
    return vq::SampleFormatKeeping(take.format, container);
}

void VessarQuilixGUI::FollowTheTakesSampleFormat()
{
    if (!m_choices.sampleOfTake)
        return;
    const vq::Container& container = vqgui::OutputContainer(*m_params);
    vqgui::SetOutputFormat(*m_params, container, SampleFormatOfTake(container));
    FillOutputChoices();
}

void VessarQuilixGUI::OnContainerChoice(wxCommandEvent& event)
{
    const int item = event.GetSelection();
    if (item < 0 || item >= static_cast<int>(m_containerItems.size()))
        return;
    const vq::Container& container = *m_containerItems[item];
    ApplyOutputFormat(container, m_choices.sampleOfTake ? SampleFormatOfTake(container)
                                                        : vqgui::OutputSampleFormat(*m_params));
}

void VessarQuilixGUI::OnSampleFormatChoice(wxCommandEvent& event)
{
    // Item 0 is the take's own precision.
    const int item = event.GetSelection();
    if (item < 0 || item > static_cast<int>(m_sampleItems.size()))
        return;
    const vq::Container& container = vqgui::OutputContainer(*m_params);
    m_choices.sampleOfTake = item == 0;
    ApplyOutputFormat(container, item == 0 ? SampleFormatOfTake(container) : m_sampleItems[item - 1]);
}

void VessarQuilixGUI::OnDither(wxCommandEvent&)
{
    m_params->m_dither = m_ditherCheck->IsChecked();
    RememberSettings();
}

void VessarQuilixGUI::OnConventionChoice(wxCommandEvent& event)
{
    const vq::BFormatConvention convention =
        event.GetSelection() == 1 ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    if (convention == m_params->m_convention)
        return;
    m_params->m_convention = convention;
    if (convention == vq::BFormatConvention::AmbiX) {
        if (m_params->m_ambFile) {
            vqgui::SetOutputFormat(*m_params, Wav(), vqgui::OutputSampleFormat(*m_params));
            Note("The .amb file holds FuMa B-format only: AmbiX is written as WAV.");
        }
        if (m_params->m_fileLayout == 1) {
            m_params->m_fileLayout = 2;
            Note("AmbiX has no stereo pairs: one four channels file is written.");
        }
    }
    FillOutputChoices();
    RederiveOutputNames();
    RememberSettings();
}

void VessarQuilixGUI::OnFilesChoice(wxCommandEvent& event)
{
    const int item = event.GetSelection();
    if (item < 0 || item >= static_cast<int>(m_layoutItems.size()) || m_layoutItems[item] == m_params->m_fileLayout)
        return;
    m_params->m_fileLayout = m_layoutItems[item];
    RederiveOutputNames();
    RememberSettings();
}

void VessarQuilixGUI::OnKeepBFormat(wxCommandEvent&)
{
    m_choices.keepBFormat = m_keepBFormatCheck->IsChecked();
    RememberSettings();
}

wxString VessarQuilixGUI::KeptBFormatPath() const
{
    // A B-format take is its own B-format: there is nothing else to keep.
    const vq::TakeKind* kind = vq::KindOfTake(m_params->Request());
    if (!m_choices.keepBFormat || !m_params->Decodes() || (kind && kind->bformat))
        return wxEmptyString;
    const vq::OutputLayout& bformat = vq::BFormatLayout(vq::BFormatConvention::FuMa, 1);
    wxFileName name(m_params->m_outputDir, m_params->TakeName() + wxString::FromUTF8(bformat.front().suffix.c_str()),
                    "wav");
    return name.GetFullPath();
}

// The output folder.

void VessarQuilixGUI::OnFolderText(wxCommandEvent&)
{
    SetOutputFolder(m_folderText->GetValue());
}

void VessarQuilixGUI::OnFolderButton(wxCommandEvent&)
{
    const wxString folder = AskForFolder("Choose the output folder", m_params->m_outputDir);
    if (folder.empty())
        return;
    ShowText(m_folderText, folder);
    SetOutputFolder(folder);
}

void VessarQuilixGUI::SetOutputFolder(const wxString& folder)
{
    // An emptied field gives the folder back to the take.
    m_choices.outputFolder = folder;
    m_params->m_outputDir = folder.empty() ? FolderOfTake() : folder;
    RederiveOutputNames();
    RememberSettings();
}

// The rows of names.

void VessarQuilixGUI::RederiveOutputNames()
{
    m_params->UpdateOutputNames();
    const int count = m_params->OutputCount();
    for (int i = 0; i < kOutputRows; ++i) {
        if (i >= count)
            m_userNamed[i] = false;
        else if (m_userNamed[i])
            m_params->SetOutputPath(i, CompletedOutputPath(m_userOutputs[i]));
    }
    RefreshOutputs();
}

void VessarQuilixGUI::RefreshOutputs()
{
    m_folderText->SetToolTip("Where the outputs named after the input go; empty: the input's folder\n" +
                             m_params->m_outputDir);
    const int count = m_params->OutputCount();
    for (int i = 0; i < kOutputRows; ++i) {
        const bool used = i < count;
        m_outLabels[i]->Enable(used);
        m_outTexts[i]->Enable(used);
        m_outButtons[i]->Enable(used);
        if (used) {
            ShowText(m_outTexts[i], OutputFieldText(i));
            m_outTexts[i]->SetToolTip("Channel" + m_params->OutputTitle(i) + ":\n" +
                                      m_params->GetFullPath(VQParams::kFirstOutput + i));
            m_outButtons[i]->SetToolTip("Choose the file and its format for channel" + m_params->OutputTitle(i));
        } else {
            ShowText(m_outTexts[i], wxEmptyString);
            m_outTexts[i]->SetToolTip("Not written with this number of files");
            m_outButtons[i]->SetToolTip("Not written with this number of files");
        }
    }
}

wxString VessarQuilixGUI::CompletedOutputPath(const wxString& typed) const
{
    wxFileName name(typed);
    if (name.GetName().empty())
        return typed;
    // The extension follows the format: added when missing, replaced when it names another.
    const vq::Container& container = vqgui::OutputContainer(*m_params);
    const vq::Container* named = vq::ContainerForExtension(std::string(name.GetExt().utf8_str()));
    if (name.GetExt().empty() || (named && named != &container))
        name.SetExt(container.extension);
    if (name.IsRelative() && !m_params->m_outputDir.empty())
        name.MakeAbsolute(m_params->m_outputDir);
    return name.GetFullPath();
}

wxString VessarQuilixGUI::OutputFieldText(int i) const
{
    // A file in the output folder shows by its name, the folder being shown above.
    const wxFileName& name = m_params->m_files[VQParams::kFirstOutput + i];
    if (name.GetName().empty())
        return wxEmptyString;
    const bool inFolder =
        name.GetPath(wxPATH_GET_VOLUME) == wxFileName::DirName(m_params->m_outputDir).GetPath(wxPATH_GET_VOLUME);
    return inFolder ? name.GetFullName() : name.GetFullPath();
}

void VessarQuilixGUI::OnOutputText(wxCommandEvent& event)
{
    const int i = OutputRowOf(event.GetEventObject());
    if (i < 0)
        return;
    m_userNamed[i] = true;
    m_userOutputs[i] = m_outTexts[i]->GetValue();
    m_params->SetOutputPath(i, CompletedOutputPath(m_userOutputs[i]));
    m_outTexts[i]->SetToolTip("Channel" + m_params->OutputTitle(i) + ":\n" +
                              m_params->GetFullPath(VQParams::kFirstOutput + i));
}

void VessarQuilixGUI::OnOutputButton(wxCommandEvent& event)
{
    const int i = OutputRowOf(event.GetEventObject());
    if (i < 0)
        return;
    const std::vector<vqgui::SaveFileType> types = vqgui::SaveFileTypes(m_params->m_outputMode != 0);
    const vq::Container& container = vqgui::OutputContainer(*m_params);
    const vq::SampleFormat sample = vqgui::OutputSampleFormat(*m_params);
    FileRequest request;
    request.title = "Select Output File for channel" + m_params->OutputTitle(i);
    const wxFileName current = m_params->m_files[VQParams::kFirstOutput + i];
    request.directory = current.GetPath(wxPATH_GET_VOLUME);
    if (request.directory.empty() || !wxDirExists(request.directory))
        request.directory = m_choices.output.empty() ? wxGetCwd() : m_choices.output;
    request.name = current.GetFullName();
    request.wildcard = vqgui::SaveWildcard(types);
    for (std::size_t t = 0; t < types.size(); ++t)
        if (types[t].container == &container && types[t].sample == sample)
            request.fileType = static_cast<int>(t);
    request.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
    const FileChoice choice = AskForFile(request);
    // A cancelled dialog changes nothing: no format, no name.
    if (!choice.chosen || choice.path.empty())
        return;
    ApplySaveFileType(choice.fileType);
    m_userNamed[i] = true;
    m_userOutputs[i] = choice.path;
    const wxString path = CompletedOutputPath(choice.path);
    m_params->SetOutputPath(i, path);
    // The save dialog asked about replacing exactly the file chosen.
    if (path == choice.path && wxFileExists(path))
        m_confirmedReplace.insert(path);
    m_choices.output = wxFileName(choice.path).GetPath(wxPATH_GET_VOLUME);
    RefreshOutputs();
    RememberSettings();
}
