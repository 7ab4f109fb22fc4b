#include "VessarQuilixFrame.h"

#include "DecodeModes.h"
#include "LayoutHelpers.h"
#include "TakeKinds.h"

#include "VessarQuilixArtProvider.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

constexpr long kFrameStyle = wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL;
// The "..." buttons are as small as the toolkit's theme lets them show their label.
constexpr long kFileButtonStyle = wxBU_EXACTFIT;
// The rate and the filter length fields of the status bar; the first field takes the rest.
constexpr int kInfoFieldWidth = 100;

wxSlider* VerticalSlider(wxWindow* parent, int value, int low, int high)
{
    // Inverted so that the larger values are at the top, as on a mixing desk.
    return new wxSlider(parent, wxID_ANY, value, low, high, wxDefaultPosition, wxDefaultSize,
                        wxSL_VERTICAL | wxSL_LABELS | wxSL_INVERSE);
}

// The label of a slider, whose mnemonic (Alt + the underlined letter) moves the focus to
// the slider. The toolkit would link it to the box that holds the slider with its range
// labels, which cannot take the focus (and GTK warns); it is linked to the slider itself.
class SliderLabel : public wxStaticText {
public:
    SliderLabel(wxWindow* parent, const wxString& text) : wxStaticText(parent, wxID_ANY, text) { Wrap(-1); }
    void LinkTo(wxSlider* slider) { m_slider = slider; }

#ifdef __WXGTK__
protected:
    void GTKWidgetDoSetMnemonic(GtkWidget* widget) override
    {
        wxStaticText::GTKWidgetDoSetMnemonic(m_slider ? m_slider->m_scale : widget);
    }
#endif

private:
    wxSlider* m_slider = nullptr;
};

// A slider and its label, in that order of creation and of the sizer.
wxSlider* LabelledSlider(wxWindow* parent, wxSizer* sizer, const wxString& label, int value, int low, int high,
                         wxStaticText** labelMade)
{
    SliderLabel* text = new SliderLabel(parent, label);
    sizer->Add(text, 0, wxTOP | wxLEFT, 5);
    wxSlider* slider = VerticalSlider(parent, value, low, high);
    sizer->Add(slider, 0, wxALL, 5);
    text->LinkTo(slider);
    *labelMade = text;
    return slider;
}

// A field of an angle in degrees, as wide as its longest value needs.
class AngleField : public wxTextCtrl {
public:
    explicit AngleField(wxWindow* parent) : wxTextCtrl(parent, wxID_ANY, "0") {}

protected:
    wxSize DoGetBestSize() const override { return GetSizeFromTextSize(GetTextExtent("-180.55").x); }
};

// A field of four channel numbers, as wide as "10,11,12,13" needs.
class ChannelListField : public wxTextCtrl {
public:
    explicit ChannelListField(wxWindow* parent) : wxTextCtrl(parent, wxID_ANY) {}

protected:
    wxSize DoGetBestSize() const override { return GetSizeFromTextSize(GetTextExtent("10,11,12,13").x); }
};

wxButton* FileButton(wxWindow* parent)
{
    return new wxButton(parent, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, kFileButtonStyle);
}

}  // namespace

