// VessarQuilixPrefsDlg: the logic half of the preferences dialog (VessarQuilixPrefsDialog is
// the layout half): it overrides the layout's handlers. It edits copies of the record's
// buffer size and directories, marks each directory with a check or a cross (beside the
// filters, the sample rates it has matrices for), and writes the copies back into the
// record only on OK.
#pragma once

#include "VessarQuilixPrefsDialog.h"

#include <wx/filename.h>

#include <vector>

class VQParams;

class VessarQuilixPrefsDlg : public VessarQuilixPrefsDialog {
public:
    VessarQuilixPrefsDlg(wxWindow* parent, VQParams* params);

    // The choice entry for a buffer size in KB: floor(log2(kb)) - 9, or -1 for none.
    static int BufferEntryFor(int kilobytes);

protected:
    void OnBufferSizeChoice(wxCommandEvent& event) override;
    void OnFiltersDirChanged(wxFileDirPickerEvent& event) override;
    void OnDocsDirChanged(wxFileDirPickerEvent& event) override;
    void OnCancel(wxCommandEvent& event) override;
    void OnOk(wxCommandEvent& event) override;

    void UpdateFiltersStatus();
    void UpdateDocsStatus();

public:
    // The sample rates, in increasing order, of the FilterMatrix_<rate>.wav files in `dir`.
    static std::vector<int> FilterRates(const wxString& dir);

protected:
    VQParams* m_params;
    int m_bufferKB;
    wxFileName m_filtersDir;
    wxFileName m_docsFile;
};
