#include "VessarQuilixPrefsDlg.h"

#include "VessarQuilixIcons.h"

#include "FilterSetInfo.h"
#include "ProgramData.h"
#include "VQParams.h"

#include "common/FilterMatrixName.h"

#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {

// Why a folder is marked with the cross, under it and as the cross's tip.
const char* const kNoFilters = "no FilterMatrix_<rate>.wav here";
const char* const kNoFolder = "no such folder";
const char* const kNoGuide = "no VessarQuilix.html here";
// The colour of a line that says what is wrong.
const wxColour kProblemColour(0xC0, 0x10, 0x10);

wxBitmap StatusMark(bool good)
{
    return wxArtProvider::GetBitmap(good ? "check_16x16" : "cross_16x16", wxART_OTHER, wxDefaultSize);
}

// A folder as one spelling, so that a set is listed once.
wxString FolderPath(const wxString& dir)
{
    wxFileName name = wxFileName::DirName(dir);
    name.MakeAbsolute();
    return name.GetPath(wxPATH_GET_VOLUME);
}

// The name a set goes by: its folder's.
wxString FolderName(const wxString& folder)
{
    const wxArrayString dirs = wxFileName::DirName(folder).GetDirs();
    return dirs.empty() ? folder : dirs.Last();
}

wxString RatesText(const std::vector<int>& rates)
{
    wxString shown;
    for (int rate : rates)
        shown += (shown.empty() ? "" : ", ") + wxString::Format("%d", rate);
    return shown + " Hz";
}

