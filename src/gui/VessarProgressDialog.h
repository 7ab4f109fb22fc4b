// The conversion's progress in the window: a progress dialog over the main window with a
// Cancel button, one for each pass of the run. A run of two passes (the conversion, then
// Autorange) says which step runs: "Step 1 of 2: converting to 5.1 format...".
#pragma once

#include "VQProgressView.h"

class wxProgressDialog;
class wxWindow;

class VessarProgressDialog : public VQProgressView {
public:
    explicit VessarProgressDialog(wxWindow* parent) : m_parent(parent) {}
    ~VessarProgressDialog() override;

    // A run of `passes` passes (1, or 2 with Autorange) begins; the next pass is its first.
    void StartRun(int passes);
    // Stops the run at its next step, as the dialog's Cancel button does.
    void RequestCancel() { m_cancelRequested = true; }
    bool CancelRequested() const override { return m_cancelRequested; }

    void Begin(const wxString& title, const wxString& message) override;
    // Moves the bar; false once the user pressed Cancel.
    bool Update(int permille) override;
    void End() override;

    wxProgressDialog* Dialog() const { return m_dialog; }

private:
    wxWindow* m_parent;
    wxProgressDialog* m_dialog = nullptr;
    int m_steps = 1;
    int m_passes = 0;  // passes begun in this run
    bool m_cancelRequested = false;
};
