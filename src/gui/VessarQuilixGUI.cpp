// The main window's logic: start-up, the input take, the process controls, the menus and
// the conversion. The output box is in OutputBox.cpp, Help and About in HelpCommands.cpp.
#include "VessarQuilixGUI.h"

#include "InputFileInfo.h"
#include "LayoutHelpers.h"
#include "TakeCheck.h"
#include "TakeFiles.h"
#include "ActiveProcessing.h"
#include "ConversionReport.h"
#include "DefaultOutputFolder.h"
#include "DirectionsDialog.h"
#include "OutputFormats.h"
#include "VessarFileDropTarget.h"
#include "VessarProgressDialog.h"
#include "VessarQuilixIcons.h"
#include "VessarQuilixPrefsDlg.h"
#include "VessarStatusBarView.h"

#include "DecodeModes.h"
#include "ProgramData.h"
#include "TakeKinds.h"
#include "VQParams.h"

#include <wx/anybutton.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/utils.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <cmath>

const char* const VessarQuilixGUI::kRearNotNeeded = "not needed: the FLU + FRD file holds all four capsules";

namespace {

// The demo take, offered on a first start: in the staged tree's demo/ folder, or installed
// with the program.
const char* const kDemoFront = "demoF.wav";
const char* const kDemoRear = "demoR.wav";

// What the status bar and the empty first field say while there is no take.
const char* const kNameATake = "Open a take: File > Open, the \"...\" button, or drop its files on the window";

// Halves away from zero: -2.5 shows as -3, 2.5 as 3.
int RoundToSlider(double value)
{
    return static_cast<int>(value >= 0 ? std::floor(value + 0.5) : std::ceil(value - 0.5));
}

wxString FolderOf(const wxString& path)
{
    return wxFileName(path).GetPath(wxPATH_GET_VOLUME);
}

}  // namespace

