// VessarQuilixGUI: the logic half of the main window (VessarQuilixFrame is the layout
// half): it overrides the layout's event handlers. It owns the settings store and
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
    void OnFluFrdButton(wxCommandEvent& event) override;
    void OnBldBruText(wxCommandEvent& event) override;
    void OnBldBruButton(wxCommandEvent& event) override;
    void OnBFormatGainSlider(wxCommandEvent& event) override;
    void OnBFormatAutorange(wxCommandEvent& event) override;
    void OnSurroundGainSlider(wxCommandEvent& event) override;
    void OnAngleSlider(wxCommandEvent& event) override;
    void OnSurroundAutorange(wxCommandEvent& event) override;
    void OnLowFreqsInLfe(wxCommandEvent& event) override;
    void OnFilesChoice(wxCommandEvent& event) override;
    void OnOutputText(wxCommandEvent& event) override;
    void OnOutputButton(wxCommandEvent& event) override;
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
    void LoadWorkingDirs();
    void SaveWorkingDirs();
    void SetConverting(bool converting);

    VQParams* m_params;
    wxFileName* m_inputDir;
    wxFileName* m_outputDir;
    VQConfig m_config;
    wxTextCtrl* m_inputTexts[2];
    bool m_converting = false;
    std::unique_ptr<VessarStatusBarView> m_statusView;
    std::unique_ptr<VessarProgressDialog> m_progress;
};
