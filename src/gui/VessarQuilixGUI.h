// VessarQuilixGUI: the main window as the user meets it. It owns the settings store and
// the one conversion record, fills the controls from the record, writes every change of
// a control into it, picks files through dialogs whose start directories it remembers,
// takes files dropped on the input fields, and runs the conversion.
#pragma once

#include "VessarQuilixFrame.h"

#include "VQConfig.h"

#include <wx/aboutdlg.h>

#include <memory>

class VQParams;
class VessarProgressDialog;
class VessarStatusBarView;
class wxFileName;

class VessarQuilixGUI : public VessarQuilixFrame {
public:
    VessarQuilixGUI();
    ~VessarQuilixGUI() override;

    // A file dropped on input field `index` (0: FLU + FRD, 1: BLD + BRU). A "...F.wav"
    // dropped on the first field brings its "...R.wav" into the second. False while a
    // conversion runs.
    bool DropInputFile(int index, const wxString& path);
    // The sample format a save dialog's file type gives the outputs: 0 16-bit, 1 24-bit,
    // 2 float. In 5.1 mode it applies to the 5.1 files.
    void ApplySaveFormat(int fileTypeIndex);
    // What Help > About shows.
    static wxAboutDialogInfo AboutInfo();

    const VQParams& Params() const { return *m_params; }
    bool IsConverting() const { return m_converting; }

protected:
    void OnClose(wxCloseEvent& event) override;
    void OnReset(wxCommandEvent& event) override;
    void OnPreferences(wxCommandEvent& event) override;
    void OnQuit(wxCommandEvent& event) override;
    void OnHelpContents(wxCommandEvent& event) override;
    void OnAbout(wxCommandEvent& event) override;
    void OnModeChoice(wxCommandEvent& event) override;
    void OnFluFrdText(wxCommandEvent& event) override;
    void OnFluFrdTextEnter(wxCommandEvent& event) override;
    void OnFluFrdButton(wxCommandEvent& event) override;
    void OnBldBruText(wxCommandEvent& event) override;
    void OnBldBruTextEnter(wxCommandEvent& event) override;
    void OnBldBruButton(wxCommandEvent& event) override;
    void OnBFormatGainScroll(wxScrollEvent& event) override;
    void OnBFormatAutorange(wxCommandEvent& event) override;
    void OnSurroundGainScroll(wxScrollEvent& event) override;
    void OnAngleScroll(wxScrollEvent& event) override;
    void OnSurroundAutorange(wxCommandEvent& event) override;
    void OnLowFreqsInLfe(wxCommandEvent& event) override;
    void OnFilesChoice(wxCommandEvent& event) override;
    void OnOutText1(wxCommandEvent&) override { OutputTextChanged(0); }
    void OnOutText2(wxCommandEvent&) override { OutputTextChanged(1); }
    void OnOutText3(wxCommandEvent&) override { OutputTextChanged(2); }
    void OnOutText4(wxCommandEvent&) override { OutputTextChanged(3); }
    void OnOutText5(wxCommandEvent&) override { OutputTextChanged(4); }
    void OnOutText6(wxCommandEvent&) override { OutputTextChanged(5); }
    void OnOutTextEnter1(wxCommandEvent&) override {}
    void OnOutTextEnter2(wxCommandEvent&) override {}
    void OnOutTextEnter3(wxCommandEvent&) override {}
    void OnOutTextEnter4(wxCommandEvent&) override {}
    void OnOutTextEnter5(wxCommandEvent&) override {}
    void OnOutTextEnter6(wxCommandEvent&) override {}
    void OnOutButton1(wxCommandEvent&) override { ChooseOutputFile(0); }
    void OnOutButton2(wxCommandEvent&) override { ChooseOutputFile(1); }
    void OnOutButton3(wxCommandEvent&) override { ChooseOutputFile(2); }
    void OnOutButton4(wxCommandEvent&) override { ChooseOutputFile(3); }
    void OnOutButton5(wxCommandEvent&) override { ChooseOutputFile(4); }
    void OnOutButton6(wxCommandEvent&) override { ChooseOutputFile(5); }
    void OnConvert(wxCommandEvent& event) override;

    // What the user answered in a file dialog.
    struct FileChoice {
        bool chosen = false;  // false: cancelled
        wxString path;
        int fileType = 0;  // index of the file type picked in a save dialog
    };
    // Shows a file dialog; apart, like the outcome boxes and the browser below, so that
    // the window's reactions can be watched.
    virtual FileChoice AskForFile(const wxString& title, const wxString& directory, const wxString& wildcard,
                                  long style);
    virtual void ShowError(const wxString& message);
    virtual void ShowSuccess(const wxString& message);
    virtual void OpenHelpPage(const wxString& path);

private:
    void RefreshInputField(int i);
    void RefreshOutputFields();
    void RefreshOutputField(int i);
    void UpdateModeControls();
    void UpdateOutputRows();
    wxString ChooseFile(const wxString& title, long style);
    void ChooseOutputFile(int i);
    void OutputTextChanged(int i);
    void LoadWorkingDirs();
    void SaveWorkingDirs();
    void SetConverting(bool converting);

    VQParams* m_params;
    wxFileName* m_inputDir;
    wxFileName* m_outputDir;
    VQConfig m_config;
    wxTextCtrl* m_inputTexts[2];
    wxStaticText* m_outLabels[6];
    wxTextCtrl* m_outTexts[6];
    wxButton* m_outButtons[6];
    bool m_converting = false;
    std::unique_ptr<VessarStatusBarView> m_statusView;
    std::unique_ptr<VessarProgressDialog> m_progress;
};