VessarQuilixGUI::VessarQuilixGUI() : VessarQuilixFrame("VessarQuilix", wxDefaultPosition, wxDefaultSize)
{
    m_params = new VQParams(&m_config);
    m_statusView = std::make_unique<VessarStatusBarView>(m_statusBar);
    m_progress = std::make_unique<VessarProgressDialog>(this);
    m_params->m_statusBar = m_statusView.get();
    m_params->m_progressView = m_progress.get();
    m_params->m_fftWisdomFile = VQParams::UserFftWisdomFile();
    LoadWindowSettings(m_config, *m_params, m_choices);
    SetIcons(VessarQuilixIconBundle());

    m_fluFrdText->SetDropTarget(new VessarFileDropTarget(this, 0));
    m_bldBruText->SetDropTarget(new VessarFileDropTarget(this, 1));
    m_mainPanel->SetDropTarget(new VessarFileDropTarget(this, -1));
    m_modeChoice->SetToolTip(
        "B-Format writes W, X, Y, Z; the other modes decode them: 5.1 loudspeakers, a stereo "
        "pair, UHJ stereo or headphones (binaural)");
    m_rotateFields[0]->SetToolTip("Turn the sound field, -180 to 180 degrees: positive yaw turns the front to the left");
    m_rotateFields[1]->SetToolTip("Pitch, -180 to 180 degrees: positive pitch turns the front up");
    m_rotateFields[2]->SetToolTip("Roll, -180 to 180 degrees: positive roll turns the left side up");
    m_decoderChoice->SetToolTip(
        "5.1: virtual microphones (the classic decode), a decode for the ITU layout that keeps "
        "sources where they are and their loudness even around the listener, or a parametric "
        "decode. Headphones: linear or parametric. A parametric decode finds where the sound of "
        "each band comes from and how diffuse it is, and renders it from there");
    m_patternChoice->SetToolTip("The pattern of the two coincident microphones (figure-of-eight: the Blumlein pair)");
    m_pairAngleSpin->SetToolTip("Spread: degrees between the two microphones (vessarquilix-convert --spread)");
    m_aimSpin->SetToolTip(
        "Azimuth: direction of the pair's axis, degrees, positive to the left (vessarquilix-convert --azimuth)");
    m_fluFrdButton->SetToolTip("Choose the file of the front capsules FLU and FRD, or one 4-channel take");
    m_bldBruButton->SetToolTip("Choose the file of the rear capsules BLD and BRU");
    m_inputFormatChoice->SetToolTip(
        "How a 4-channel take is read: as its header says (B-format when it carries the Ambisonic "
        "B-format mark, as .amb files do, else the four capsules), as the capsules FLU, FRD, BLD, "
        "BRU, or as B-format W, X, Y, Z in FuMa or AmbiX order, which skips the filters "
        "(vessarquilix-convert --input-format)");
    m_bfAutorangeCheck->SetToolTip(
        "Scale the B-format so that its peak is -6 dBFS and its mean zero (the gain then does not matter)");
    m_highpassChoice->SetToolTip("High-pass against wind and handling rumble (fourth order), in either mode");
    m_surAutorangeCheck->SetToolTip("Scale the six channels together so that their peak is -6 dBFS");
    m_lfeCheck->SetToolTip("Fill LFE with W low-passed at 120 Hz; unticked, LFE is silent");
    m_fluFrdText->SetHint(kNameATake);
    m_directionsButton->SetToolTip("Show where the sound of the take just converted comes from "
                                   "(vessarquilix-convert --map)");
    m_params->m_keepDirectionMap = true;
    m_keepSyncCheck->SetToolTip(
        "Keep the outputs in sync with the take: output frame n is input frame n. The filters' delay "
        "(stored in the filter matrix, or estimated from it) is taken off the start and every output is "
        "as long as the take (vessarquilix-convert --align)");
    m_joinCheck->SetToolTip("The files opened are the parts of one recording that the recorder split: ticked, "
                            "they are converted as one take (vessarquilix-convert --join)");
    m_polyText->SetToolTip(
        "This file holds more than the four capsules (a recorder's poly file): the four channels, counted "
        "from 1, that hold FLU, FRD, BLD, BRU, for example 3,4,5,6 (vessarquilix-convert --channels)");

    ShowSettings();
    m_statusBar->SetStatusText("Ready.", kStateField);
    // The take of a first start; later the window starts without one.
    if (m_choices.input.empty())
        OfferFirstTake();
    else
        SetTake(wxEmptyString, false);
    ReserveRoomForEveryMode();
    FitToContents();  // now that the choices hold their items
    m_fluFrdText->SetFocus();
}

VessarQuilixGUI::~VessarQuilixGUI()
{
    delete m_params;  // saves the record's settings while the store still exists
}

void VessarQuilixGUI::ShowSettings()
{
    m_modeChoice->SetSelection(m_params->m_outputMode);
    m_inputFormatChoice->SetSelection(vq::InputFormatIndex(m_params->m_inputFormat));
    m_keepSyncCheck->SetValue(m_params->m_align);
    FillDecodeControls();
    m_bfGainSlider->SetValue(RoundToSlider(m_params->m_bformatGain));
    m_bfAutorangeCheck->SetValue(m_params->m_bformatAutorange);
    m_surGainSlider->SetValue(RoundToSlider(m_params->m_surroundGain));
    m_angleSlider->SetValue(m_params->m_openingAngle);
    m_surAutorangeCheck->SetValue(m_params->m_surroundAutorange);
    m_lfeCheck->SetValue(m_params->m_lowFreqsInLfe);
    m_ditherCheck->SetValue(m_params->m_dither);
    m_keepBFormatCheck->SetValue(m_choices.keepBFormat);
    ShowText(m_folderText, m_choices.outputFolder);
    FillOutputChoices();
    ShowActiveProcessing();
}

void VessarQuilixGUI::ShowActiveProcessing()
{
    const wxString line = vqgui::ActiveProcessing(*m_params);
    m_processingLine->SetLabel(line);
    m_processingLine->SetToolTip(line.empty() ? wxString() : "What changes the sound beyond the defaults:\n" + line);
}

void VessarQuilixGUI::RememberSettings()
{
    SaveWindowSettings(m_config, *m_params, m_choices);
    ShowActiveProcessing();
}