// Shows a line under a control: what is there, or in red what is wrong, wrapped at the
// control's width; no line when there is nothing to say.
void ShowNote(wxStaticText* note, const wxString& text, bool problem, int width)
{
    note->SetForegroundColour(problem ? kProblemColour : wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    note->SetLabel(text);
    note->Wrap(width);
    note->Show(!text.empty());
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

VessarQuilixPrefsDlg::VessarQuilixPrefsDlg(wxWindow* parent, VQParams* params, std::vector<wxString>* filterSets,
                                           int takeRate)
    : VessarQuilixPrefsDialog(parent, "VessarQuilix Preferences"),
      m_params(params),
      m_chosenSets(filterSets),
      m_takeRate(takeRate)
{
    m_bufferKB = m_params->m_ioBufferLength / 1024;
    m_filtersDir.AssignDir(m_params->GetFiltersDir());
    m_filtersDir.SetExt("wav");
    m_docsFile.AssignDir(m_params->GetDocsDir());
    m_docsFile.SetName("VessarQuilix");
    m_docsFile.SetExt("html");
    m_filtersPicker->SetPath(FiltersDir());
    m_docsPicker->SetPath(m_docsFile.GetPath(wxPATH_GET_VOLUME));
    m_hrtfPicker->SetPath(m_params->m_hrtfFile);
    SetIcons(VessarQuilixIconBundle());
    m_bufferChoice->SetSelection(BufferEntryFor(m_bufferKB));
    m_filterSetChoice->SetToolTip(
        "The filter sets the program knows: its own, and those chosen here before (a set "
        "vessarquilix-mkfilters designed for a microphone, say); another folder is chosen below");
    FillFilterSets();
    UpdateFiltersStatus();
    UpdateDocsStatus();
}

void VessarQuilixPrefsDlg::FillFilterSets()
{
    const wxString own = FolderPath(vq::ProgramDataFolder("filters"));
    std::vector<wxString> candidates = {own};
    if (m_chosenSets)
        candidates.insert(candidates.end(), m_chosenSets->begin(), m_chosenSets->end());
    candidates.push_back(FiltersDir());
    m_sets.clear();
    for (const wxString& dir : candidates) {
        const wxString folder = FolderPath(dir);
        if (std::find(m_sets.begin(), m_sets.end(), folder) == m_sets.end() && !FilterSetRates(folder).empty())
            m_sets.push_back(folder);
    }
    // A set by its folder's name, by its whole path when another set has the same name.
    m_filterSetChoice->Clear();
    for (const wxString& folder : m_sets) {
        const wxString name = FolderName(folder);
        const bool shared = std::count_if(m_sets.begin(), m_sets.end(),
                                          [&](const wxString& other) { return FolderName(other) == name; }) > 1;
        wxString item = (shared ? folder : name) + ": " + wxString::FromUTF8(FilterSetMicrophone(folder, m_takeRate));
        if (folder == own)
            item += " (the program's own)";
        m_filterSetChoice->Append(item);
    }
    SelectFilterSet();
}

void VessarQuilixPrefsDlg::SelectFilterSet()
{
    const wxString folder = FolderPath(FiltersDir());
    auto found = std::find(m_sets.begin(), m_sets.end(), folder);
    if (found == m_sets.end() && !FilterSetRates(folder).empty()) {
        FillFilterSets();  // lists it, and selects it
        return;
    }
    m_filterSetChoice->SetSelection(found == m_sets.end() ? wxNOT_FOUND : static_cast<int>(found - m_sets.begin()));
}

void VessarQuilixPrefsDlg::OnBufferSizeChoice(wxCommandEvent& event)
{
    m_bufferKB = 1 << (event.GetSelection() + 9);
}

void VessarQuilixPrefsDlg::OnFilterSetChoice(wxCommandEvent& event)
{
    const int item = event.GetSelection();
    if (item < 0 || item >= static_cast<int>(m_sets.size()))
        return;
    m_filtersDir.AssignDir(m_sets[static_cast<std::size_t>(item)]);
    m_filtersDir.SetExt("wav");
    m_filtersPicker->SetPath(FiltersDir());
    UpdateFiltersStatus();
}

void VessarQuilixPrefsDlg::OnFiltersDirChanged(wxFileDirPickerEvent& event)
{
    m_filtersDir.AssignDir(event.GetPath());
    m_filtersDir.SetExt("wav");
    SelectFilterSet();
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
    m_params->SetFiltersDir(FiltersDir());
    m_params->m_ioBufferLength = m_bufferKB * 1024;
    m_params->m_hrtfFile = m_hrtfPicker->GetPath();
    // The sets chosen, the program's own aside, are offered again next time.
    if (m_chosenSets) {
        const wxString own = FolderPath(vq::ProgramDataFolder("filters"));
        m_chosenSets->clear();
        for (const wxString& folder : m_sets)
            if (folder != own)
                m_chosenSets->push_back(folder);
    }
    EndModal(wxID_OK);
}

void VessarQuilixPrefsDlg::UpdateFiltersStatus()
{
    const wxString dir = FiltersDir();
    const std::vector<int> rates = FilterSetRates(dir);
    const bool hasTakeRate = m_takeRate <= 0 || std::find(rates.begin(), rates.end(), m_takeRate) != rates.end();
    wxString problem;
    if (!wxDirExists(dir))
        problem = kNoFolder;
    else if (rates.empty())
        problem = kNoFilters;
    else if (!hasTakeRate)
        problem = RatesText(rates) + wxString::Format(": none for the take's %d Hz", m_takeRate);
    const int width = m_filtersPicker->GetSize().x;
    m_filtersPicker->SetToolTip(dir);
    m_filtersStatus->SetBitmap(StatusMark(problem.empty()));
    m_filtersStatus->SetToolTip(problem.empty() ? wxString("Filter matrices for the sample rates shown below")
                                                : "Not usable as it is: " + problem);
    ShowNote(m_filtersRates, problem.empty() ? RatesText(rates) : problem, !problem.empty(), width);

    // What the matrix of the take's rate (else 48000 Hz, else the first) says about itself.
    int described = 0;
    for (int rate : {m_takeRate, 48000})
        if (!described && std::find(rates.begin(), rates.end(), rate) != rates.end())
            described = rate;
    if (!described && !rates.empty())
        described = rates.front();
    const wxString name = wxString::FromUTF8(vq::FilterMatrixFileName(described).c_str());
    const wxString description = wxString::FromUTF8(FilterMatrixDescription(dir, described).c_str());
    ShowNote(m_filtersNote, described ? name + ": " + description : wxString(), false, width);
    m_filtersNote->SetToolTip(described ? wxString::FromUTF8(DescribeFilterMatrix(dir, described).c_str()).Trim()
                                        : wxString());
    // The lines may be longer or shorter than the last ones.
    GetSizer()->SetSizeHints(this);
    Layout();
}

void VessarQuilixPrefsDlg::UpdateDocsStatus()
{
    const bool good = m_docsFile.FileExists();
    m_docsPicker->SetToolTip(m_docsFile.GetPath(wxPATH_GET_VOLUME));
    m_docsStatus->SetBitmap(StatusMark(good));
    m_docsStatus->SetToolTip(good ? wxString("The user guide is here") : "Not usable as it is: " + wxString(kNoGuide));
    ShowNote(m_docsNote, good ? wxString() : wxString(kNoGuide), !good, m_docsPicker->GetSize().x);
    GetSizer()->SetSizeHints(this);
    Layout();
}