VessarQuilixFrame::VessarQuilixFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, pos, size, kFrameStyle)
{
    // The program's images must be there before the first control asks for one.
    wxArtProvider::Push(new VessarQuilixArtProvider);
    CreateMenus();
    m_statusBar = CreateStatusBar(kStatusFields);
    const int widths[kStatusFields] = {-1, kInfoFieldWidth, kInfoFieldWidth};
    m_statusBar->SetStatusWidths(kStatusFields, widths);

    // Created from the top down, so that Tab follows the layout.
    m_mainPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    // The option boxes scroll on a screen too low for them; Convert stays in sight.
    m_optionsPanel = new wxScrolledWindow(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                          wxTAB_TRAVERSAL | wxVSCROLL);
    m_optionsPanel->SetScrollRate(0, 10);
    wxBoxSizer* options = new wxBoxSizer(wxVERTICAL);
    options->Add(CreateModePanel(), 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 5);
    options->Add(CreateProcessPanel(), 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_HORIZONTAL, 5);
    options->Add(CreateOutputPanel(), 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    // What changes the sound beyond the defaults; the line keeps its room when empty.
    m_processingLine = new wxStaticText(m_optionsPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                        wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    m_processingLine->SetForegroundColour(wxColour(0xB0, 0x3A, 0x00));
    m_processingLine->SetMinSize(wxSize(-1, m_processingLine->GetCharHeight()));
    options->Add(m_processingLine, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
    m_optionsPanel->SetSizer(options);
    wxBoxSizer* mainSizer = new wxBoxSizer(wxVERTICAL);
    mainSizer->Add(m_optionsPanel, 1, wxEXPAND);
    m_staticLine = new wxStaticLine(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
    mainSizer->Add(m_staticLine, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 5);
    mainSizer->Add(CreateBottomPanel(), 0, wxALIGN_CENTER_HORIZONTAL);
    m_mainPanel->SetSizer(mainSizer);

    wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(m_mainPanel, 1, wxEXPAND);
    SetSizer(frameSizer);
    FitToContents();

    BindEvents();
}

VessarQuilixFrame::~VessarQuilixFrame()
{
    m_bindings.UnbindAll();
}

void VessarQuilixFrame::FitToContents(const wxRect& screen)
{
    // The size the sizers need is the smallest, but on a screen too low for it the window
    // takes the screen's height and the option boxes scroll, beside their scroll bar.
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    const wxSize options = m_optionsPanel->GetSizer()->GetMinSize();
    m_optionsPanel->SetMinSize(options);
    Layout();
    GetSizer()->Fit(this);
    // The window manager's title bar and borders take room of the screen too; the toolkit
    // counts them in the size only once it has learned them.
    const int caption = std::max(0, wxSystemSettings::GetMetric(wxSYS_CAPTION_Y, this));
    const int border = std::max(0, wxSystemSettings::GetMetric(wxSYS_FRAMESIZE_Y, this));
    const int excess = GetSize().y + caption + 2 * border - screen.height;
    if (excess > 0) {
        m_optionsPanel->SetMinSize(wxSize(options.x + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this),
                                          std::max(options.y - excess, 0)));
        GetSizer()->Fit(this);
    }
    SetSizeHints(GetSize(), wxDefaultSize);
    Layout();
    m_optionsPanel->FitInside();
}

void VessarQuilixFrame::RefitHeight()
{
    const int width = GetSize().x;
    FitToContents();
    if (width > GetSize().x)
        SetSize(width, GetSize().y);
}

void VessarQuilixFrame::CreateMenus()
{
    m_menubar = new wxMenuBar(0);
    m_menuFile = new wxMenu();
    m_menuFile->Append(ID_MENU_OPEN, "&Open...\tCtrl+O", "Open the file of a take (its first file)");
    m_menuFile->Append(ID_MENU_RESET, "&Reset\tCtrl+R", "Put every setting of the window back, as on a first start");
    wxMenuItem* preferences =
        m_menuFile->Append(ID_MENU_PREFERENCES, "&Preferences...\tCtrl+P", "Show the preferences dialog");
    preferences->AddExtraAccel(wxAcceleratorEntry(wxACCEL_CTRL, ','));
    m_menuFile->AppendSeparator();
    m_menuFile->Append(ID_MENU_QUIT, "&Quit\tCtrl+Q", "Quit the application");
    m_menuHelp = new wxMenu();
    m_menuHelp->Append(wxID_HELP, "&Contents\tF1", "Open the user guide in the web browser");
    m_menuHelp->Append(ID_MENU_ABOUT, "&About", "Show info about this application");
    m_menubar->Append(m_menuFile, "&File");
    m_menubar->Append(m_menuHelp, "&Help");
    SetMenuBar(m_menubar);
}

wxPanel* VessarQuilixFrame::CreateModePanel()
{
    m_modePanel = new wxPanel(m_optionsPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);

    wxBoxSizer* modeRow = new wxBoxSizer(wxHORIZONTAL);
    m_modeLabel = MakeLabel(m_modePanel, wxID_ANY, "Select Output &Mode:");
    modeRow->Add(m_modeLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    wxArrayString modes;
    for (const vq::DecodeMode& mode : vq::DecodeModes())
        modes.Add(mode.label);
    m_modeChoice = new wxChoice(m_modePanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, modes, 0);
    m_modeChoice->SetSelection(0);
    modeRow->Add(m_modeChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    modeRow->AddSpacer(15);
    m_keepSyncCheck = new wxCheckBox(m_modePanel, wxID_ANY, "Keep sync (delay &0)");
    modeRow->Add(m_keepSyncCheck, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(modeRow, 0, wxALIGN_CENTER_HORIZONTAL);

    wxStaticBoxSizer* inputBox = new wxStaticBoxSizer(new wxStaticBox(m_modePanel, wxID_ANY, "Input"), wxVERTICAL);
    wxFlexGridSizer* grid = new wxFlexGridSizer(0, 4, 0, 0);
    grid->AddGrowableCol(1);
    const wxSize textSize(400, -1);
    const int flags = wxLEFT | wxRIGHT | wxTOP | wxALIGN_CENTER_VERTICAL;
    m_fluFrdLabel = MakeLabel(m_modePanel, wxID_ANY, "FL&U + FRD :");
    grid->Add(m_fluFrdLabel, 0, flags, 5);
    m_fluFrdText = new wxTextCtrl(m_modePanel, wxID_ANY, wxEmptyString, wxDefaultPosition, textSize);
    wxBoxSizer* frontRow = new wxBoxSizer(wxHORIZONTAL);
    frontRow->Add(m_fluFrdText, 1, wxALIGN_CENTER_VERTICAL);
    m_polyLabel = MakeLabel(m_modePanel, wxID_ANY, "Capsule &quad:");
    frontRow->Add(m_polyLabel, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 10);
    m_polyText = new ChannelListField(m_modePanel);
    frontRow->Add(m_polyText, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 5);
    m_polyLabel->Hide();
    m_polyText->Hide();
    grid->Add(frontRow, 1, flags | wxEXPAND, 5);
    m_fluFrdButton = FileButton(m_modePanel);
    grid->Add(m_fluFrdButton, 0, flags, 5);
    // How a 4-channel take is read: capsules, or B-format (which skips the filters).
    wxArrayString formats;
    for (const vq::InputFormatChoice& format : vq::InputFormatChoices())
        formats.Add(format.label);
    m_inputFormatChoice = new wxChoice(m_modePanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, formats);
    m_inputFormatChoice->SetSelection(0);
    grid->Add(m_inputFormatChoice, 0, flags, 5);
    m_bldBruLabel = MakeLabel(m_modePanel, wxID_ANY, "&BLD + BRU :");
    grid->Add(m_bldBruLabel, 0, flags, 5);
    m_bldBruText = new wxTextCtrl(m_modePanel, wxID_ANY, wxEmptyString, wxDefaultPosition, textSize);
    grid->Add(m_bldBruText, 1, flags | wxEXPAND, 5);
    m_bldBruButton = FileButton(m_modePanel);
    grid->Add(m_bldBruButton, 0, flags, 5);
    grid->AddSpacer(0);
    // The parts of a split recording, joined or not; shown only for such files.
    grid->AddSpacer(0);
    m_joinCheck = new wxCheckBox(m_modePanel, wxID_ANY, "&Join parts");
    m_joinCheck->Hide();
    grid->Add(m_joinCheck, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    grid->AddSpacer(0);
    grid->AddSpacer(0);
    // What is wrong with the take, under its fields; shown only then.
    grid->AddSpacer(0);
    m_inputNote = new wxStaticText(m_modePanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    m_inputNote->SetForegroundColour(wxColour(0xC0, 0x10, 0x10));
    m_inputNote->Hide();
    grid->Add(m_inputNote, 0, wxLEFT | wxRIGHT | wxTOP | wxEXPAND, 5);
    grid->AddSpacer(0);
    grid->AddSpacer(0);
    inputBox->Add(grid, 1, wxEXPAND);
    sizer->Add(inputBox, 0, wxEXPAND);

    m_modePanel->SetSizer(sizer);
    return m_modePanel;
}

wxPanel* VessarQuilixFrame::CreateProcessPanel()
{
    m_processPanel = new wxPanel(m_optionsPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);

    m_bformatBox = new wxStaticBox(m_processPanel, wxID_ANY, "B-Format Process Controls");
    wxStaticBoxSizer* bformat = new wxStaticBoxSizer(m_bformatBox, wxHORIZONTAL);
    m_bfGainSlider = LabelledSlider(m_processPanel, bformat, "&Gain (dB)", -3, -15, 15, &m_bfGainLabel);
    wxBoxSizer* bformatColumn = new wxBoxSizer(wxVERTICAL);
    m_highpassLabel = MakeLabel(m_processPanel, wxID_ANY, "High-&pass:");
    bformatColumn->Add(m_highpassLabel, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    m_highpassChoice = new wxChoice(m_processPanel, wxID_ANY);
    bformatColumn->Add(m_highpassChoice, 0, wxALL | wxEXPAND, 5);
    bformatColumn->AddStretchSpacer();
    m_bfAutorangeCheck =
        new wxCheckBox(m_processPanel, wxID_ANY, "&Autorange", wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
    bformatColumn->Add(m_bfAutorangeCheck, 0, wxALL | wxALIGN_RIGHT, 3);
    bformat->Add(bformatColumn, 0, wxEXPAND);
    // The sound field can be turned before it is written or decoded, in every mode.
    wxBoxSizer* rotateColumn = new wxBoxSizer(wxVERTICAL);
    m_rotateLabel = MakeLabel(m_processPanel, wxID_ANY, "Rotate &yaw, pitch, roll (deg):");
    rotateColumn->Add(m_rotateLabel, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    wxBoxSizer* rotateRow = new wxBoxSizer(wxHORIZONTAL);
    for (wxTextCtrl*& field : m_rotateFields) {
        field = new AngleField(m_processPanel);
        rotateRow->Add(field, 0, wxALL, 3);
    }
    rotateColumn->Add(rotateRow, 0, wxLEFT | wxRIGHT, 2);
    bformat->Add(rotateColumn, 0, wxLEFT, 5);
    sizer->Add(bformat, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    sizer->AddSpacer(10);

    m_surroundBox = new wxStaticBox(m_processPanel, wxID_ANY, "5.1 Process Controls");
    wxStaticBoxSizer* surround = new wxStaticBoxSizer(m_surroundBox, wxHORIZONTAL);
    m_surGainSlider = LabelledSlider(m_processPanel, surround, "Ga&in (dB)", -3, -15, 15, &m_surGainLabel);
    m_angleSlider = LabelledSlider(m_processPanel, surround, "&Opening\n Angle (deg)", 60, 15, 90, &m_angleLabel);
    wxBoxSizer* checks = new wxBoxSizer(wxVERTICAL);
    m_surAutorangeCheck =
        new wxCheckBox(m_processPanel, wxID_ANY, "Autora&nge", wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
    checks->Add(m_surAutorangeCheck, 0, wxALL | wxALIGN_RIGHT, 5);
    m_lfeCheck =
        new wxCheckBox(m_processPanel, wxID_ANY, "Low Freqs in &Lfe", wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
    checks->Add(m_lfeCheck, 0, wxALL | wxALIGN_RIGHT, 5);
    // What the other decodes take; the window shows those of the chosen mode.
    m_decoderLabel = MakeLabel(m_processPanel, wxID_ANY, "Decode &kind:");
    checks->Add(m_decoderLabel, 0, wxLEFT | wxRIGHT, 5);
    m_decoderChoice = new wxChoice(m_processPanel, wxID_ANY);  // the mode's decoders
    checks->Add(m_decoderChoice, 0, wxALL | wxEXPAND, 5);
    m_patternLabel = MakeLabel(m_processPanel, wxID_ANY, "&XY pattern:");
    checks->Add(m_patternLabel, 0, wxLEFT | wxRIGHT, 5);
    m_patternChoice = new wxChoice(m_processPanel, wxID_ANY);
    checks->Add(m_patternChoice, 0, wxALL | wxEXPAND, 5);
    wxBoxSizer* pair = new wxBoxSizer(wxHORIZONTAL);
    m_pairAngleLabel = MakeLabel(m_processPanel, wxID_ANY, "&Spread");
    pair->Add(m_pairAngleLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_pairAngleSpin =
        new wxSpinCtrl(m_processPanel, wxID_ANY, "90", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 180, 90);
    pair->Add(m_pairAngleSpin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_aimLabel = MakeLabel(m_processPanel, wxID_ANY, "A&zimuth");
    pair->Add(m_aimLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_aimSpin =
        new wxSpinCtrl(m_processPanel, wxID_ANY, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, -180, 180, 0);
    pair->Add(m_aimSpin, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    checks->Add(pair);
    m_hrtfButton = new wxButton(m_processPanel, wxID_ANY, wxEmptyString);
    checks->Add(m_hrtfButton, 0, wxALL, 5);
    surround->Add(checks, 1, wxALIGN_BOTTOM);
    sizer->Add(surround, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    m_processPanel->SetSizer(sizer);
    return m_processPanel;
}

wxSizer* VessarQuilixFrame::CreateFormatRow()
{
    // How many files, then their format and convention, in one row.
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    const int flags = wxALL | wxALIGN_CENTER_VERTICAL;
    m_filesLabel = MakeLabel(m_outputPanel, wxID_ANY, "Ho&w many files? ");
    row->Add(m_filesLabel, 0, flags, 5);
    m_filesChoice = new wxChoice(m_outputPanel, wxID_ANY);
    row->Add(m_filesChoice, 0, flags, 5);
    row->AddSpacer(15);
    m_formatLabel = MakeLabel(m_outputPanel, wxID_ANY, "Fo&rmat:");
    row->Add(m_formatLabel, 0, flags, 5);
    m_containerChoice = new wxChoice(m_outputPanel, wxID_ANY);
    row->Add(m_containerChoice, 0, flags, 5);
    m_sampleChoice = new wxChoice(m_outputPanel, wxID_ANY);
    row->Add(m_sampleChoice, 0, flags, 5);
    m_ditherCheck = new wxCheckBox(m_outputPanel, wxID_ANY, "&Dither (TPDF)");
    row->Add(m_ditherCheck, 0, flags, 5);
    row->AddSpacer(15);
    m_conventionLabel = MakeLabel(m_outputPanel, wxID_ANY, "Con&vention:");
    row->Add(m_conventionLabel, 0, flags, 5);
    m_conventionChoice = new wxChoice(m_outputPanel, wxID_ANY);
    row->Add(m_conventionChoice, 0, flags, 5);
    return row;
}

wxSizer* VessarQuilixFrame::CreateFolderRow()
{
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    const int flags = wxALL | wxALIGN_CENTER_VERTICAL;
    m_folderLabel = MakeLabel(m_outputPanel, wxID_ANY, "Fold&er:");
    row->Add(m_folderLabel, 0, flags, 5);
    m_folderText = new wxTextCtrl(m_outputPanel, wxID_ANY);
    row->Add(m_folderText, 1, flags, 5);
    m_folderButton = FileButton(m_outputPanel);
    row->Add(m_folderButton, 0, flags, 5);
    row->AddSpacer(10);
    m_keepBFormatCheck = new wxCheckBox(m_outputPanel, wxID_ANY, "Also keep &the B-format");
    row->Add(m_keepBFormatCheck, 0, flags, 5);
    // Every other letter of "Video" is another label's already.
    m_videoLabel = MakeLabel(m_outputPanel, wxID_ANY, wxString::FromUTF8("Video (3&60°):"));
    row->Add(m_videoLabel, 0, flags, 5);
    m_videoText = new wxTextCtrl(m_outputPanel, wxID_ANY);
    row->Add(m_videoText, 1, flags, 5);
    m_videoButton = FileButton(m_outputPanel);
    row->Add(m_videoButton, 0, flags, 5);
    return row;
}

void VessarQuilixFrame::CreateOutputRow(int row, wxSizer* grid)
{
    const int flags = wxLEFT | wxRIGHT | wxTOP | wxALIGN_CENTER_VERTICAL;
    m_outLabels[row] = MakeLabel(m_outputPanel, wxID_ANY, wxString::Format("&%d:", row + 1));
    grid->Add(m_outLabels[row], 0, flags, 5);
    m_outTexts[row] = new wxTextCtrl(m_outputPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(200, -1));
    grid->Add(m_outTexts[row], 1, flags | wxEXPAND, 5);
    m_outButtons[row] = FileButton(m_outputPanel);
    grid->Add(m_outButtons[row], 0, flags, 5);
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
    m_outputPanel = new wxPanel(m_optionsPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxStaticBoxSizer* sizer = new wxStaticBoxSizer(new wxStaticBox(m_outputPanel, wxID_ANY, "Output"), wxVERTICAL);

    sizer->Add(CreateFormatRow(), 0, wxALIGN_CENTER_HORIZONTAL);
    sizer->Add(CreateFolderRow(), 0, wxEXPAND);

    // Rows 1, 2, 3 on the left and 4, 5, 6 on the right, made in that order so that Tab
    // goes through them in channel order.
    wxBoxSizer* columns = new wxBoxSizer(wxHORIZONTAL);
    for (int first : {0, 3}) {
        wxFlexGridSizer* grid = new wxFlexGridSizer(0, 3, 0, 0);
        grid->AddGrowableCol(1);
        for (int row = first; row < first + 3; ++row)
            CreateOutputRow(row, grid);
        columns->Add(grid, 1, wxEXPAND);
    }
    sizer->Add(columns, 0, wxEXPAND | wxBOTTOM, 3);

    m_outputPanel->SetSizer(sizer);
    return m_outputPanel;
}

wxPanel* VessarQuilixFrame::CreateBottomPanel()
{
    m_bottomPanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_logoBitmap = new wxStaticBitmap(m_bottomPanel, wxID_ANY,
                                      wxArtProvider::GetBitmap("label_b_alpha", wxART_OTHER, wxDefaultSize));
    sizer->Add(m_logoBitmap, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    // The symbol of converting with the word beside it; Alt+C presses it.
    m_convertButton = new wxButton(m_bottomPanel, wxID_ANY, "&Convert");
    m_convertButton->SetBitmap(wxArtProvider::GetBitmap("conv_small", wxART_OTHER, wxDefaultSize), wxLEFT);
    sizer->Add(m_convertButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_directionsButton = new wxButton(m_bottomPanel, wxID_ANY, "Directions");
    m_directionsButton->Hide();
    sizer->Add(m_directionsButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bottomPanel->SetSizer(sizer);
    return m_bottomPanel;
}

void VessarQuilixFrame::BindEvents()
{
    EventBindings& b = m_bindings;
    b.Bind(this, wxEVT_CLOSE_WINDOW, &VessarQuilixFrame::OnClose, this);
    b.Bind(this, wxEVT_CHAR_HOOK, &VessarQuilixFrame::OnCharHook, this);
    b.Bind(this, wxEVT_MENU, &VessarQuilixFrame::OnOpen, this, ID_MENU_OPEN);
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
    b.Bind(m_inputFormatChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnInputFormatChoice, this);
    b.Bind(m_keepSyncCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnKeepSync, this);
    b.Bind(m_polyText, wxEVT_TEXT, &VessarQuilixFrame::OnPolyText, this);
    b.Bind(m_joinCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnJoinParts, this);
    b.Bind(m_bfGainSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnBFormatGainSlider, this);
    b.Bind(m_highpassChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnHighpassChoice, this);
    b.Bind(m_bfAutorangeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnBFormatAutorange, this);
    b.Bind(m_surGainSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnSurroundGainSlider, this);
    b.Bind(m_angleSlider, wxEVT_SLIDER, &VessarQuilixFrame::OnAngleSlider, this);
    b.Bind(m_surAutorangeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnSurroundAutorange, this);
    b.Bind(m_lfeCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnLowFreqsInLfe, this);
    b.Bind(m_decoderChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnDecodeSetting, this);
    b.Bind(m_hrtfButton, wxEVT_BUTTON, &VessarQuilixFrame::OnPreferences, this);
    b.Bind(m_patternChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnDecodeSetting, this);
    for (wxSpinCtrl* spin : {m_pairAngleSpin, m_aimSpin})
        b.Bind(spin, wxEVT_SPINCTRL, &VessarQuilixFrame::OnDecodeSetting, this);
    for (wxTextCtrl* field : m_rotateFields)
        b.Bind(field, wxEVT_TEXT, &VessarQuilixFrame::OnDecodeSetting, this);
    b.Bind(m_filesChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnFilesChoice, this);
    b.Bind(m_keepBFormatCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnKeepBFormat, this);
    b.Bind(m_containerChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnContainerChoice, this);
    b.Bind(m_sampleChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnSampleFormatChoice, this);
    b.Bind(m_ditherCheck, wxEVT_CHECKBOX, &VessarQuilixFrame::OnDither, this);
    b.Bind(m_conventionChoice, wxEVT_CHOICE, &VessarQuilixFrame::OnConventionChoice, this);
    b.Bind(m_folderText, wxEVT_TEXT, &VessarQuilixFrame::OnFolderText, this);
    b.Bind(m_folderButton, wxEVT_BUTTON, &VessarQuilixFrame::OnFolderButton, this);
    b.Bind(m_videoText, wxEVT_TEXT, &VessarQuilixFrame::OnVideoText, this);
    b.Bind(m_videoButton, wxEVT_BUTTON, &VessarQuilixFrame::OnVideoButton, this);
    for (int row = 0; row < kOutputRows; ++row) {
        b.Bind(m_outTexts[row], wxEVT_TEXT, &VessarQuilixFrame::OnOutputText, this);
        b.Bind(m_outButtons[row], wxEVT_BUTTON, &VessarQuilixFrame::OnOutputButton, this);
    }
    b.Bind(m_convertButton, wxEVT_BUTTON, &VessarQuilixFrame::OnConvert, this);
    b.Bind(m_directionsButton, wxEVT_BUTTON, &VessarQuilixFrame::OnDirections, this);
}
