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
    : wxFrame(nullptr, ID_MAIN_FRAME, title, pos, size, kFrameStyle)
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

    BindEvents();
}

VessarQuilixFrame::~VessarQuilixFrame()
{
    m_bindings.UnbindAll();
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
    m_fluFrdText = new wxTextCtrl(m_modePanel, ID_FLU_FRD_TEXT, wxEmptyString, wxDefaultPosition, textSize);
    grid->Add(m_fluFrdText, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_fluFrdButton =
        new wxButton(m_modePanel, ID_FLU_FRD_BUTTON, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
    grid->Add(m_fluFrdButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bldBruLabel = MakeLabel(m_modePanel, wxID_ANY, "BLD + BRU :");
    grid->Add(m_bldBruLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 10);
    m_bldBruText = new wxTextCtrl(m_modePanel, ID_BLD_BRU_TEXT, wxEmptyString, wxDefaultPosition, textSize);
    grid->Add(m_bldBruText, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bldBruButton =
        new wxButton(m_modePanel, ID_BLD_BRU_BUTTON, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
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

void VessarQuilixFrame::CreateOutputRow(int row, wxSizer* grid)
{
    m_outLabels[row] = MakeLabel(m_outputPanel, wxID_ANY, wxString::Format("%d:", row + 1));
    grid->Add(m_outLabels[row], 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_outTexts[row] = new wxTextCtrl(m_outputPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(200, -1));
    grid->Add(m_outTexts[row], 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_outButtons[row] =
        new wxButton(m_outputPanel, wxID_ANY, "...", wxDefaultPosition, kFileButtonSize, kFileButtonStyle);
    grid->Add(m_outButtons[row], 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
}

int VessarQuilixFrame::OutputRowOf(const wxObject* source) const
{
    for (int row = 0; row < kOutputRows; ++row)
        if (source == m_outTexts[row] || source == m_outButtons[row])
            return row;
    return -1;
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
    for (int row : {0, 3, 1, 4, 2, 5})
        CreateOutputRow(row, grid);
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

void VessarQuilixFrame::BindEvents()
{
    EventBindings& b = m_bindings;
    b.Bind(this, wxEVT_CLOSE_WINDOW, &VessarQuilixFrame::OnClose, this);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnReset, this, ID_MENU_RESET);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnPreferences, this, ID_MENU_PREFERENCES);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnQuit, this, ID_MENU_QUIT);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnHelpContents, this, wxID_HELP);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnAbout, this, ID_MENU_ABOUT);
    b.Bind(m_modeChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnModeChoice, this);
    b.Bind(m_fluFrdText, wxEVT_TEXT, &VessarQuilixFrame::OnFluFrdText, this);
    b.Bind(m_fluFrdButton, wxEVT_BUTTON, &VessarQuilixFrame::OnFluFrdButton, this);
    b.Bind(m_bldBruText, wxEVT_TEXT, &VessarQuilixFrame::OnBldBruText, this);
    b.Bind(m_bldBruButton, wxEVT_BUTTON, &VessarQuilixFrame::OnBldBruButton, this);
    b.Bind(m_bfGainSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnBFormatGainSlider, this);
    b.Bind(m_bfAutorangeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnBFormatAutorange, this);
    b.Bind(m_surGainSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnSurroundGainSlider, this);
    b.Bind(m_angleSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnAngleSlider, this);
    b.Bind(m_surAutorangeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnSurroundAutorange, this);
    b.Bind(m_lfeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnLowFreqsInLfe, this);
    b.Bind(m_filesChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnFilesChoice, this);
    for (int row = 0; row < kOutputRows; ++row) {
        b.Bind(m_outTexts[row], wxEVT_TEXT, &VessarQuilixFrame::OnOutputText, this);
        b.Bind(m_outButtons[row], wxEVT_BUTTON, &VessarQuilixFrame::OnOutputButton, this);
    }
    b.Bind(m_convertButton, wxEVT_BUTTON, &VessarQuilixFrame::OnConvert, this);
}
