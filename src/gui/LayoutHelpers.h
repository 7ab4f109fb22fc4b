// Small pieces the layout classes share.
#pragma once

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// A static text that never wraps.
inline wxStaticText* MakeLabel(wxWindow* parent, int id, const wxString& text)
{
    wxStaticText* label = new wxStaticText(parent, id, text);
    label->Wrap(-1);
    return label;
}

// Gives a panel (or dialog) its sizer and the size that sizer needs.
inline void FitToSizer(wxWindow* window, wxSizer* sizer)
{
    window->SetSizer(sizer);
    window->Layout();
    sizer->Fit(window);
}

// Shows `text` in a field without a change event; the field is only rewritten when its
// text differs, so that the caret stays where the user types.
inline void ShowText(wxTextCtrl* field, const wxString& text)
{
    if (field->GetValue() != text)
        field->ChangeValue(text);
}
