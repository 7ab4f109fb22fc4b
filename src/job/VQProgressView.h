// How a conversion shows its progress to the user: the window implements it with a progress
// dialog, the command line with a bar on the terminal. The job needs no toolkit window.
#pragma once

#include <wx/string.h>

class VQProgressView {
public:
    virtual ~VQProgressView() = default;

    // A stage begins (converting, autoranging, decoding).
    virtual void Begin(const wxString& title, const wxString& message) = 0;
    // Progress of the stage in thousandths; false cancels the conversion.
    virtual bool Update(int permille) = 0;
    // The stage ends, completed or cancelled.
    virtual void End() = 0;
    // Whether the user asked to stop while the run prepares, before a stage begins (a SOFA
    // file being read, say).
    virtual bool CancelRequested() const { return false; }
};
