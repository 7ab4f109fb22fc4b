// The conversion's progress in the window: a progress dialog over the main window with a
// Cancel button, one for each pass of the run. A run of two stages (5.1 mode: A-format to
// B-format, then B-format to 5.1) says which stage runs: its first pass is stage 1 (the
// B-format stage of 5.1 mode makes one pass, no Autorange), every later one stage 2.
#pragma once

#include "VQProgressView.h"

class wxProgressDialog;
class wxWindow;

class VessarProgressDialog : public VQProgressView {
public:
    explicit VessarProgressDialog(wxWindow* parent) : m_parent(parent) {}
    ~VessarProgressDialog() override;

    // A run of `stages` stages (1 or 2) begins; the next pass is its first.
    void StartRun(int stages);

    void Begin(const wxString& title, const wxString& message) override;
    // Moves the bar; false once the user pressed Cancel.
    bool Update(int permille) override;
    void End() override;

    wxProgressDialog* Dialog() const { return m_dialog; }

private:
    wxWindow* m_parent;
    wxProgressDialog* m_dialog = nullptr;
    int m_stages = 1;
    int m_passes = 0;  // passes begun in this run
};
