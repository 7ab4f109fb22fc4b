#include "VessarProgressDialog.h"

#include <wx/progdlg.h>

#include <algorithm>

namespace {
constexpr int kMaximum = 1000;
// Not application-modal: the main window stays responsive and disables its own controls.
constexpr int kStyle = wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_REMAINING_TIME;
}  // namespace

VessarProgressDialog::~VessarProgressDialog()
{
    End();
}

void VessarProgressDialog::StartRun(int passes)
{
    m_steps = passes;
    m_passes = 0;
    m_cancelRequested = false;
}

void VessarProgressDialog::Begin(const wxString& title, const wxString& message)
{
    End();
    ++m_passes;
    wxString shown = message;
    if (m_steps > 1 && !message.empty()) {
        // "Autoranging..." becomes "Step 2 of 2: autoranging...".
        shown = wxString::Format("Step %d of %d: ", std::min(m_passes, m_steps), m_steps) + message.Left(1).Lower() +
                message.Mid(1);
    }
    m_dialog = new wxProgressDialog(title, shown, kMaximum, m_parent, kStyle);
    m_dialog->SetName("progress_dialog_window");
}

bool VessarProgressDialog::Update(int permille)
{
    if (m_cancelRequested)
        return false;
    return !m_dialog || m_dialog->Update(permille, wxEmptyString);
}

void VessarProgressDialog::End()
{
    if (m_dialog)
        m_dialog->Destroy();
    m_dialog = nullptr;
}
