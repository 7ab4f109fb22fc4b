#include "VessarQuilixPrefsDlg.h"

#include "VessarQuilixIcons.h"

#include "VQParams.h"

#include "common/FilterMatrixName.h"

#include <wx/artprov.h>
#include <wx/dir.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>
#include <climits>

namespace {

// Why a folder is marked with the cross, beside the mark.
const char* const kNoFilters = "no FilterMatrix_<rate>.wav here";
const char* const kNoGuide = "no VessarQuilix.html here";

wxBitmap StatusMark(bool good)
{
    return wxArtProvider::GetBitmap(good ? "check_16x16" : "cross_16x16", wxART_OTHER, wxDefaultSize);
}

}  // namespace

int VessarQuilixPrefsDlg::BufferEntryFor(int kilobytes)
{
    if (kilobytes < 1)
        return -1;
    int log2 = 0;
    while ((kilobytes >> (log2 + 1)) > 0)
        ++log2;
    const int entry = log2 - 9;
    return entry >= 0 && entry <= 7 ? entry : -1;
}

VessarQuilixPrefsDlg::VessarQuilixPrefsDlg(wxWindow* parent, VQParams* params)
    : VessarQuilixPrefsDialog(parent, "VessarQuilix Preferences"), m_params(params)
{
    m_bufferKB = m_params->m_ioBufferLength / 1024;
    m_filtersDir.AssignDir(m_params->GetFiltersDir());
    m_filtersDir.SetExt("wav");
    m_docsFile.AssignDir(m_params->GetDocsDir());
    m_docsFile.SetName("VessarQuilix");
    m_docsFile.SetExt("html");
    m_filtersPicker->SetPath(m_filtersDir.GetPath(wxPATH_GET_VOLUME));
    m_docsPicker->SetPath(m_docsFile.GetPath(wxPATH_GET_VOLUME));
    m_hrtfPicker->SetPath(m_params->m_hrtfFile);
    SetIcons(VessarQuilixIconBundle());
    m_bufferChoice->SetSelection(BufferEntryFor(m_bufferKB));
    UpdateFiltersStatus();
    UpdateDocsStatus();
}

void VessarQuilixPrefsDlg::OnBufferSizeChoice(wxCommandEvent& event)
{
    m_bufferKB = 1 << (event.GetSelection() + 9);
}

void VessarQuilixPrefsDlg::OnFiltersDirChanged(wxFileDirPickerEvent& event)
{
    m_filtersDir.AssignDir(event.GetPath());
    m_filtersDir.SetExt("wav");
    UpdateFiltersStatus();
}

void VessarQuilixPrefsDlg::OnDocsDirChanged(wxFileDirPickerEvent& event)
{
    m_docsFile.SetPath(event.GetPath());
    UpdateDocsStatus();
}

void VessarQuilixPrefsDlg::OnCancel(wxCommandEvent&)
{
    EndModal(wxID_CANCEL);
}

void VessarQuilixPrefsDlg::OnOk(wxCommandEvent&)
{
    m_params->SetDocsDir(m_docsFile.GetPath(wxPATH_GET_VOLUME));
    m_params->SetFiltersDir(m_filtersDir.GetPath(wxPATH_GET_VOLUME));
    m_params->m_ioBufferLength = m_bufferKB * 1024;
    m_params->m_hrtfFile = m_hrtfPicker->GetPath();
    EndModal(wxID_OK);
}

std::vector<int> VessarQuilixPrefsDlg::FilterRates(const wxString& dir)
{
    std::vector<int> rates;
    wxDir folder;
    if (!wxDirExists(dir) || !folder.Open(dir))
        return rates;
    wxString name;
    for (bool found = folder.GetFirst(&name, "FilterMatrix_*.wav", wxDIR_FILES); found; found = folder.GetNext(&name)) {
        // Only a name the designer would write: FilterMatrix_48000.wav, not ..._48k.wav.
        long rate = 0;
        const wxString digits = name.AfterFirst('_').BeforeLast('.');
        if (digits.ToLong(&rate) && rate > 0 && rate <= INT_MAX &&
            name == wxString::FromUTF8(vq::FilterMatrixFileName(static_cast<int>(rate)).c_str()))
            rates.push_back(static_cast<int>(rate));
    }
    std::sort(rates.begin(), rates.end());
    return rates;
}

void VessarQuilixPrefsDlg::UpdateFiltersStatus()
{
    const std::vector<int> rates = FilterRates(m_filtersDir.GetPath(wxPATH_GET_VOLUME));
    wxString shown;
    for (int rate : rates)
        shown += (shown.empty() ? "" : ", ") + wxString::Format("%d", rate);
    if (!shown.empty())
        shown += " Hz";
    m_filtersPicker->SetToolTip(m_filtersDir.GetPath(wxPATH_GET_VOLUME));
    m_filtersStatus->SetBitmap(StatusMark(!rates.empty()));
    m_filtersStatus->SetToolTip(rates.empty() ? "No filter matrix (FilterMatrix_<rate>.wav) in this folder"
                                              : "Filter matrices for the sample rates shown");
    m_filtersRates->SetLabel(rates.empty() ? wxString(kNoFilters) : shown);
    // The list of rates may be longer than the last one.
    GetSizer()->SetSizeHints(this);
    Layout();
}

void VessarQuilixPrefsDlg::UpdateDocsStatus()
{
    m_docsPicker->SetToolTip(m_docsFile.GetPath(wxPATH_GET_VOLUME));
    m_docsStatus->SetBitmap(StatusMark(m_docsFile.FileExists()));
    m_docsStatus->SetToolTip(m_docsFile.FileExists() ? "The user guide is here" : "No VessarQuilix.html here");
    m_docsNote->SetLabel(m_docsFile.FileExists() ? wxString() : wxString(kNoGuide));
    GetSizer()->SetSizeHints(this);
    Layout();
}
