// What both engines' progress overrides share: a progress dialog with a Cancel button,
// or the record's own progress view in its place.
#pragma once

#include <wx/string.h>

class wxProgressDialog;
class VQProgressView;

class VQProgressPresenter {
public:
    wxProgressDialog* m_progressDialog = nullptr;  // the open dialog, or null

protected:
    explicit VQProgressPresenter(VQProgressView* view) : m_view(view) {}
    ~VQProgressPresenter();

    // Opens the dialog (named `name` when given) or begins a stage of the view.
    void OpenProgress(const wxString& title, const wxString& message, const wxString& name = wxEmptyString);
    // Shows `value` of 1000; false when the user cancelled.
    bool ShowProgress(int value);
    // Destroys the dialog or ends the view's stage; harmless when nothing is open.
    void CloseProgress();

private:
    VQProgressView* m_view;
    bool m_viewOpen = false;
};