// The input take.

void VessarQuilixGUI::OfferFirstTake()
{
    const wxFileName front(vq::ProgramDataFolder("demo"), kDemoFront);
    const wxFileName rear(vq::ProgramDataFolder("demo"), kDemoRear);
    const bool demo = front.FileExists() && rear.FileExists();
    if (demo)
        m_params->SetFileName(VQParams::kBldBruInput, rear.GetFullPath());
    SetTake(demo ? front.GetFullPath() : wxString(), false);
}

bool VessarQuilixGUI::HasTake() const
{
    return !m_params->GetFullPath(VQParams::kFluFrdInput).empty();
}

void VessarQuilixGUI::SetTake(const wxString& front, bool pairRear, bool typed)
{
    // A new take's outputs go to its own folder, but for a folder chosen while there was
    // no take.
    if (HasTake())
        m_choices.outputFolder.clear();
    // Another take has no parts until the files opened say so.
    m_parts.clear();
    m_params->m_joinedParts.clear();
    m_params->SetFileName(VQParams::kFluFrdInput, front);
    const wxString rear = pairRear ? vq::RearFileName(front) : wxString();
    if (!rear.empty() || front.empty())
        m_params->SetFileName(VQParams::kBldBruInput, rear);
    TakeChanged(typed);
}

void VessarQuilixGUI::TakeChanged(bool typed)
{
    m_confirmedReplace.clear();
    for (int i = 0; i < kOutputRows; ++i)
        m_userNamed[i] = false;
    const vqgui::OutputFolder folder = vqgui::DefaultOutputFolder(m_params->GetFullPath(VQParams::kFluFrdInput));
    m_params->m_outputDir = m_choices.outputFolder.empty() ? folder.folder : m_choices.outputFolder;
    ShowText(m_folderText, m_params->m_outputDir);
    ShowTakeNote(folder);
    ShowInputFields(!typed);
    ShowInputInfo();
    ShowParts();
    FollowTheTakesSampleFormat();
    RederiveOutputNames();
    // Convert waits for a take.
    m_convertButton->Enable(HasTake());
    m_convertButton->SetToolTip(HasTake() ? "Convert the input take into the output files (Enter, Alt+C)"
                                          : "Name a take first: File > Open, the \"...\" button, or drop its files");
}

void VessarQuilixGUI::ShowTakeNote(const vqgui::OutputFolder& folder)
{
    // Told until the take changes: how to name one, or where the outputs go when they
    // cannot go beside the take.
    wxString note;
    if (!HasTake())
        note = kNameATake;
    else if (m_choices.outputFolder.empty() && folder.standsIn)
        note = "The outputs go to " + folder.folder + ": the take's folder cannot be written to";
    if (!note.empty())
        Note(note);
    else if (!m_takeNote.empty() && m_statusBar->GetStatusText(kStateField) == m_takeNote)
        Note("Ready.");
    m_takeNote = note;
}

void VessarQuilixGUI::ShowInputFields(bool showFront)
{
    const wxString front = m_params->GetFullPath(VQParams::kFluFrdInput);
    if (showFront)
        ShowText(m_fluFrdText, front);
    m_fluFrdText->SetToolTip(
        "The front capsules FLU and FRD as a stereo file, or the whole take as one 4-channel "
        "file:\n" +
        front);
    const vq::FirstFileHeader header = vq::ReadFirstFileHeader(front);
    ShowCapsuleChannels(header);
    // A B-format take has no filters whose delay sync would take off.
    const vq::TakeKind* kind = vq::KindOfTake(header, m_params->m_inputFormat, front);
    m_keepSyncCheck->Enable(!kind || !kind->bformat);
    // A whole take in one file needs no rear file.
    const bool whole = m_params->FirstInputIsWholeTake();
    const wxString rear = m_params->GetFullPath(VQParams::kBldBruInput);
    ShowText(m_bldBruText, whole ? wxString(kRearNotNeeded) : rear);
    m_bldBruText->SetToolTip(whole ? wxString(kRearNotNeeded)
                                   : "The rear capsules BLD and BRU as a stereo file:\n" + rear);
    for (wxWindow* w : {static_cast<wxWindow*>(m_bldBruLabel), static_cast<wxWindow*>(m_bldBruText),
                        static_cast<wxWindow*>(m_bldBruButton)})
        w->Enable(!whole);
}

