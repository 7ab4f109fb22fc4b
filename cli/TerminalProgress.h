// Progress of a conversion on standard error: a bar with the percentage and the time left
// when standard error is a terminal, one line per stage otherwise, nothing when quiet; in a
// batch, each stage says which take it is of how many.
#pragma once

#include "ProgressBar.h"
#include "VQProgressView.h"

class TerminalProgress : public VQProgressView {
public:
    explicit TerminalProgress(bool quiet);

    // The take the next stages belong to: with more than one, every stage's message begins
    // with "take 2/5: ".
    void SetTake(int number, int count);

    void Begin(const wxString& title, const wxString& message) override;
    // False once Ctrl-C has been pressed.
    bool Update(int permille) override;
    void End() override;
    // True once Ctrl-C has been pressed.
    bool CancelRequested() const override;

private:
    bool m_quiet;
    vq::ProgressBar m_bar;
    wxString m_takePrefix;
};
