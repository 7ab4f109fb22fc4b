// The main window's status bar as the conversion's status view.
#pragma once

#include "VQStatusView.h"

#include <wx/statusbr.h>

class VessarStatusBarView : public VQStatusView {
public:
    explicit VessarStatusBarView(wxStatusBar* bar) : m_bar(bar) {}
    void SetStatusText(const wxString& text, int field) override { m_bar->SetStatusText(text, field); }

private:
    wxStatusBar* m_bar;
};
