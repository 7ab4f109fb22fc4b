// How a conversion shows its progress to the user. The window uses the engines' progress
// dialogs; the command line gives the record a view of its own that draws on the terminal.
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
};