void VessarQuilixGUI::ShowCapsuleChannels(const vq::FirstFileHeader& header)
{
    const bool poly = header.readable && header.channels > 4;
    std::vector<int> channels;
    if (poly) {
        const int c = header.channels;
        m_polyText->SetHint(wxString::Format("%d,%d,%d,%d", c - 3, c - 2, c - 1, c));
        vqgui::ReadCapsuleChannels(m_polyText->GetValue(), c, &channels);
    }
    m_params->m_channels = channels;
    if (m_polyText->IsShown() != poly) {
        m_polyLabel->Show(poly);
        m_polyText->Show(poly);
        RefitHeight();
    }
}

void VessarQuilixGUI::ShowParts()
{
    const bool parts = !m_parts.empty();
    if (parts) {
        const wxString first = wxFileName(m_params->GetFullPath(VQParams::kFluFrdInput)).GetFullName();
        wxString list = first;
        for (const wxString& part : m_parts)
            list += ", " + wxFileName(part).GetFullName();
        const std::size_t count = m_parts.size() + 1;
        const bool joined = !m_params->m_joinedParts.empty();
        m_joinCheck->SetLabel(
            wxString::Format("&Join the %zu parts: %s to %s", count, first, wxFileName(m_parts.back()).GetFullName()));
        m_joinCheck->SetToolTip("These files are the parts of one recording that the recorder split. Ticked, they "
                                "are converted as one take, in this order, the filters running on across the joins "
                                "(vessarquilix-convert --join):\n" +
                                list + "\nUnticked, only " + first + " is converted.");
        m_joinCheck->SetValue(joined);
        m_statusBar->SetStatusText(joined ? wxString::Format("Joined %zu parts: ", count) + list
                                          : "Parts not joined: only " + first + " is converted",
                                   kStateField);
    }
    if (parts || m_joinCheck->IsShown()) {
        m_joinCheck->Show(parts);
        RefitHeight();
    }
}

void VessarQuilixGUI::ShowInputInfo()
{
    // The rate of the first input and the length of the filters a run would use at it.
    SoundFileHeader header;
    wxString rate, taps;
    if (ReadSoundFileHeader(m_params->GetFullPath(VQParams::kFluFrdInput), &header)) {
        rate = wxString::Format("%d Hz", header.sampleRate);
        if (const int length = FilterMatrixTaps(m_params->GetFiltersDir(), header.sampleRate))
            taps = wxString::Format("%d smpls", length);
    }
    m_statusBar->SetStatusText(rate, kRateField);
    m_statusBar->SetStatusText(taps, kFilterField);

    const wxString problems = vqgui::TakeProblems(*m_params);
    m_inputNote->SetLabel(problems);
    m_inputNote->SetToolTip(problems);
    if (m_inputNote->IsShown() != !problems.empty()) {
        m_inputNote->Show(!problems.empty());
        RefitHeight();
    }
    // The error of a last run is past once the take is good.
    if (problems.empty() && !rate.empty() && m_statusBar->GetStatusText(kStateField) == "Error.")
        m_statusBar->SetStatusText("Ready.", kStateField);
}

void VessarQuilixGUI::RememberInputFolder(const wxString& path)
{
    m_choices.input = FolderOf(path);
    RememberSettings();
}

wxString VessarQuilixGUI::AskForInput(const wxString& title)
{
    const wxArrayString paths = AskForInputs(title, wxFD_OPEN);
    return paths.empty() ? wxString() : paths[0];
}

