#include "VessarQuilixFrame.h"

#include "LayoutHelpers.h"

#include "VessarQuilixArtProvider.h"

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

namespace {

// wxDEFAULT_FRAME_STYLE without resizing and maximising.
constexpr long kFrameStyle =
    wxCAPTION | wxCLIP_CHILDREN | wxTAB_TRAVERSAL | wxCLOSE_BOX | wxSYSTEM_MENU | wxMINIMIZE_BOX;
// The "..." buttons are as small as the toolkit's theme lets them show their label.
const wxSize kFileButtonSize(30, 25);
constexpr long kFileButtonStyle = wxBU_EXACTFIT;
const wxSize kSliderSize(-1, 90);

wxSlider* VerticalSlider(wxWindow* parent, int id, int value, int low, int high)
{
    // Inverted so that the larger values are at the top, as on a mixing desk.
    return new wxSlider(parent, id, value, low, high, wxDefaultPosition, kSliderSize,
                        wxSL_VERTICAL | wxSL_LABELS | wxSL_INVERSE);
}

}  // namespace

VessarQuilixFrame::VessarQuilixFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxFrame(nullptr, ID_MAIN_FRAME, title, pos, size, kFrameStyle), m_connections(this)
{
    // The program's images must be there before the first control asks for one.
    wxArtProvider::Push(new VessarQuilixArtProvider);
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    CreateMenus();
    m_statusBar = CreateStatusBar(3, 0, ID_STATUS_BAR);

    m_mainPanel = new wxPanel(this, ID_MAIN_PANEL, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* mainSizer = new wxBoxSizer(wxVERTICAL);
    mainSizer->Add(CreateModePanel(), 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_HORIZONTAL, 10);
    mainSizer->Add(CreateProcessPanel(), 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_HORIZONTAL, 10);
    mainSizer->Add(CreateOutputPanel(), 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_HORIZONTAL, 10);
    m_staticLine = new wxStaticLine(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
    mainSizer->Add(m_staticLine, 0, wxEXPAND | wxALL, 5);
    mainSizer->Add(CreateBottomPanel(), 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    FitToSizer(m_mainPanel, mainSizer);

    wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(m_mainPanel, 0, wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(frameSizer);
    Layout();
    frameSizer->Fit(this);

    ConnectEvents();
}

VessarQuilixFrame::~VessarQuilixFrame()
{
    m_connections.DisconnectAll();
}

void VessarQuilixFrame::CreateMenus()
{
    m_menubar = new wxMenuBar(0);
    m_menuFile = new wxMenu();
    m_menuFile->Append(ID_MENU_RESET, "&Reset\tCtrl+R", "Reset fields");
    m_menuFile->Append(ID_MENU_PREFERENCES, "&Preferences\tAlt+P", "Show preferencies dialog");
    m_menuFile->Append(ID_MENU_QUIT, "&Quit\tAlt+F4", "Quit the application");
    m_menuHelp = new wxMenu();
    m_menuHelp->Append(wxID_HELP, "&Contents\tF1", "Help page");
    m_menuHelp->Append(ID_MENU_ABOUT, "&About", "Show info about this application");
    m_menubar->Append(m_menuFile, "&File");
    m_menubar->Append(m_menuHelp, "&Help");
    SetMenuBar(m_menubar);
}

wxPanel* VessarQuilixFrame::CreateModePanel()
{
    m_modePanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* modeRow = new wxBoxSizer(wxHORIZONTAL);
    m_modeLabel = MakeLabel(m_modePanel, wxID_ANY, "Select Output Mode:");
    modeRow->Add(m_modeLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    const wxString modes[] = {"B-Format", "5.1"};
    m_modeChoice = new wxChoice(m_modePanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, modes, 0);
    m_modeChoice->SetSelection(0);
    modeRow->Add(m_modeChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(modeRow, 0, wxALIGN_CENTER_HORIZONTAL, 5);
    sizer->Add(0, 10, 0, 0, 5);

    wxStaticBoxSizer* inputBox = new wxStaticBoxSizer(new wxStaticBox(m_modePanel, wxID_ANY, "Input"), wxVERTICAL);
    wxFlexGridSizer* grid = new wxFlexGridSizer(2, 3, 0, 0);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    const wxSize textSize(400, -1);
    m_fluFrdLabel = MakeLabel(m_modePanel, wxID_ANY, "FLU + FRD :");
    grid->Add(m_fluFrdLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 8);
    m_fluFrdText =
        new wxTextCtrl(m_modePanel, ID_FLU_FRD_TEXT, wxEmptyString, wxDefaultPosition, textSize, wxTE_PROCESS_ENTER);
    grid->Add(m_fluFrdText, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_fluFrdButton = new wxButton(m_modePanel, ID_FLU_FRD_BUTTON, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
    grid->Add(m_fluFrdButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bldBruLabel = MakeLabel(m_modePanel, wxID_ANY, "BLD + BRU :");
    grid->Add(m_bldBruLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 10);
    m_bldBruText =
        new wxTextCtrl(m_modePanel, ID_BLD_BRU_TEXT, wxEmptyString, wxDefaultPosition, textSize, wxTE_PROCESS_ENTER);
    grid->Add(m_bldBruText, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bldBruButton = new wxButton(m_modePanel, ID_BLD_BRU_BUTTON, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
    grid->Add(m_bldBruButton, 0, wxALL, 5);
    inputBox->Add(grid, 1, wxEXPAND, 5);
    sizer->Add(inputBox, 1, wxEXPAND, 5);

    FitToSizer(m_modePanel, sizer);
    return m_modePanel;
}

wxPanel* VessarQuilixFrame::CreateProcessPanel()
{
    m_processPanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);

    wxStaticBoxSizer* bformat = new wxStaticBoxSizer(
        new wxStaticBox(m_processPanel, ID_BFORMAT_BOX, "B-Format Process Controls"), wxHORIZONTAL);
    m_bfGainLabel = MakeLabel(m_processPanel, ID_BFORMAT_GAIN_LABEL, "Gain (dB)");
    bformat->Add(m_bfGainLabel, 0, wxTOP | wxLEFT, 5);
    m_bfGainSlider = VerticalSlider(m_processPanel, ID_BFORMAT_GAIN_SLIDER, -3, -15, 15);
    bformat->Add(m_bfGainSlider, 0, wxALL, 5);
    m_bfAutorangeCheck = new wxCheckBox(m_processPanel, ID_BFORMAT_AUTORANGE, "Autorange", wxDefaultPosition,
                                        wxDefaultSize, wxALIGN_RIGHT);
    bformat->Add(m_bfAutorangeCheck, 0, wxALL | wxALIGN_BOTTOM, 3);
    sizer->Add(bformat, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    sizer->Add(10, 0, 1, 0, 5);

    wxStaticBoxSizer* surround =
        new wxStaticBoxSizer(new wxStaticBox(m_processPanel, ID_SURROUND_BOX, "5.1 Process Controls"), wxHORIZONTAL);
    m_surGainLabel = MakeLabel(m_processPanel, ID_SURROUND_GAIN_LABEL, "Gain (dB)");
    surround->Add(m_surGainLabel, 0, wxTOP | wxLEFT, 5);
    m_surGainSlider = VerticalSlider(m_processPanel, ID_SURROUND_GAIN_SLIDER, -3, -15, 15);
    surround->Add(m_surGainSlider, 0, wxALL, 5);
    m_angleLabel = MakeLabel(m_processPanel, ID_ANGLE_LABEL, "Opening\n Angle (deg)");
    surround->Add(m_angleLabel, 0, wxALL, 5);
    m_angleSlider = VerticalSlider(m_processPanel, ID_ANGLE_SLIDER, 60, 15, 90);
    surround->Add(m_angleSlider, 0, wxALL, 5);
    wxBoxSizer* checks = new wxBoxSizer(wxVERTICAL);
    m_surAutorangeCheck = new wxCheckBox(m_processPanel, ID_SURROUND_AUTORANGE, "Autorange", wxDefaultPosition,
                                         wxDefaultSize, wxALIGN_RIGHT);
    checks->Add(m_surAutorangeCheck, 0, wxALL | wxALIGN_RIGHT, 5);
    m_lfeCheck =
        new wxCheckBox(m_processPanel, ID_LFE, "Low Freqs in Lfe", wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
    checks->Add(m_lfeCheck, 0, wxALL | wxALIGN_RIGHT, 5);
    surround->Add(checks, 1, wxALIGN_BOTTOM, 5);
    sizer->Add(surround, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);

    FitToSizer(m_processPanel, sizer);
    return m_processPanel;
}

void VessarQuilixFrame::CreateOutputRow(int number, int firstId, wxSizer* grid, wxStaticText*& label, wxTextCtrl*& text,
                                        wxButton*& button)
{
    label = MakeLabel(m_outputPanel, firstId, wxString::Format("%d:", number));
    grid->Add(label, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    text = new wxTextCtrl(m_outputPanel, firstId + 1, wxEmptyString, wxDefaultPosition, wxSize(200, -1),
                          wxTE_PROCESS_ENTER);
    grid->Add(text, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    button = new wxButton(m_outputPanel, firstId + 2, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
    grid->Add(button, 0, number == 3 ? wxALL : wxALL | wxALIGN_CENTER_VERTICAL, 5);
}

wxPanel* VessarQuilixFrame::CreateOutputPanel()
{
    m_outputPanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxStaticBoxSizer* sizer = new wxStaticBoxSizer(new wxStaticBox(m_outputPanel, ID_OUTPUT_BOX, "Output"), wxVERTICAL);

    wxBoxSizer* filesRow = new wxBoxSizer(wxHORIZONTAL);
    m_filesLabel = MakeLabel(m_outputPanel, wxID_ANY, "How many files? ");
    filesRow->Add(m_filesLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    const wxString layouts[] = {"4 (Mono)", "2 (Stereo)", "1 (Four channels)"};
    m_filesChoice = new wxChoice(m_outputPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, layouts, 0);
    m_filesChoice->SetSelection(0);
    filesRow->Add(m_filesChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(filesRow, 0, wxALIGN_CENTER_HORIZONTAL, 5);

    // Rows 1, 2, 3 fill the left half of the grid and 4, 5, 6 the right half; the grid
    // fills row by row, so the rows are made in the order 1, 4, 2, 5, 3, 6.
    wxFlexGridSizer* grid = new wxFlexGridSizer(3, 6, 0, 0);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    CreateOutputRow(1, ID_OUT_LABEL1, grid, m_outLabel1, m_outText1, m_outButton1);
    CreateOutputRow(4, ID_OUT_LABEL1 + 3, grid, m_outLabel4, m_outText4, m_outButton4);
    CreateOutputRow(2, ID_OUT_LABEL1 + 6, grid, m_outLabel2, m_outText2, m_outButton2);
    CreateOutputRow(5, ID_OUT_LABEL1 + 9, grid, m_outLabel5, m_outText5, m_outButton5);
    CreateOutputRow(3, ID_OUT_LABEL1 + 12, grid, m_outLabel3, m_outText3, m_outButton3);
    CreateOutputRow(6, ID_OUT_LABEL1 + 15, grid, m_outLabel6, m_outText6, m_outButton6);
    sizer->Add(grid, 1, wxEXPAND, 5);

    FitToSizer(m_outputPanel, sizer);
    return m_outputPanel;
}

wxPanel* VessarQuilixFrame::CreateBottomPanel()
{
    m_bottomPanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_logoBitmap = new wxStaticBitmap(m_bottomPanel, wxID_ANY,
                                      wxArtProvider::GetBitmap("label_b_alpha", wxART_OTHER, wxDefaultSize));
    sizer->Add(m_logoBitmap, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_convertButton = new wxBitmapButton(m_bottomPanel, ID_CONVERT,
                                         wxArtProvider::GetBitmap("conv_small", wxART_OTHER, wxDefaultSize),
                                         wxDefaultPosition, wxSize(80, 80), wxBU_AUTODRAW);
    sizer->Add(m_convertButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    FitToSizer(m_bottomPanel, sizer);
    return m_bottomPanel;
}

void VessarQuilixFrame::ConnectEvents()
{
    EventConnections& c = m_connections;
    c.Connect(this, wxID_ANY, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(VessarQuilixFrame::OnClose));
    c.Connect(this, ID_MENU_RESET, wxEVT_MENU, wxCommandEventHandler(VessarQuilixFrame::OnReset));
    c.Connect(this, ID_MENU_PREFERENCES, wxEVT_MENU, wxCommandEventHandler(VessarQuilixFrame::OnPreferences));
    c.Connect(this, ID_MENU_QUIT, wxEVT_MENU, wxCommandEventHandler(VessarQuilixFrame::OnQuit));
    c.Connect(this, wxID_HELP, wxEVT_MENU, wxCommandEventHandler(VessarQuilixFrame::OnHelpContents));
    c.Connect(this, ID_MENU_ABOUT, wxEVT_MENU, wxCommandEventHandler(VessarQuilixFrame::OnAbout));
    c.Connect(m_modeChoice, wxID_ANY, wxEVT_CHOICE, wxCommandEventHandler(VessarQuilixFrame::OnModeChoice));
    c.Connect(m_fluFrdText, wxID_ANY, wxEVT_TEXT, wxCommandEventHandler(VessarQuilixFrame::OnFluFrdText));
    c.Connect(m_fluFrdText, wxID_ANY, wxEVT_TEXT_ENTER, wxCommandEventHandler(VessarQuilixFrame::OnFluFrdTextEnter));
    c.Connect(m_fluFrdButton, wxID_ANY, wxEVT_BUTTON, wxCommandEventHandler(VessarQuilixFrame::OnFluFrdButton));
    c.Connect(m_bldBruText, wxID_ANY, wxEVT_TEXT, wxCommandEventHandler(VessarQuilixFrame::OnBldBruText));
    c.Connect(m_bldBruText, wxID_ANY, wxEVT_TEXT_ENTER, wxCommandEventHandler(VessarQuilixFrame::OnBldBruTextEnter));
    c.Connect(m_bldBruButton, wxID_ANY, wxEVT_BUTTON, wxCommandEventHandler(VessarQuilixFrame::OnBldBruButton));

    // A slider handler runs on every movement, dragging included.
    const wxEventType scrollEvents[] = {wxEVT_SCROLL_TOP,        wxEVT_SCROLL_BOTTOM,       wxEVT_SCROLL_LINEUP,
                                        wxEVT_SCROLL_LINEDOWN,   wxEVT_SCROLL_PAGEUP,       wxEVT_SCROLL_PAGEDOWN,
                                        wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED};
    auto connectScroll = [&](wxSlider* slider, wxObjectEventFunction handler) {
        for (wxEventType type : scrollEvents)
            c.Connect(slider, wxID_ANY, type, handler);
    };
    connectScroll(m_bfGainSlider, wxScrollEventHandler(VessarQuilixFrame::OnBFormatGainScroll));
    c.Connect(m_bfAutorangeCheck, wxID_ANY, wxEVT_CHECKBOX,
              wxCommandEventHandler(VessarQuilixFrame::OnBFormatAutorange));
    connectScroll(m_surGainSlider, wxScrollEventHandler(VessarQuilixFrame::OnSurroundGainScroll));
    connectScroll(m_angleSlider, wxScrollEventHandler(VessarQuilixFrame::OnAngleScroll));
    c.Connect(m_surAutorangeCheck, wxID_ANY, wxEVT_CHECKBOX,
              wxCommandEventHandler(VessarQuilixFrame::OnSurroundAutorange));
    c.Connect(m_lfeCheck, wxID_ANY, wxEVT_CHECKBOX, wxCommandEventHandler(VessarQuilixFrame::OnLowFreqsInLfe));
    c.Connect(m_filesChoice, wxID_ANY, wxEVT_CHOICE, wxCommandEventHandler(VessarQuilixFrame::OnFilesChoice));

    auto connectRow = [&](wxTextCtrl* text, wxButton* button, wxObjectEventFunction onText,
                          wxObjectEventFunction onEnter, wxObjectEventFunction onButton) {
        c.Connect(text, wxID_ANY, wxEVT_TEXT, onText);
        c.Connect(text, wxID_ANY, wxEVT_TEXT_ENTER, onEnter);
        c.Connect(button, wxID_ANY, wxEVT_BUTTON, onButton);
    };
    connectRow(m_outText1, m_outButton1, wxCommandEventHandler(VessarQuilixFrame::OnOutText1),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter1),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton1));
    connectRow(m_outText4, m_outButton4, wxCommandEventHandler(VessarQuilixFrame::OnOutText4),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter4),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton4));
    connectRow(m_outText2, m_outButton2, wxCommandEventHandler(VessarQuilixFrame::OnOutText2),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter2),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton2));
    connectRow(m_outText5, m_outButton5, wxCommandEventHandler(VessarQuilixFrame::OnOutText5),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter5),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton5));
    connectRow(m_outText3, m_outButton3, wxCommandEventHandler(VessarQuilixFrame::OnOutText3),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter3),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton3));
    connectRow(m_outText6, m_outButton6, wxCommandEventHandler(VessarQuilixFrame::OnOutText6),
               wxCommandEventHandler(VessarQuilixFrame::OnOutTextEnter6),
               wxCommandEventHandler(VessarQuilixFrame::OnOutButton6));
    c.Connect(m_convertButton, wxID_ANY, wxEVT_BUTTON, wxCommandEventHandler(VessarQuilixFrame::OnConvert));
}
