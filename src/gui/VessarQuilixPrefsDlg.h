// VessarQuilixPrefsDlg: the logic half of the preferences dialog (VessarQuilixPrefsDialog is
// the layout half): it overrides the layout's handlers. It edits copies of the record's
// buffer size and directories, marks each directory with a check or a cross and says below
// it what is there or why the cross (beside the filters, the sample rates it has matrices
// for and what its matrix says about itself), offers the filter sets it knows as a choice,
// and writes the copies back into the record only on OK.
#pragma once

#include "VessarQuilixPrefsDialog.h"

#include <wx/filename.h>

#include <vector>

class VQParams;

class VessarQuilixPrefsDlg : public VessarQuilixPrefsDialog {
public:
    // `filterSets`, when given, is the list of the filter sets the user chose before (kept by
    // the window): offered besides the program's own set, and the set chosen with OK is
    // added. `takeRate` is the sample rate of the take shown, 0 for none: the filters are
    // described at it, and a folder without a matrix for it is marked wrong.
    VessarQuilixPrefsDlg(wxWindow* parent, VQParams* params, std::vector<wxString>* filterSets = nullptr,
                         int takeRate = 0);

    // The choice entry for a buffer size in KB: floor(log2(kb)) - 9, or -1 for none.
    static int BufferEntryFor(int kilobytes);

protected:
    void OnBufferSizeChoice(wxCommandEvent& event) override;
    void OnFilterSetChoice(wxCommandEvent& event) override;
    void OnFiltersDirChanged(wxFileDirPickerEvent& event) override;
    void OnDocsDirChanged(wxFileDirPickerEvent& event) override;
    void OnCancel(wxCommandEvent& event) override;
    void OnOk(wxCommandEvent& event) override;

    void UpdateFiltersStatus();
    void UpdateDocsStatus();
    // The sets offered: the program's own, those chosen before, the one in use, each once
    // and only while it holds filter matrices; the choice shows them with their microphones.
    void FillFilterSets();
    // Selects the set of the filters folder in the choice, adding it when it is a set.
    void SelectFilterSet();
    wxString FiltersDir() const { return m_filtersDir.GetPath(wxPATH_GET_VOLUME); }

    VQParams* m_params;
    std::vector<wxString>* m_chosenSets;
    int m_takeRate;
    int m_bufferKB;
    wxFileName m_filtersDir;
    wxFileName m_docsFile;
    std::vector<wxString> m_sets;  // the folders of the filter-set choice, in its order
};
