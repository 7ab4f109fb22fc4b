// Where a conversion writes its state for the user: the window's status bar implements it;
// the job itself needs no toolkit window for it.
#pragma once

#include <wx/string.h>

class VQStatusView {
public:
    virtual ~VQStatusView() = default;

    // Fields: 0 the state ("Calculating...", "Ready.", "Aborted.", "Error."), 1 the sample
    // rate, 2 the filter length. An empty text clears the field.
    virtual void SetStatusText(const wxString& text, int field) = 0;
};
