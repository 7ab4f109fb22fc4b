#include "VessarQuilixPrefsDialog.h"

#include "LayoutHelpers.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

// The width of the choice and the pickers; the lines under them wrap at it.
constexpr int kControlWidth = 420;

}  // namespace

VessarQuilixPrefsDialog::VessarQuilixPrefsDialog(wxWindow* parent, const wxString& title)
    : wxDialog(parent, ID_PREFS_DIALOG, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    wxBoxSizer* dialogSizer = new wxBoxSizer(wxVERTICAL);
    m_mainPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
    m_notebook = new wxNotebook(m_mainPanel, ID_PREFS_NOTEBOOK, wxDefaultPosition, wxDefaultSize, 0);
    m_notebook->AddPage(CreateIoPage(), "I/O options", false);
    m_notebook->AddPage(CreateDirectoriesPage(), "Directories", true);
    panelSizer->Add(m_notebook, 1, wxEXPAND | wxALL, 5);
    m_staticLine = new wxStaticLine(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
    panelSizer->Add(m_staticLine, 0, wxEXPAND | wxALL, 5);
    panelSizer->Add(CreateButtonPanel(), 0, wxALIGN_RIGHT | wxTOP | wxBOTTOM, 5);
    FitToSizer(m_mainPanel, panelSizer);
    dialogSizer->Add(m_mainPanel, 1, wxEXPAND, 5);
    FitToSizer(this, dialogSizer);

    EventBindings& b = m_bindings;
    b.Bind(m_bufferChoice, wxEVT_CHOICE, &VessarQuilixPrefsDialog::OnBufferSizeChoice, this);
    b.Bind(m_filterSetChoice, wxEVT_CHOICE, &VessarQuilixPrefsDialog::OnFilterSetChoice, this);
    b.Bind(m_filtersPicker, wxEVT_DIRPICKER_CHANGED, &VessarQuilixPrefsDialog::OnFiltersDirChanged, this);
    b.Bind(m_docsPicker, wxEVT_DIRPICKER_CHANGED, &VessarQuilixPrefsDialog::OnDocsDirChanged, this);
    b.Bind(m_cancelButton, wxEVT_BUTTON, &VessarQuilixPrefsDialog::OnCancel, this);
    b.Bind(m_okButton, wxEVT_BUTTON, &VessarQuilixPrefsDialog::OnOk, this);
}

VessarQuilixPrefsDialog::~VessarQuilixPrefsDialog()
{
    m_bindings.UnbindAll();
}

wxPanel* VessarQuilixPrefsDialog::CreateIoPage()
{
    m_ioPage = new wxPanel(m_notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* pageSizer = new wxBoxSizer(wxVERTICAL);
    m_ioPanel = new wxPanel(m_ioPage, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    m_bufferLabel = MakeLabel(m_ioPanel, wxID_ANY, "&Buffer size:");
    row->Add(m_bufferLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    const wxString sizes[] = {"512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
    m_bufferChoice = new wxChoice(m_ioPanel, ID_BUFFER_CHOICE, wxDefaultPosition, wxDefaultSize, 8, sizes, 0);
    m_bufferChoice->SetSelection(2);
    row->Add(m_bufferChoice, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_kbLabel = MakeLabel(m_ioPanel, wxID_ANY, "KB");
    row->Add(m_kbLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    FitToSizer(m_ioPanel, row);
    pageSizer->Add(m_ioPanel, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    FitToSizer(m_ioPage, pageSizer);
    return m_ioPage;
}

wxPanel* VessarQuilixPrefsDialog::CreateDirectoriesPage()
{
    m_dirsPage = new wxPanel(m_notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    // Label, control, mark; a line of information under each control.
    wxFlexGridSizer* grid = new wxFlexGridSizer(0, 3, 0, 0);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    const int flags = wxALL | wxALIGN_CENTER_VERTICAL;
    m_filterSetLabel = MakeLabel(m_dirsPage, wxID_ANY, "Filter &set:");
    grid->Add(m_filterSetLabel, 0, flags, 5);
    m_filterSetChoice = new wxChoice(m_dirsPage, ID_FILTER_SET_CHOICE, wxDefaultPosition, wxSize(kControlWidth, -1));
    grid->Add(m_filterSetChoice, 0, flags, 5);
    grid->AddSpacer(0);
    AddDirectoryRow(grid, "&Filters:", ID_FILTERS_PICKER, "filters", "Select filters folder", ID_FILTERS_STATUS,
                    m_filtersLabel, m_filtersPicker, m_filtersStatus);
    m_filtersRates = AddNoteRow(grid, wxEmptyString);
    m_filtersNote = AddNoteRow(grid, wxEmptyString);
    AddDirectoryRow(grid, "&Documentation:", ID_DOCS_PICKER, "docs", "Select documentation folder", ID_DOCS_STATUS,
                    m_docsLabel, m_docsPicker, m_docsStatus);
    m_docsNote = AddNoteRow(grid, wxEmptyString);
    // Headphone decoding: measured head-related responses, or the built-in head when empty.
    m_hrtfLabel = MakeLabel(m_dirsPage, wxID_ANY, "&HRTF (SOFA):");
    grid->Add(m_hrtfLabel, 0, flags, 5);
    m_hrtfPicker = new wxFilePickerCtrl(m_dirsPage, wxID_ANY, wxEmptyString, "Select a SOFA file of HRIRs",
                                        "SOFA files (*.sofa)|*.sofa;*.SOFA|All files (*.*)|*.*", wxDefaultPosition,
                                        wxSize(kControlWidth, -1),
                                        wxFLP_USE_TEXTCTRL | wxFLP_OPEN | wxFLP_FILE_MUST_EXIST);
    grid->Add(m_hrtfPicker, 0, flags, 5);
    grid->AddSpacer(0);
    m_hrtfNote = AddNoteRow(grid, "empty: the built-in head");

    FitToSizer(m_dirsPage, grid);
    return m_dirsPage;
}

void VessarQuilixPrefsDialog::AddDirectoryRow(wxSizer* grid, const wxString& text, int pickerId,
                                              const wxString& initialPath, const wxString& message, int statusId,
                                              wxStaticText*& label, wxDirPickerCtrl*& picker, wxStaticBitmap*& status)
{
    const int flags = wxALL | wxALIGN_CENTER_VERTICAL;
    label = MakeLabel(m_dirsPage, wxID_ANY, text);
    grid->Add(label, 0, flags, 5);
    picker = new wxDirPickerCtrl(m_dirsPage, pickerId, initialPath, message, wxDefaultPosition,
                                 wxSize(kControlWidth, -1), wxDIRP_USE_TEXTCTRL | wxDIRP_DIR_MUST_EXIST);
    grid->Add(picker, 0, flags, 5);
    status = new wxStaticBitmap(m_dirsPage, statusId, wxArtProvider::GetBitmap("check_16x16", wxART_OTHER));
    grid->Add(status, 0, flags, 5);
}

wxStaticText* VessarQuilixPrefsDialog::AddNoteRow(wxSizer* grid, const wxString& text)
{
    grid->AddSpacer(0);
    wxStaticText* note = MakeLabel(m_dirsPage, wxID_ANY, text);
    grid->Add(note, 0, wxLEFT | wxRIGHT | wxBOTTOM, 5);
    grid->AddSpacer(0);
    return note;
}

wxPanel* VessarQuilixPrefsDialog::CreateButtonPanel()
{
    m_buttonPanel = new wxPanel(m_mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    m_cancelButton = new wxButton(m_buttonPanel, wxID_CANCEL, "Cancel");
    row->Add(m_cancelButton, 0, wxALL, 5);
    m_okButton = new wxButton(m_buttonPanel, wxID_OK, "OK");
    m_okButton->SetDefault();
    row->Add(m_okButton, 0, wxALL, 5);
    FitToSizer(m_buttonPanel, row);
    return m_buttonPanel;
}