wxArrayString VessarQuilixGUI::AskForInputs(const wxString& title, long style)
{
    FileRequest request;
    request.title = title;
    // The dialog starts where the take shown is (the demo's, say); without one, where the
    // last dialog ended.
    const wxString takeFolder =
        HasTake() ? FolderOf(wxFileName(m_params->GetFullPath(VQParams::kFluFrdInput)).GetAbsolutePath()) : wxString();
    if (!takeFolder.empty() && wxDirExists(takeFolder))
        request.directory = takeFolder;
    else
        request.directory = m_choices.input.empty() ? wxGetCwd() : m_choices.input;
    request.wildcard = vqgui::OpenWildcard();
    request.style = style;
    const FileChoice choice = AskForFile(request);
    // A cancelled dialog changes nothing, not even where the next one starts.
    if (!choice.chosen || choice.path.empty())
        return wxArrayString();
    RememberInputFolder(choice.path);
    if (!choice.paths.empty())
        return choice.paths;
    wxArrayString paths;
    paths.Add(choice.path);
    return paths;
}

void VessarQuilixGUI::OnFluFrdText(wxCommandEvent&)
{
    // A front file typed in brings its rear file, as picking or dropping it does.
    SetTake(m_fluFrdText->GetValue(), true, true);
}

void VessarQuilixGUI::OnFluFrdButton(wxCommandEvent&)
{
    const wxString path = AskForInput("Open File for channels FLU-FRD");
    if (!path.empty())
        SetTake(path, true);
}

void VessarQuilixGUI::OnInputFormatChoice(wxCommandEvent& event)
{
    const std::vector<vq::InputFormatChoice>& formats = vq::InputFormatChoices();
    const int index = event.GetSelection();
    if (index < 0 || index >= static_cast<int>(formats.size()))
        return;
    m_params->m_inputFormat = formats[static_cast<std::size_t>(index)].format;
    RememberSettings();
    // Capsules or B-format: the rear field, the checks and the output names follow.
    TakeChanged(false);
}

void VessarQuilixGUI::OnBldBruText(wxCommandEvent&)
{
    m_params->SetFileName(VQParams::kBldBruInput, m_bldBruText->GetValue());
    m_bldBruText->SetToolTip("The rear capsules BLD and BRU as a stereo file:\n" + m_bldBruText->GetValue());
    ShowInputInfo();
}

void VessarQuilixGUI::OnKeepSync(wxCommandEvent&)
{
    m_params->m_align = m_keepSyncCheck->IsChecked();
    RememberSettings();
}

void VessarQuilixGUI::OnPolyText(wxCommandEvent&)
{
    ShowCapsuleChannels(vq::ReadFirstFileHeader(m_params->GetFullPath(VQParams::kFluFrdInput)));
    ShowInputInfo();
}

void VessarQuilixGUI::OnJoinParts(wxCommandEvent&)
{
    m_params->m_joinedParts = m_joinCheck->IsChecked() ? m_parts : std::vector<wxString>();
    ShowParts();
}

void VessarQuilixGUI::OnBldBruButton(wxCommandEvent&)
{
    const wxString path = AskForInput("Open File for channels BLD-BRU");
    if (path.empty())
        return;
    m_params->SetFileName(VQParams::kBldBruInput, path);
    ShowInputFields();
    ShowInputInfo();
}

bool VessarQuilixGUI::OpenTakeFiles(const wxArrayString& paths)
{
    if (m_converting)
        return false;
    const vqgui::TakeFiles take = vqgui::TakeOfFiles(paths);
    if (take.front.empty()) {
        ShowMessage("VessarQuilix", take.problem, wxOK | wxICON_INFORMATION);
        return false;
    }
    if (!take.rear.empty())
        m_params->SetFileName(VQParams::kBldBruInput, take.rear);
    SetTake(take.front, take.rear.empty());
    // The parts of a split recording are joined, which the join box undoes.
    m_parts = take.laterParts;
    m_params->m_joinedParts = m_parts;
    ShowParts();
    RememberInputFolder(take.front);
    return true;
}

void VessarQuilixGUI::OnOpen(wxCommandEvent&)
{
    // Several files picked together are a take as files dropped together are.
    const wxArrayString paths = AskForInputs("Open a Take", wxFD_OPEN | wxFD_MULTIPLE);
    if (paths.size() == 1)
        SetTake(paths[0], true);
    else if (!paths.empty())
        OpenTakeFiles(paths);
}

