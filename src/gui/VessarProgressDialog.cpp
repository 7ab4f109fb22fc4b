#include "VessarProgressDialog.h"

#include <wx/progdlg.h>

namespace {
constexpr int kMaximum = 1000;
// Not application-modal: the main window stays responsive and disables its own controls.
constexpr int kStyle = wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_REMAINING_TIME;
}  // namespace

VessarProgressDialog::~VessarProgressDialog()
{
    End();
}

void VessarProgressDialog::Begin(const wxString& title, const wxString& message)
{
    End();
    m_dialog = new wxProgressDialog(title, message, kMaximum, m_parent, kStyle);
    m_dialog->SetName("progress_dialog_window");
}

bool VessarProgressDialog::Update(int permille)
{
    return !m_dialog || m_dialog->Update(permille, wxEmptyString);
}

void VessarProgressDialog::End()
{
    if (m_dialog)
        m_dialog->Destroy();
    m_dialog = nullptr;
}
