// VessarQuilixFrame: the layout half of the main window (VessarQuilixGUI is the logic
// half). It builds the menus, the status bar, the panels and every control, and binds each
// control's events to a virtual handler whose default only skips the event;
// VessarQuilixGUI overrides the handlers to give them their behaviour.
// The window has a fixed size: the size its sizers need.
#pragma once

#include "EventBindings.h"

#include <wx/frame.h>

class wxBitmapButton;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxMenu;
class wxMenuBar;
class wxPanel;
class wxSlider;
class wxStaticBitmap;
class wxStaticLine;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;

// Window identifiers.
enum {
    ID_MAIN_FRAME = 1000,
    ID_MENU_RESET = 1001,
    ID_MENU_PREFERENCES = 1002,
    ID_MENU_QUIT = 1003,
    ID_MENU_ABOUT = 1004,
    ID_STATUS_BAR = 1005,
    ID_MAIN_PANEL = 1006,
    ID_FLU_FRD_TEXT = 1007,
    ID_FLU_FRD_BUTTON = 1008,
    ID_BLD_BRU_TEXT = 1009,
    ID_BLD_BRU_BUTTON = 1010,
    ID_BFORMAT_BOX = 1011,
    ID_BFORMAT_GAIN_LABEL = 1012,
    ID_BFORMAT_GAIN_SLIDER = 1013,
    ID_BFORMAT_AUTORANGE = 1014,
    ID_SURROUND_BOX = 1015,
    ID_SURROUND_GAIN_LABEL = 1016,
    ID_SURROUND_GAIN_SLIDER = 1017,
    ID_ANGLE_LABEL = 1018,
    ID_ANGLE_SLIDER = 1019,
    ID_SURROUND_AUTORANGE = 1020,
    ID_LFE = 1021,
    ID_OUTPUT_BOX = 1022,
    ID_CONVERT = 1041,
};

class VessarQuilixFrame : public wxFrame {
public:
    VessarQuilixFrame(const wxString& title, const wxPoint& pos, const wxSize& size);
    ~VessarQuilixFrame() override;

protected:
    wxMenuBar* m_menubar;
    wxMenu* m_menuFile;
    wxMenu* m_menuHelp;
    wxStatusBar* m_statusBar;
    wxPanel* m_mainPanel;
    wxPanel* m_modePanel;
    wxStaticText* m_modeLabel;
    wxChoice* m_modeChoice;
    wxStaticText* m_fluFrdLabel;
    wxTextCtrl* m_fluFrdText;
    wxButton* m_fluFrdButton;
    wxStaticText* m_bldBruLabel;
    wxTextCtrl* m_bldBruText;
    wxButton* m_bldBruButton;
    wxPanel* m_processPanel;
    wxStaticText* m_bfGainLabel;
    wxSlider* m_bfGainSlider;
    wxCheckBox* m_bfAutorangeCheck;
    wxStaticText* m_surGainLabel;
    wxSlider* m_surGainSlider;
    wxStaticText* m_angleLabel;
    wxSlider* m_angleSlider;
    wxCheckBox* m_surAutorangeCheck;
    wxCheckBox* m_lfeCheck;
    wxPanel* m_outputPanel;
    wxStaticText* m_filesLabel;
    wxChoice* m_filesChoice;
    // The output rows 1 to 6, in channel order.
    static constexpr int kOutputRows = 6;
    wxStaticText* m_outLabels[kOutputRows];
    wxTextCtrl* m_outTexts[kOutputRows];
    wxButton* m_outButtons[kOutputRows];
    wxStaticLine* m_staticLine;
    wxPanel* m_bottomPanel;
    wxStaticBitmap* m_logoBitmap;
    wxBitmapButton* m_convertButton;

    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    virtual void OnReset(wxCommandEvent& event) { event.Skip(); }
    virtual void OnPreferences(wxCommandEvent& event) { event.Skip(); }
    virtual void OnQuit(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHelpContents(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAbout(wxCommandEvent& event) { event.Skip(); }
    virtual void OnModeChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFluFrdText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFluFrdButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBldBruText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBldBruButton(wxCommandEvent& event) { event.Skip(); }
    // A slider's handler runs on every movement, dragging included.
    virtual void OnBFormatGainSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnBFormatAutorange(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSurroundGainSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAngleSlider(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSurroundAutorange(wxCommandEvent& event) { event.Skip(); }
    virtual void OnLowFreqsInLfe(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFilesChoice(wxCommandEvent& event) { event.Skip(); }
    // Every output row's text and button; OutputRowOf(event.GetEventObject()) tells the row.
    virtual void OnOutputText(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOutputButton(wxCommandEvent& event) { event.Skip(); }
    virtual void OnConvert(wxCommandEvent& event) { event.Skip(); }

    // The output row (0 .. 5) whose text or button `source` is; -1 for none.
    int OutputRowOf(const wxObject* source) const;
    // Number of event bindings the constructor made.
    std::size_t BindingCount() const { return m_bindings.Count(); }

private:
    void CreateMenus();
    wxPanel* CreateModePanel();
    wxPanel* CreateProcessPanel();
    wxPanel* CreateOutputPanel();
    wxPanel* CreateBottomPanel();
    void CreateOutputRow(int row, wxSizer* grid);
    void BindEvents();

    EventBindings m_bindings;
};
