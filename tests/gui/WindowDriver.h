// Drives the main window as a user would, in a real window system: controls are set and
// their events sent, or keys pressed on the shown window; modal dialogs are answered by a
// script, and the message boxes and the browser are recorded instead of shown.
#pragma once

#include "VessarQuilixGUI.h"

#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>
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
    using VessarQuilixFrame::FitToContents;
    using VessarQuilixFrame::m_optionsPanel;
    using VessarQuilixFrame::m_processPanel;
    using VessarQuilixFrame::m_processingLine;
    using VessarQuilixFrame::m_inputNote;
    using VessarQuilixFrame::m_filesLabel;
    using VessarQuilixFrame::kOutputRows;
    using VessarQuilixFrame::m_angleLabel;
    using VessarQuilixFrame::m_angleSlider;
    using VessarQuilixFrame::m_bfAutorangeCheck;
    using VessarQuilixFrame::m_bfGainLabel;
    using VessarQuilixFrame::m_bfGainSlider;
    using VessarQuilixFrame::m_bformatBox;
    using VessarQuilixFrame::m_bldBruButton;
    using VessarQuilixFrame::m_inputFormatChoice;
    using VessarQuilixFrame::m_bldBruLabel;
    using VessarQuilixFrame::m_bldBruText;
    using VessarQuilixFrame::m_aimSpin;
    using VessarQuilixFrame::m_containerChoice;
    using VessarQuilixFrame::m_decoderChoice;
    using VessarQuilixFrame::m_hrtfButton;
    using VessarQuilixFrame::m_pairAngleSpin;
    using VessarQuilixFrame::m_patternChoice;
    using VessarQuilixFrame::m_rotateFields;
    using VessarQuilixFrame::m_conventionChoice;
    using VessarQuilixFrame::m_conventionLabel;
    using VessarQuilixFrame::m_convertButton;
    using VessarQuilixFrame::m_directionsButton;
    using VessarQuilixFrame::m_ditherCheck;
    using VessarQuilixFrame::m_filesChoice;
    using VessarQuilixFrame::m_fluFrdButton;
    using VessarQuilixFrame::m_fluFrdText;
    using VessarQuilixFrame::m_folderButton;
    using VessarQuilixFrame::m_folderText;
    using VessarQuilixFrame::m_highpassChoice;
    using VessarQuilixFrame::m_highpassLabel;
    using VessarQuilixFrame::m_keepBFormatCheck;
    using VessarQuilixFrame::m_lfeCheck;
    using VessarQuilixFrame::m_logoBitmap;
    using VessarQuilixFrame::m_mainPanel;
    using VessarQuilixFrame::m_menubar;
    using VessarQuilixFrame::m_modeChoice;
    using VessarQuilixFrame::m_keepSyncCheck;
    using VessarQuilixFrame::m_polyLabel;
    using VessarQuilixFrame::m_polyText;
    using VessarQuilixFrame::m_joinCheck;
    using VessarQuilixFrame::m_outButtons;
    using VessarQuilixFrame::m_outLabels;
    using VessarQuilixFrame::m_outTexts;
    using VessarQuilixFrame::m_sampleChoice;
    using VessarQuilixFrame::m_statusBar;
    using VessarQuilixFrame::m_surAutorangeCheck;
    using VessarQuilixFrame::m_surGainLabel;
    using VessarQuilixFrame::m_surGainSlider;
    using VessarQuilixFrame::m_surroundBox;
    using VessarQuilixFrame::m_videoButton;
    using VessarQuilixFrame::m_videoLabel;
    using VessarQuilixFrame::m_videoText;
    using VessarQuilixGUI::FileChoice;
    using VessarQuilixGUI::FileRequest;

    // What the file dialogs were asked, and the answers to give (none left: the real
    // dialog is shown, for a DialogScript to answer).
    std::vector<FileRequest> asked;
    std::vector<FileChoice> answers;
    std::vector<wxString> folderAnswers;  // the folder dialog's answers; "" cancels
    std::vector<wxString> askedFolders;   // where the folder dialogs started

    // The message boxes shown; with realMessages they are shown for real as well.
    struct Message {
        wxString title, text;
        long style;
    };
    std::vector<Message> messages;
    bool realMessages = false;
    // The buttons pressed in the next message boxes (none left: OK).
    std::vector<int> messageAnswers;
    // The questions asked, and the answers to give (none left: the real dialog is shown).
    struct Question {
        wxString title, text, yes, no;
    };
    std::vector<Question> questions;
    std::vector<bool> questionAnswers;
    // The pages the browser was asked for, and whether it starts; when it does not, it
    // logs as the toolkit's own launcher does.
    std::vector<wxString> browsed;
    bool browserStarts = true;
    // The folders the file manager was asked to show, and whether it starts.
    std::vector<wxString> opened;
    bool fileManagerStarts = true;

    std::vector<wxString> Outputs() const;  // the six rows' texts
    std::vector<wxString> Items(wxChoice* choice) const;

protected:
    FileChoice AskForFile(const FileRequest& request) override;
    wxString AskForFolder(const wxString& title, const wxString& directory) override;
    int ShowMessage(const wxString& title, const wxString& message, long style, const wxString& helpLabel) override;
    bool AskQuestion(const wxString& title, const wxString& message, const wxString& yes,
                     const wxString& no) override;
    bool LaunchBrowser(const wxString& url) override;
    bool OpenFolder(const wxString& folder) override;
};

// User actions: each sets the control and sends the event the toolkit would send.
void Select(wxChoice* choice, int item);
// Selects the item with this text; fails the test when there is none.
void Select(wxChoice* choice, const wxString& text);
void Click(wxWindow* button);
void Tick(wxCheckBox* box, bool ticked);
void Slide(wxSlider* slider, int value);
void Type(wxTextCtrl* field, const wxString& text);
void ChooseMenu(wxFrame* frame, int id);

// Shows the window and lets the window system map it and give it the focus.
void ShowAndSettle(wxTopLevelWindow* window);
// Lets the toolkit handle events until `done` holds (or a generous bound of rounds passes).
bool ProcessUntil(const std::function<bool()>& done);

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

// A main window with a home (and settings file) and a working directory of its own.
class WindowTest : public testing::Test {
protected:
    WindowTest() : scopedHome(home.Path()), cwd(work.Path()) {}
    ~WindowTest() override
    {
        if (window)
            CloseAndDestroy(window);
    }
    // Opens the window; again after a close, as a restart would.
    void Open() { window = new ObservedWindow; }
    void Close()
    {
        CloseAndDestroy(window);
        window = nullptr;
    }
    std::string SettingsText() const;
    const VQParams& Record() const { return window->Params(); }

    TempDir home;
    ScopedHome scopedHome;
    TempDir work;
    ScopedWorkingDirectory cwd;
    ObservedWindow* window = nullptr;
};

}  // namespace vqtest
