// VessarQuilixFrame: the layout half of the main window (VessarQuilixGUI is the logic
// half). It builds the menus, the status bar, the panels and every control, and binds each
// control's events to a virtual handler whose default only skips the event;
// VessarQuilixGUI overrides the handlers to give them their behaviour.
// The window opens at the size its sizers need (on a low screen, with the option boxes
// scrolling); it can grow, and the path fields grow with it.
#pragma once

#include "EventBindings.h"

#include <wx/frame.h>
#include <wx/gdicmn.h>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxMenu;
class wxMenuBar;
class wxPanel;
class wxScrolledWindow;
class wxSlider;
class wxSpinCtrl;
class wxStaticBitmap;
class wxStaticBox;
class wxStaticLine;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;

// Identifiers of the menu items.
enum {
    ID_MENU_RESET = 1001,
    ID_MENU_PREFERENCES = 1002,
    ID_MENU_QUIT = 1003,
    ID_MENU_ABOUT = 1004,
    ID_MENU_OPEN = 1005,
};

class VessarQuilixFrame : public wxFrame {
public:
    VessarQuilixFrame(const wxString& title, const wxPoint& pos, const wxSize& size);
    ~VessarQuilixFrame() override;

    // Status bar fields: the state (and the menus' help), the input's rate, the filter length.
    enum { kStateField, kRateField, kFilterField, kStatusFields };

protected:
    wxMenuBar* m_menubar;
    wxMenu* m_menuFile;
    wxMenu* m_menuHelp;
    wxStatusBar* m_statusBar;
    wxPanel* m_mainPanel;
    wxScrolledWindow* m_optionsPanel;  // the mode, input, process and output boxes
    wxPanel* m_modePanel;
    wxStaticText* m_modeLabel;
    wxChoice* m_modeChoice;
    wxCheckBox* m_keepSyncCheck;  // output frame n is input frame n: the filters' delay taken off
    wxStaticText* m_fluFrdLabel;
    wxTextCtrl* m_fluFrdText;
    // Beside the first input, shown for a poly file (more than four channels): the four
    // channels that hold the capsules.
    wxStaticText* m_polyLabel;
    wxTextCtrl* m_polyText;
    wxButton* m_fluFrdButton;
    wxStaticText* m_bldBruLabel;
    wxTextCtrl* m_bldBruText;
    wxButton* m_bldBruButton;
    wxChoice* m_inputFormatChoice;  // how a 4-channel take is read
    // Shown when the files opened are the parts of one split recording: ticked, they are
    // joined into one take.
    wxCheckBox* m_joinCheck;
    wxStaticText* m_inputNote;  // what is wrong with the take, when anything is
    wxPanel* m_processPanel;
    wxStaticBox* m_bformatBox;
    wxStaticText* m_bfGainLabel;
    wxSlider* m_bfGainSlider;
    wxStaticText* m_highpassLabel;
    wxChoice* m_highpassChoice;
    wxCheckBox* m_bfAutorangeCheck;
    wxStaticBox* m_surroundBox;
    wxStaticText* m_surGainLabel;
    wxSlider* m_surGainSlider;
    wxStaticText* m_angleLabel;
    wxSlider* m_angleSlider;
    wxCheckBox* m_surAutorangeCheck;
    wxCheckBox* m_lfeCheck;
    wxStaticText* m_decoderLabel;
    wxChoice* m_decoderChoice;  // 5.1: virtual microphones or energy-preserving
    wxStaticText* m_patternLabel;
    wxChoice* m_patternChoice;  // stereo: the microphones' pattern
    wxStaticText* m_pairAngleLabel;
    wxSpinCtrl* m_pairAngleSpin;
    wxStaticText* m_aimLabel;
    wxSpinCtrl* m_aimSpin;
    wxButton* m_hrtfButton;  // binaural: which head-related responses (opens the preferences)
    wxStaticText* m_rotateLabel;
    wxTextCtrl* m_rotateFields[3];  // yaw, pitch, roll in degrees
    wxPanel* m_outputPanel;
    wxStaticText* m_filesLabel;
    wxChoice* m_filesChoice;
    wxCheckBox* m_keepBFormatCheck;  // a decode also keeps its B-format
    // A movie's video: the clip whose video it carries; shown for the movie containers.
    wxStaticText* m_videoLabel;
    wxTextCtrl* m_videoText;
    wxButton* m_videoButton;
    wxStaticText* m_formatLabel;
    wxChoice* m_containerChoice;
    wxChoice* m_sampleChoice;
    wxCheckBox* m_ditherCheck;
    wxStaticText* m_conventionLabel;
    wxChoice* m_conventionChoice;
    wxStaticText* m_folderLabel;
    wxTextCtrl* m_folderText;
    wxButton* m_folderButton;
    // The output rows 1 to 6, in channel order: 1 to 3 on the left, 4 to 6 on the right.
    static constexpr int kOutputRows = 6;
    wxStaticText* m_outLabels[kOutputRows];
    wxTextCtrl* m_outTexts[kOutputRows];
    wxButton* m_outButtons[kOutputRows];
    wxStaticText* m_processingLine;  // what changes the sound, when anything does
    wxStaticLine* m_staticLine;
    wxPanel* m_bottomPanel;
    wxStaticBitmap* m_logoBitmap;
    wxButton* m_convertButton;
    // Shown once a conversion has made the map of its take: where the sound comes from.
    wxButton* m_directionsButton;

    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    // Every key pressed in the window, before the control with the focus sees it.
    virtual void OnCharHook(wxKeyEvent& event) { event.Skip(); }
    virtual void OnReset(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOpen(wxCommandEvent& event) { event.Skip(); }
    virtual void OnPreferences(wxCommandEvent& event) { event.Skip(); }
    virtual void OnQuit(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHelpContents(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAbout(wxCommandEvent& event) { event.Skip(); }
    virtual void OnModeChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFluFrdText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFluFrdButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBldBruText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBldBruButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnInputFormatChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnKeepSync(wxCommandEvent& event) { event.Skip(); }
    virtual void OnPolyText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnJoinParts(wxCommandEvent& event) { event.Skip(); }
    // A slider's handler runs on every movement, dragging included.
    virtual void OnBFormatGainSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHighpassChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBFormatAutorange(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSurroundGainSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAngleSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSurroundAutorange(wxCommandEvent& event) { event.Skip(); }
    virtual void OnLowFreqsInLfe(wxCommandEvent& event) { event.Skip(); }
    // Any setting of the decodes or of the rotation.
    virtual void OnDecodeSetting(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFilesChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnKeepBFormat(wxCommandEvent& event) { event.Skip(); }
    virtual void OnContainerChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSampleFormatChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnDither(wxCommandEvent& event) { event.Skip(); }
    virtual void OnConventionChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFolderText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFolderButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnVideoText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnVideoButton(wxCommandEvent& event) { event.Skip(); }
    // Every output row's text and button; OutputRowOf(event.GetEventObject()) tells the row.
    virtual void OnOutputText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOutputButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnConvert(wxCommandEvent& event) { event.Skip(); }
    virtual void OnDirections(wxCommandEvent& event) { event.Skip(); }

    // The output row (0 .. 5) whose text or button `source` is; -1 for none.
    int OutputRowOf(const wxObject* source) const;
    // Number of event bindings the constructor made.
    std::size_t BindingCount() const { return m_bindings.Count(); }
    // Gives the window the size its contents need, as its smallest, or on a screen whose
    // free area (by default the desktop's) is too low for them the screen's height, with
    // the option boxes scrolling. The window may grow in both directions.
    void FitToContents(const wxRect& screen = wxGetClientDisplayRect());
    // Fits the height again after a line came or went, keeping a width the user gave.
    void RefitHeight();

private:
    void CreateMenus();
    wxPanel* CreateModePanel();
    wxPanel* CreateProcessPanel();
    wxPanel* CreateOutputPanel();
    wxPanel* CreateBottomPanel();
    wxSizer* CreateFormatRow();
    wxSizer* CreateFolderRow();
    void CreateOutputRow(int row, wxSizer* grid);
    void BindEvents();

    EventBindings m_bindings;
};
