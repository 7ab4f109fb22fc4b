// Drives the main window as a user would, in a real window system: controls are set and
// their events sent, modal dialogs are answered by a script, and the outcome boxes and the
// browser are recorded instead of shown.
#pragma once

#include "VessarQuilixGUI.h"

#include <wx/modalhook.h>

#include <functional>
#include <string>
#include <vector>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxSlider;
class wxTextCtrl;

namespace vqtest {

class ObservedWindow : public VessarQuilixGUI {
public:
    // The layout's controls, for the tests to drive and inspect.
    using VessarQuilixFrame::BindingCount;
    using VessarQuilixFrame::m_angleSlider;
    using VessarQuilixFrame::m_bfAutorangeCheck;
    using VessarQuilixFrame::m_bfGainSlider;
    using VessarQuilixFrame::m_bldBruButton;
    using VessarQuilixFrame::m_bldBruText;
    using VessarQuilixFrame::m_convertButton;
    using VessarQuilixFrame::m_filesChoice;
    using VessarQuilixFrame::m_fluFrdButton;
    using VessarQuilixFrame::m_fluFrdText;
    using VessarQuilixFrame::m_lfeCheck;
    using VessarQuilixFrame::m_logoBitmap;
    using VessarQuilixFrame::m_mainPanel;
    using VessarQuilixFrame::m_menubar;
    using VessarQuilixFrame::m_modeChoice;
    using VessarQuilixFrame::m_statusBar;
    using VessarQuilixFrame::m_surAutorangeCheck;
    using VessarQuilixFrame::m_surGainSlider;

    // Output row i (0..5, channel order).
    wxTextCtrl* OutputText(int i) const { return m_outTexts[i]; }
    wxButton* OutputButton(int i) const { return m_outButtons[i]; }
    wxWindow* OutputLabel(int i) const;

    std::vector<wxString> errors, successes, helpPages;

    // File dialogs: what they were asked, and the answers to give (none left: the real
    // dialog is shown, for a DialogScript to answer).
    struct Asked {
        wxString title, directory;
    };
    std::vector<Asked> asked;
    std::vector<FileChoice> answers;

protected:
    FileChoice AskForFile(const wxString& title, const wxString& directory, const wxString& wildcard,
                          long style) override;
    void ShowError(const wxString& message) override { errors.push_back(message); }
    void ShowSuccess(const wxString& message) override { successes.push_back(message); }
    void OpenHelpPage(const wxString& path) override { helpPages.push_back(path); }
};

// User actions: each sets the control and sends the event the toolkit would send.
void Select(wxChoice* choice, int item);
void Click(wxWindow* button);
void Tick(wxCheckBox* box, bool ticked);
void Slide(wxSlider* slider, int value);
void ChooseMenu(wxFrame* frame, int id);

// Answers every modal dialog with `answer`, which may set the dialog up first and returns
// the button the user pressed (wxID_NONE shows the dialog for real).
class DialogScript : public wxModalDialogHook {
public:
    explicit DialogScript(std::function<int(wxDialog*)> answer);
    ~DialogScript() override;
    int dialogs = 0;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::function<int(wxDialog*)> m_answer;
};

// Destroys a top-level window and lets the toolkit finish the destruction.
void CloseAndDestroy(wxTopLevelWindow* window);
void ProcessIdle();

}  // namespace vqtest