bool VessarQuilixGUI::DropInputFile(int index, const wxString& path)
{
    if (m_converting)
        return false;
    if (index == 0) {
        SetTake(path, true);
    } else {
        m_params->SetFileName(VQParams::kBldBruInput, path);
        ShowInputFields();
        ShowInputInfo();
    }
    RememberInputFolder(path);
    return true;
}

// The process controls.

void VessarQuilixGUI::OnModeChoice(wxCommandEvent& event)
{
    const int mode = event.GetSelection();
    if (mode == m_params->m_outputMode)
        return;
    m_params->m_outputMode = mode;
    FillOutputChoices();
    RederiveOutputNames();
    RememberSettings();
}

void VessarQuilixGUI::OnBFormatGainSlider(wxCommandEvent&)
{
    m_params->m_bformatGain = m_bfGainSlider->GetValue();
    UpdateSliderTips();
    RememberSettings();
}

void VessarQuilixGUI::OnHighpassChoice(wxCommandEvent& event)
{
    const std::vector<int>& corners = vqgui::HighpassCorners();
    const int item = event.GetSelection();
    if (item >= 0 && item < static_cast<int>(corners.size()))
        m_params->m_highpassHz = corners[item];
    RememberSettings();
}

void VessarQuilixGUI::OnBFormatAutorange(wxCommandEvent&)
{
    m_params->m_bformatAutorange = m_bfAutorangeCheck->IsChecked();
    RememberSettings();
}

void VessarQuilixGUI::OnSurroundGainSlider(wxCommandEvent&)
{
    m_params->m_surroundGain = m_surGainSlider->GetValue();
    UpdateSliderTips();
    RememberSettings();
}

void VessarQuilixGUI::OnAngleSlider(wxCommandEvent&)
{
    m_params->m_openingAngle = m_angleSlider->GetValue();
    UpdateSliderTips();
    RememberSettings();
}

void VessarQuilixGUI::OnSurroundAutorange(wxCommandEvent&)
{
    m_params->m_surroundAutorange = m_surAutorangeCheck->IsChecked();
    RememberSettings();
}

void VessarQuilixGUI::OnLowFreqsInLfe(wxCommandEvent&)
{
    m_params->m_lowFreqsInLfe = m_lfeCheck->IsChecked();
    RememberSettings();
}

void VessarQuilixGUI::OnDecodeSetting(wxCommandEvent&)
{
    const vq::DecodeMode& mode = m_params->Mode();
    const int decoder = m_decoderChoice->GetSelection();
    if (decoder >= 0 && decoder < static_cast<int>(mode.decoders.size()))
        m_params->m_decoders[mode.name] = mode.decoders[static_cast<std::size_t>(decoder)].name;
    const std::vector<vqgui::MicPatternItem>& patterns = vqgui::MicPatterns();
    const int pattern = m_patternChoice->GetSelection();
    if (pattern >= 0 && pattern < static_cast<int>(patterns.size()))
        m_params->m_pairPattern = patterns[pattern].omniShare;
    m_params->m_pairAngle = m_pairAngleSpin->GetValue();
    m_params->m_pairAim = m_aimSpin->GetValue();
    // A rotation field that holds no angle from -180 to 180 leaves its angle as it was.
    double* angles[3] = {&m_params->m_yaw, &m_params->m_pitch, &m_params->m_roll};
    for (int i = 0; i < 3; ++i) {
        double degrees = 0.0;
        if (m_rotateFields[i]->GetValue().ToCDouble(&degrees) && degrees >= -180.0 && degrees <= 180.0)
            *angles[i] = degrees;
    }
    RememberSettings();
}

// Dialogs and boxes.

