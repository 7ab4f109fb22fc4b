#include "VQProgressPresenter.h"

#include "VQProgressView.h"

#include <wx/progdlg.h>

namespace {
constexpr int kMaximum = 1000;
// Not application-modal: the dialog has no parent and disables no window.
constexpr int kStyle = wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_REMAINING_TIME;
}  // namespace

VQProgressPresenter::~VQProgressPresenter()
{
    CloseProgress();
}

void VQProgressPresenter::OpenProgress(const wxString& title, const wxString& message, const wxString& name)
{
    CloseProgress();
    if (m_view) {
        m_view->Begin(title, message);
        m_viewOpen = true;
        return;
    }
    m_progressDialog = new wxProgressDialog(title, message, kMaximum, nullptr, kStyle);
    if (!name.empty())
        m_progressDialog->SetName(name);
}

bool VQProgressPresenter::ShowProgress(int value)
{
    if (m_viewOpen)
        return m_view->Update(value);
    return m_progressDialog ? m_progressDialog->Update(value, wxEmptyString) : true;
}

void VQProgressPresenter::CloseProgress()
{
    if (m_viewOpen) {
        m_view->End();
        m_viewOpen = false;
    }
    if (m_progressDialog) {
        m_progressDialog->Destroy();
        m_progressDialog = nullptr;
    }
}
