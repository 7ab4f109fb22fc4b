#include "VessarQuilixGUI.h"

#include "VessarFileDropTarget.h"
#include "VessarQuilixIcons.h"
#include "VessarQuilixPrefsDlg.h"

#include "TakeNames.h"
#include "VQParams.h"
#include "VessarProgressDialog.h"
#include "VessarStatusBarView.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cmath>

namespace {

const wxString kInputKey = "/VessarQuilixGUI/InputWorkingPath";
const wxString kOutputKey = "/VessarQuilixGUI/OutputWorkingPath";
const wxString kOpenWildcard = "*.wav|*.*";
const wxString kSaveWildcard = "WAV 16-bit (signed)|*.wav|WAV 24-bit (signed)|*.wav|WAV 32-bit (float)|*.wav";

// Halves away from zero: -2.5 shows as -3, 2.5 as 3.
int RoundToSlider(double value)
{
    return static_cast<int>(value >= 0 ? std::floor(value + 0.5) : std::ceil(value - 0.5));
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
    m_inputDir = new wxFileName();
    m_inputDir->AssignDir(".");
    m_outputDir = new wxFileName();
    m_outputDir->AssignDir(".");
    m_inputTexts[0] = m_fluFrdText;
    m_inputTexts[1] = m_bldBruText;
    LoadWorkingDirs();
    SetIcons(VessarQuilixIconBundle());

    // Setting a field runs its text handler, which stores the text in the record.
    m_fluFrdText->SetValue(m_params->GetFullPath(VQParams::kFluFrdInput));
    m_fluFrdText->SetDropTarget(new VessarFileDropTarget(this, 0));
    m_bldBruText->SetValue(m_params->GetFullPath(VQParams::kBldBruInput));
    m_bldBruText->SetDropTarget(new VessarFileDropTarget(this, 1));

    m_modeChoice->SetSelection(m_params->m_outputMode ? 1 : 0);
    m_bfGainSlider->SetValue(RoundToSlider(m_params->m_bformatGain));
    m_bfAutorangeCheck->SetValue(m_params->m_bformatAutorange);
    m_surGainSlider->SetValue(RoundToSlider(m_params->m_surroundGain));
    m_angleSlider->SetValue(m_params->m_openingAngle);
    m_surAutorangeCheck->SetValue(m_params->m_surroundAutorange);
    m_lfeCheck->SetValue(m_params->m_lowFreqsInLfe);
    m_filesChoice->SetSelection(m_params->m_fileLayout);
    UpdateModeControls();
    RefreshOutputFields();
    UpdateOutputRows();

    const int widths[] = {150, 100, 150, -1};
    m_statusBar->SetFieldsCount(4, widths);
    m_statusBar->SetStatusText("Ready.", 0);
}

VessarQuilixGUI::~VessarQuilixGUI()
{
    SaveWorkingDirs();
    delete m_inputDir;
    delete m_outputDir;
    delete m_params;  // saves the record's settings while the store still exists
}

void VessarQuilixGUI::LoadWorkingDirs()
{
    wxString dir;
    if (m_config.Read(kInputKey, &dir))
        m_inputDir->AssignDir(dir);
    if (m_config.Read(kOutputKey, &dir))
        m_outputDir->AssignDir(dir);
}

void VessarQuilixGUI::SaveWorkingDirs()
{
    m_config.Write(kInputKey, m_inputDir->GetPath(wxPATH_GET_VOLUME));
    m_config.Write(kOutputKey, m_outputDir->GetPath(wxPATH_GET_VOLUME));
}

void VessarQuilixGUI::RefreshInputField(int i)
{
    const wxString path = m_params->GetFullPath(i);
    m_inputTexts[i]->SetValue(path);
    m_inputTexts[i]->SetToolTip(path);
}

void VessarQuilixGUI::RefreshOutputFields()
{
    for (int i = 0; i < 6; ++i)
        RefreshOutputField(i);
}

void VessarQuilixGUI::RefreshOutputField(int i)
{
    const wxString path = m_params->GetOutputPath(i);
    m_outTexts[i]->SetValue(path);
    m_outTexts[i]->SetToolTip(path);
}

void VessarQuilixGUI::UpdateModeControls()
{
    const bool surround = m_params->m_outputMode != 0;
    wxWindow* bformat[] = {FindWindow(ID_BFORMAT_BOX), m_bfGainLabel, m_bfGainSlider, m_bfAutorangeCheck};
    wxWindow* surroundControls[] = {
        FindWindow(ID_SURROUND_BOX), m_surGainLabel, m_surGainSlider, m_angleLabel, m_angleSlider,
        m_surAutorangeCheck,         m_lfeCheck};
    for (wxWindow* w : bformat)
        w->Enable(!surround);
    for (wxWindow* w : surroundControls)
        w->Enable(surround);
    static const char* const kSurroundItems[] = {"6 mono files", "3 stereo files", "1 six channels file"};
    static const char* const kBFormatItems[] = {"4 mono files", "2 stereo files", "1 four channels file"};
    for (unsigned i = 0; i < 3; ++i)
        m_filesChoice->SetString(i, surround ? kSurroundItems[i] : kBFormatItems[i]);
    const int layout = m_params->m_fileLayout;
    m_filesChoice->SetSelection(layout == 0 || layout == 1 ? layout : 2);
}

void VessarQuilixGUI::UpdateOutputRows()
{
    const int count = m_params->OutputCount();
    for (int i = 0; i < 6; ++i) {
        m_outLabels[i]->Enable(i < count);
        m_outTexts[i]->Enable(i < count);
        m_outButtons[i]->Enable(i < count);
    }
}

void VessarQuilixGUI::ApplySaveFormat(int fileTypeIndex)
{
    const int format = fileTypeIndex == 1   ? VQParams::kFormatPcm24
                       : fileTypeIndex == 2 ? VQParams::kFormatFloat
                                            : VQParams::kFormatPcm16;
    if (m_params->m_outputMode) {
        m_params->m_bformatFormat = VQParams::kFormatFloat;
        m_params->m_surroundFormat = format;
    } else {
        m_params->m_bformatFormat = format;
    }
}

VessarQuilixGUI::FileChoice VessarQuilixGUI::AskForFile(const wxString& title, const wxString& directory,
                                                        const wxString& wildcard, long style)
{
    wxFileDialog dialog(this, title, directory, wxEmptyString, wildcard, style);
    FileChoice choice;
    if (dialog.ShowModal() == wxID_OK) {
        choice.chosen = true;
        choice.path = dialog.GetPath();
        choice.fileType = dialog.GetFilterIndex();
    }
    return choice;
}

wxString VessarQuilixGUI::ChooseFile(const wxString& title, long style)
{
    const bool open = style == wxFD_OPEN;
    wxFileName* startDir = open ? m_inputDir : m_outputDir;
    const FileChoice choice =
        AskForFile(title, startDir->GetPath(wxPATH_GET_VOLUME), open ? kOpenWildcard : kSaveWildcard, style);
    // A cancelled dialog changes nothing: no format, no start directory, no file.
    if (!choice.chosen || choice.path.empty())
        return wxEmptyString;
    if (!open)
        ApplySaveFormat(choice.fileType);
    startDir->AssignDir(wxFileName(choice.path).GetPath(wxPATH_GET_VOLUME));
    return choice.path;
}

void VessarQuilixGUI::ShowError(const wxString& message)
{
    wxMessageBox(message, "Error", wxOK | wxICON_ERROR);
}

void VessarQuilixGUI::ShowSuccess(const wxString& message)
{
    wxMessageBox(message, "VessarQuilix", wxOK | wxICON_INFORMATION);
}

bool VessarQuilixGUI::DropInputFile(int index, const wxString& path)
{
    if (m_converting)
        return false;
    m_inputTexts[index]->SetValue(path);
    m_inputTexts[index]->SetToolTip(path);
    const wxString rear = index == 0 ? RearFileName(path) : wxString();
    if (!rear.empty()) {
        m_bldBruText->SetValue(rear);
        m_bldBruText->SetToolTip(rear);
    }
    return true;
}

void VessarQuilixGUI::SetConverting(bool converting)
{
    // While a run is in progress the record must not change and no second run may start;
    // the progress dialog keeps dispatching this window's events, so its controls go off.
    m_converting = converting;
    m_mainPanel->Enable(!converting);
    for (int id : {ID_MENU_RESET, ID_MENU_PREFERENCES, ID_MENU_QUIT})
        m_menubar->Enable(id, !converting);
}

void VessarQuilixGUI::OnClose(wxCloseEvent& event)
{
    if (m_converting && event.CanVeto()) {
        event.Veto();  // cancel the conversion first, from its progress dialog
        return;
    }
    Destroy();
}

void VessarQuilixGUI::OnReset(wxCommandEvent&)
{
    m_params->ResetFileNames();
    RefreshInputField(0);
    RefreshInputField(1);
    // No input is chosen: no rate or filter length to show.
    m_statusBar->SetStatusText(wxEmptyString, 1);
    m_statusBar->SetStatusText(wxEmptyString, 2);
}

void VessarQuilixGUI::OnPreferences(wxCommandEvent&)
{
    VessarQuilixPrefsDlg dialog(this, m_params);
    dialog.ShowModal();
}

void VessarQuilixGUI::OnQuit(wxCommandEvent&)
{
    Close(true);
}

void VessarQuilixGUI::OnModeChoice(wxCommandEvent& event)
{
    const int mode = event.GetSelection();
    if (mode == m_params->m_outputMode)
        return;
    m_params->m_outputMode = mode;
    m_params->UpdateOutputNames();
    UpdateModeControls();
    RefreshOutputFields();
    UpdateOutputRows();
}

void VessarQuilixGUI::OnFluFrdText(wxCommandEvent&)
{
    const wxString path = m_fluFrdText->GetLineText(0);
    m_params->SetFileName(VQParams::kFluFrdInput, path);
    // A front file typed in brings its rear file, as picking or dropping it does.
    const wxString rear = RearFileName(path);
    if (!rear.empty() && rear != m_bldBruText->GetLineText(0))
        m_bldBruText->SetValue(rear);
    RefreshOutputFields();
}

void VessarQuilixGUI::OnFluFrdButton(wxCommandEvent&)
{
    const wxString path = ChooseFile("Open File for channels FLU-FRD", wxFD_OPEN);
    if (path.empty())
        return;
    m_params->SetFileName(VQParams::kFluFrdInput, path);
    RefreshInputField(0);
    const wxString rear = RearFileName(path);
    if (!rear.empty()) {
        m_params->SetFileName(VQParams::kBldBruInput, rear);
        RefreshInputField(1);
    }
    RefreshOutputFields();
}

void VessarQuilixGUI::OnBldBruText(wxCommandEvent&)
{
    m_params->SetFileName(VQParams::kBldBruInput, m_bldBruText->GetLineText(0));
}

void VessarQuilixGUI::OnBldBruButton(wxCommandEvent&)
{
    const wxString path = ChooseFile("Open File for channels BLD-BRU", wxFD_OPEN);
    if (path.empty())
        return;
    m_params->SetFileName(VQParams::kBldBruInput, path);
    RefreshInputField(1);
}

void VessarQuilixGUI::OnBFormatGainSlider(wxCommandEvent&)
{
    m_params->m_bformatGain = m_bfGainSlider->GetValue();
}

void VessarQuilixGUI::OnBFormatAutorange(wxCommandEvent&)
{
    m_params->m_bformatAutorange = m_bfAutorangeCheck->IsChecked();
}

void VessarQuilixGUI::OnSurroundGainSlider(wxCommandEvent&)
{
    m_params->m_surroundGain = m_surGainSlider->GetValue();
}

void VessarQuilixGUI::OnAngleSlider(wxCommandEvent&)
{
    m_params->m_openingAngle = m_angleSlider->GetValue();
}

void VessarQuilixGUI::OnSurroundAutorange(wxCommandEvent&)
{
    m_params->m_surroundAutorange = m_surAutorangeCheck->IsChecked();
}

void VessarQuilixGUI::OnLowFreqsInLfe(wxCommandEvent&)
{
    m_params->m_lowFreqsInLfe = m_lfeCheck->IsChecked();
}

void VessarQuilixGUI::OnFilesChoice(wxCommandEvent& event)
{
    const int layout = event.GetSelection();
    if (layout == m_params->m_fileLayout)
        return;
    m_params->m_fileLayout = layout;
    m_params->UpdateOutputNames();
    RefreshOutputFields();
    UpdateOutputRows();
}

void VessarQuilixGUI::OnOutputText(wxCommandEvent& event)
{
    const int i = OutputRowOf(event.GetEventObject());
    if (i >= 0)
        m_params->SetOutputPath(i, m_outTexts[i]->GetLineText(0));
}

void VessarQuilixGUI::OnOutputButton(wxCommandEvent& event)
{
    const int i = OutputRowOf(event.GetEventObject());
    if (i < 0)
        return;
    const wxString path =
        ChooseFile("Select Output File for channel" + m_params->OutputTitle(i), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (path.empty())
        return;
    m_params->SetOutputPath(i, path);
    RefreshOutputField(i);
}

void VessarQuilixGUI::OnConvert(wxCommandEvent&)
{
    if (m_converting)
        return;
    SetConverting(true);
    const bool completed = m_params->Convert();
    SetConverting(false);
    if (!completed) {
        ShowError(m_params->GetErrorMessage());
        return;
    }
    if (m_params->m_status == -1)
        return;  // cancelled: the status bar says "Aborted."
    wxString message = "Conversion done with success!!";
    const wxString warning = m_params->GetClippingWarning();
    if (!warning.empty())
        message += "\n\n" + warning;
    ShowSuccess(message);
}