VessarQuilixGUI::FileChoice VessarQuilixGUI::AskForFile(const FileRequest& request)
{
    wxFileDialog dialog(this, request.title, request.directory, request.name, request.wildcard, request.style);
    dialog.SetFilterIndex(request.fileType);
    FileChoice choice;
    if (dialog.ShowModal() == wxID_OK) {
        choice.chosen = true;
        choice.path = dialog.GetPath();
        choice.fileType = dialog.GetFilterIndex();
        if (request.style & wxFD_MULTIPLE)
            dialog.GetPaths(choice.paths);
    }
    return choice;
}

wxString VessarQuilixGUI::AskForFolder(const wxString& title, const wxString& directory)
{
    wxDirDialog dialog(this, title, directory, wxDD_DEFAULT_STYLE);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

int VessarQuilixGUI::ShowMessage(const wxString& title, const wxString& message, long style,
                                 const wxString& helpLabel)
{
    wxMessageDialog box(this, message, title, style);
    if (style & wxHELP)
        box.SetHelpLabel(helpLabel);
    const int pressed = box.ShowModal();
    return pressed == wxID_HELP ? wxID_HELP : wxID_OK;
}

bool VessarQuilixGUI::AskQuestion(const wxString& title, const wxString& message, const wxString& yes,
                                  const wxString& no)
{
    // OK and Cancel rather than Yes and No, so that Escape answers `no`.
    wxMessageDialog box(this, message, title, wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION);
    box.SetOKCancelLabels(yes, no);
    return box.ShowModal() == wxID_OK;
}

// Menus, keys and the conversion.

void VessarQuilixGUI::SetConverting(bool converting)
{
    // While a run is in progress the record must not change and no second run may start;
    // the progress dialog keeps dispatching this window's events, so its controls go off.
    m_converting = converting;
    m_mainPanel->Enable(!converting);
    for (int id : {ID_MENU_OPEN, ID_MENU_RESET, ID_MENU_PREFERENCES, ID_MENU_QUIT})
        m_menubar->Enable(id, !converting);
}

void VessarQuilixGUI::OnClose(wxCloseEvent& event)
{
    if (m_converting && event.CanVeto()) {
        // The record must outlive the run: the window goes once the run has stopped.
        event.Veto();
        if (!m_quitAfterRun && AskQuestion("VessarQuilix: Quit?", "A conversion is running. Cancel it and quit?",
                                           "Cancel and &Quit", "&Go On Converting")) {
            m_quitAfterRun = true;
            m_progress->RequestCancel();
        }
        return;
    }
    Destroy();
}

void VessarQuilixGUI::OnCharHook(wxKeyEvent& event)
{
    // Enter converts, wherever the focus is, but on a button or a check box, which
    // Enter presses itself.
    const int key = event.GetKeyCode();
    const bool enter = (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers();
    const wxWindow* focus = FindFocus();
    if (!enter || dynamic_cast<const wxAnyButton*>(focus) || dynamic_cast<const wxCheckBox*>(focus)) {
        event.Skip();
        return;
    }
    StartConversion();
}

void VessarQuilixGUI::OnReset(wxCommandEvent&)
{
    if (!AskQuestion("VessarQuilix: Reset",
                     "Put every setting of the window back to its default, and start again as on a first start "
                     "(with the demo take when there is one, else with none)?",
                     "&Reset", "Cancel"))
        return;
    ResetWindowSettings(*m_params, m_choices);
    ShowSettings();
    OfferFirstTake();
    RememberSettings();
}

void VessarQuilixGUI::OnPreferences(wxCommandEvent&)
{
    SoundFileHeader take;
    const int takeRate =
        ReadSoundFileHeader(m_params->GetFullPath(VQParams::kFluFrdInput), &take) ? take.sampleRate : 0;
    VessarQuilixPrefsDlg dialog(this, m_params, &m_choices.filterSets, takeRate);
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_params->SaveSettings();
    RememberSettings();  // the filter sets chosen; flushes
    ShowInputInfo();     // the filters may be others now
}

void VessarQuilixGUI::OnQuit(wxCommandEvent&)
{
    Close(true);
}

void VessarQuilixGUI::OnConvert(wxCommandEvent&)
{
    StartConversion();
}

bool VessarQuilixGUI::ConfirmReplacing()
{
    wxString existing;
    int count = 0;
    for (const wxString& path : vq::WrittenFiles(m_params->Request())) {
        if (!wxFileExists(path) || m_confirmedReplace.count(path))
            continue;
        existing += "\n" + path;
        ++count;
    }
    if (count == 0)
        return true;
    const wxString question = count == 1 ? "This file exists already:" : "These files exist already:";
    return AskQuestion("VessarQuilix: Replace Files?", question + "\n" + existing + "\n\nReplace " +
                                                           (count == 1 ? "it?" : "them?"),
                       "&Replace", "Cancel");
}

void VessarQuilixGUI::StartConversion()
{
    if (m_converting || !HasTake())
        return;
    m_params->m_keepBFormat = KeptBFormatPath();
    if (!ConfirmReplacing()) {
        Note("Nothing converted: the existing files are kept.");
        return;
    }
    SetConverting(true);
    // The map shown is of the take just converted: none until this run has made one.
    if (m_directionsButton->Hide())
        m_mainPanel->Layout();
    const bool autorange = m_params->Decodes() ? m_params->m_surroundAutorange : m_params->m_bformatAutorange;
    const bool movie = m_params->OutputContainer().movie != nullptr;  // muxed in a pass of its own
    m_progress->StartRun((autorange ? 2 : 1) + (movie ? 1 : 0));
    const bool completed = m_params->Convert();
    SetConverting(false);
    if (m_quitAfterRun) {
        Destroy();
        return;
    }
    ReportRun(completed);
}

void VessarQuilixGUI::ReportRun(bool completed)
{
    if (!completed) {
        ShowMessage("VessarQuilix Error", m_params->GetErrorMessage(), wxOK | wxICON_ERROR);
        return;
    }
    if (m_params->m_status == -1)
        return;  // cancelled: the status bar says "Aborted."
    const vq::ConversionResult& result = m_params->m_result;
    if (result.directionMap) {
        m_directionsButton->Show();
        // The bottom panel grows for the button and stays centred.
        m_mainPanel->Layout();
        if (m_directions && m_directions->IsShown())
            m_directions->ShowMap(*result.directionMap, m_params->TakeName());
    }
    wxString text = "Conversion done with success!!\n\n" + vqgui::WrittenFilesReport(m_params->Request(), result) +
                    vqgui::LoudnessReport(result);
    if (result.joinedParts.size() > 1) {
        text += wxString::Format("\n\nJoined from %zu parts, in this order:", result.joinedParts.size());
        for (const std::string& part : result.joinedParts)
            text += "\n" + wxString::FromUTF8(part.c_str());
    }
    for (const std::string& note : result.notes)
        text += "\n\n" + wxString::FromUTF8(note.c_str());
    for (const std::string& warning : result.warnings)
        text += "\n\n" + wxString::FromUTF8(warning.c_str());
    const wxString clipping = m_params->GetClippingWarning();
    const bool clipped = !clipping.empty();
    if (clipped)
        text += "\n\n" + clipping;
    const long style = wxOK | wxHELP | (clipped ? wxICON_WARNING : wxICON_INFORMATION);
    const wxString folder = vqgui::WrittenFolder(result);
    if (ShowMessage(clipped ? "VessarQuilix Warning" : "VessarQuilix", text, style, "&Open Folder") == wxID_HELP &&
        !OpenFolder(folder))
        ShowMessage("VessarQuilix", "No file manager could be started. The files are in:\n" + folder,
                    wxOK | wxICON_INFORMATION);
}

void VessarQuilixGUI::OnDirections(wxCommandEvent&)
{
    const std::shared_ptr<const vq::DirectionMapLevels>& map = m_params->m_result.directionMap;
    if (!map)
        return;
    if (!m_directions)
        m_directions = new DirectionsDialog(this);
    m_directions->ShowMap(*map, m_params->TakeName());
}

bool VessarQuilixGUI::OpenFolder(const wxString& folder)
{
    wxLogNull quiet;  // a failure is told in the window's own words
    return wxLaunchDefaultApplication(folder);
}
