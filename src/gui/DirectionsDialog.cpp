#include "DirectionsDialog.h"

#include "DirectionMapDrawing.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>

DirectionsDialog::DirectionsDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "VessarQuilix: Directions", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    m_view = new wxStaticBitmap(this, wxID_ANY, wxBitmap(1, 1));
    sizer->Add(m_view, 0, wxALL, 5);
    // Close and Escape hide it; the main window shows it again with its next map.
    sizer->Add(CreateStdDialogButtonSizer(wxCLOSE), 0, wxALL | wxALIGN_RIGHT, 5);
    SetEscapeId(wxID_CLOSE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, wxID_CLOSE);
    SetSizer(sizer);
}

void DirectionsDialog::ShowMap(const vq::DirectionMapLevels& levels, const wxString& takeName)
{
    m_picture = vqgui::DirectionMapBitmap(levels);
    m_view->SetBitmap(m_picture);
    SetTitle("VessarQuilix: Directions of " + takeName);
    GetSizer()->SetSizeHints(this);
    Show();
    Raise();
}
