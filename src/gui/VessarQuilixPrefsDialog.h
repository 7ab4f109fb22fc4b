// VessarQuilixPrefsDialog: the layout half of the preferences dialog (VessarQuilixPrefsDlg
// is the logic half): the I/O buffer size on one page; on another the filter set (a choice
// among the sets the program knows, or any folder), the documentation directory and the
// SOFA file of headphone decoding, each with a line below it that says what is there or
// what is wrong; Cancel and OK. It binds the controls' events to virtual handlers that only
// skip them; VessarQuilixPrefsDlg overrides the handlers.
#pragma once

#include "EventBindings.h"

#include <wx/dialog.h>
#include <wx/filepicker.h>

class wxButton;
class wxChoice;
class wxDirPickerCtrl;
class wxFilePickerCtrl;
class wxNotebook;
class wxPanel;
class wxStaticBitmap;
class wxStaticLine;
class wxSizer;
class wxStaticText;

enum {
    ID_PREFS_DIALOG = 1042,
    ID_PREFS_NOTEBOOK = 1043,
    ID_BUFFER_CHOICE = 1044,
    ID_FILTERS_PICKER = 1045,
    ID_FILTERS_STATUS = 1046,
    ID_DOCS_PICKER = 1047,
    ID_DOCS_STATUS = 1048,
    ID_FILTER_SET_CHOICE = 1049,
};

class VessarQuilixPrefsDialog : public wxDialog {
public:
    VessarQuilixPrefsDialog(wxWindow* parent, const wxString& title);
    ~VessarQuilixPrefsDialog() override;

protected:
    wxPanel* m_mainPanel;
    wxNotebook* m_notebook;
    wxPanel* m_ioPage;
    wxPanel* m_ioPanel;
    wxStaticText* m_bufferLabel;
    wxChoice* m_bufferChoice;
    wxStaticText* m_kbLabel;
    wxPanel* m_dirsPage;
    wxStaticText* m_filterSetLabel;
    wxChoice* m_filterSetChoice;  // the filter sets the program knows, each with its microphone
    wxStaticText* m_filtersLabel;
    wxDirPickerCtrl* m_filtersPicker;
    wxStaticBitmap* m_filtersStatus;
    // Under the filters folder: the sample rates it has matrices for, or why it is marked
    // wrong; then what its matrix says about itself.
    wxStaticText* m_filtersRates;
    wxStaticText* m_filtersNote;
    wxStaticText* m_docsNote;  // why the documentation folder is marked wrong
    wxStaticText* m_docsLabel;
    wxDirPickerCtrl* m_docsPicker;
    wxStaticBitmap* m_docsStatus;
    wxStaticText* m_hrtfLabel;
    wxFilePickerCtrl* m_hrtfPicker;  // the SOFA file of headphone decoding
    wxStaticText* m_hrtfNote;
    wxStaticLine* m_staticLine;
    wxPanel* m_buttonPanel;
    wxButton* m_cancelButton;
    wxButton* m_okButton;

    virtual void OnBufferSizeChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFilterSetChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void OnFiltersDirChanged(wxFileDirPickerEvent& event) { event.Skip(); }
    virtual void OnDocsDirChanged(wxFileDirPickerEvent& event) { event.Skip(); }
    virtual void OnCancel(wxCommandEvent& event) { event.Skip(); }
    virtual void OnOk(wxCommandEvent& event) { event.Skip(); }

private:
    wxPanel* CreateIoPage();
    wxPanel* CreateDirectoriesPage();
    wxPanel* CreateButtonPanel();
    void AddDirectoryRow(wxSizer* grid, const wxString& text, int pickerId, const wxString& initialPath,
                         const wxString& message, int statusId, wxStaticText*& label, wxDirPickerCtrl*& picker,
                         wxStaticBitmap*& status);
    // A line of information under the control of the row above.
    wxStaticText* AddNoteRow(wxSizer* grid, const wxString& text);

    EventBindings m_bindings;
};
