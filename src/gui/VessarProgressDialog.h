// The conversion's progress in the window: a progress dialog over the main window with a
// Cancel button, one for each stage of the run.
#pragma once

#include "VQProgressView.h"

class wxProgressDialog;
class wxWindow;

class VessarProgressDialog : public VQProgressView {
public:
    explicit VessarProgressDialog(wxWindow* parent) : m_parent(parent) {}
    ~VessarProgressDialog() override;

    void Begin(const wxString& title, const wxString& message) override;
    // Moves the bar; false once the user pressed Cancel.
    bool Update(int permille) override;
    void End() override;

    wxProgressDialog* Dialog() const { return m_dialog; }

private:
    wxWindow* m_parent;
    wxProgressDialog* m_dialog = nullptr;
};
