// The preferences dialog: the buffer-size mapping, the marks of the directories and the
// sample rates of the filters, and a record that changes on OK only.
#include "WindowDriver.h"

#include "VQParams.h"
#include "VessarQuilixArtProvider.h"
#include "VessarQuilixPrefsDlg.h"

#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/notebook.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

class OpenPrefs : public VessarQuilixPrefsDlg {
public:
    using VessarQuilixPrefsDialog::m_bufferChoice;
    using VessarQuilixPrefsDialog::m_cancelButton;
    using VessarQuilixPrefsDialog::m_docsPicker;
    using VessarQuilixPrefsDialog::m_docsStatus;
    using VessarQuilixPrefsDialog::m_filtersPicker;
    using VessarQuilixPrefsDialog::m_filtersRates;
    using VessarQuilixPrefsDialog::m_docsNote;
    using VessarQuilixPrefsDialog::m_filtersStatus;
    using VessarQuilixPrefsDialog::m_notebook;
    using VessarQuilixPrefsDialog::m_okButton;
    using VessarQuilixPrefsDlg::VessarQuilixPrefsDlg;
};

// The main window pushes the program's art provider; a dialog opened alone needs it too.
class ProgramArt : public testing::Environment {
public:
    void SetUp() override { wxArtProvider::Push(new VessarQuilixArtProvider); }
};
const testing::Environment* const kProgramArt = testing::AddGlobalTestEnvironment(new ProgramArt);

bool Shows(wxStaticBitmap* status, const char* artId)
{
    const wxImage shown = status->GetBitmap().ConvertToImage();
    const wxImage art = wxArtProvider::GetBitmap(artId, wxART_OTHER).ConvertToImage();
    return shown.GetSize() == art.GetSize() &&
           std::equal(shown.GetData(), shown.GetData() + 3 * shown.GetWidth() * shown.GetHeight(), art.GetData());
}

void Touch(const std::string& path)
{
    std::ofstream(path) << "x";
}

// Shows the dialog modally; `whileOpen` acts in it as the user would and must close it.
int RunModal(wxDialog& dialog, const std::function<void()>& whileOpen)
{
    wxTheApp->CallAfter([&] {
        whileOpen();
        if (dialog.IsModal())
            dialog.EndModal(-1);
    });
    return dialog.ShowModal();
}

void ChangeDirectory(wxDirPickerCtrl* picker, const std::string& dir)
{
    picker->SetPath(dir);
    wxFileDirPickerEvent event(wxEVT_DIRPICKER_CHANGED, picker, picker->GetId(), dir);
    picker->GetEventHandler()->ProcessEvent(event);
}

TEST(Preferences, BufferSizesMapToTheChoiceEntries)
{
    const std::pair<int, int> cases[] = {{512, 0},  {1024, 1}, {2048, 2}, {2929, 2},   {65536, 7},
                                         {511, -1}, {0, -1},   {-5, -1},  {131072, -1}};
    for (const auto& [kb, entry] : cases)
        EXPECT_EQ(VessarQuilixPrefsDlg::BufferEntryFor(kb), entry) << kb << " KB";
}

TEST(Preferences, MarksTellWhetherTheDirectoriesHoldWhatTheProgramNeeds)
{
    TempDir dir;
    fs::create_directories(dir.File("filters"));
    fs::create_directories(dir.File("docs"));
    Touch(dir.File("filters/FilterMatrix_48k.wav"));  // no rate the designer would write
    VQParams params(nullptr);
    params.SetFiltersDir(dir.File("filters"));
    params.SetDocsDir(dir.File("docs"));
    struct Case {
        const char* added;  // a file put into the filters folder first
        const char* mark;
        const char* rates;
    };
    const Case cases[] = {
        {nullptr, "cross_16x16", "no FilterMatrix_<rate>.wav here"},
        {"FilterMatrix_48000.wav", "check_16x16", "48000 Hz"},
        {"FilterMatrix_96000.wav", "check_16x16", "48000, 96000 Hz"},
        {"FilterMatrix_44100.wav", "check_16x16", "44100, 48000, 96000 Hz"},
    };
    for (const Case& c : cases) {
        if (c.added)
            Touch(dir.File("filters/") + c.added);
        OpenPrefs prefs(nullptr, &params);
        EXPECT_TRUE(Shows(prefs.m_filtersStatus, c.mark)) << c.rates;
        EXPECT_EQ(prefs.m_filtersRates->GetLabel(), c.rates);
        EXPECT_GE(prefs.m_filtersRates->GetSize().x, prefs.m_filtersRates->GetBestSize().x) << "not cut off";
    }
    OpenPrefs prefs(nullptr, &params);
    EXPECT_EQ(prefs.GetTitle(), "VessarQuilix Preferences");
    EXPECT_EQ(prefs.m_okButton->GetLabel(), "OK");
    EXPECT_EQ(prefs.m_notebook->GetSelection(), 1) << "opens on \"Directories\"";
    EXPECT_EQ(prefs.m_notebook->GetPageText(0), "I/O options");
    EXPECT_EQ(prefs.m_bufferChoice->GetSelection(), 2);
    EXPECT_EQ(prefs.m_filtersPicker->GetPath(), dir.File("filters"));
    EXPECT_TRUE(Shows(prefs.m_docsStatus, "cross_16x16"));
    EXPECT_EQ(prefs.m_docsNote->GetLabel(), "no VessarQuilix.html here") << "the cross says why";
    Touch(dir.File("docs/VessarQuilix.html"));
    ChangeDirectory(prefs.m_docsPicker, dir.File("docs"));
    EXPECT_TRUE(Shows(prefs.m_docsStatus, "check_16x16"));
    EXPECT_EQ(prefs.m_docsNote->GetLabel(), "");
    ChangeDirectory(prefs.m_filtersPicker, dir.Path());
    EXPECT_TRUE(Shows(prefs.m_filtersStatus, "cross_16x16"));
    EXPECT_EQ(prefs.m_filtersRates->GetLabel(), "no FilterMatrix_<rate>.wav here");
}

TEST(Preferences, OkWritesTheRecordAndCancelLeavesIt)
{
    TempDir dir;
    fs::create_directories(dir.File("a"));
    fs::create_directories(dir.File("b"));
    for (const bool ok : {false, true}) {
        VQParams params(nullptr);
        params.m_ioBufferLength = 3000000;
        const wxString filters = params.GetFiltersDir(), docs = params.GetDocsDir();
        OpenPrefs prefs(nullptr, &params);
        EXPECT_EQ(prefs.m_bufferChoice->GetSelection(), 2) << "2929 KB is in the 2048 entry";
        const int result = RunModal(prefs, [&] {
            Select(prefs.m_bufferChoice, 7);
            ChangeDirectory(prefs.m_filtersPicker, dir.File("a"));
            ChangeDirectory(prefs.m_docsPicker, dir.File("b"));
            Click(ok ? static_cast<wxWindow*>(prefs.m_okButton) : prefs.m_cancelButton);
        });
        EXPECT_EQ(result, ok ? wxID_OK : wxID_CANCEL);
        EXPECT_EQ(params.m_ioBufferLength, ok ? 67108864 : 3000000);
        EXPECT_EQ(params.GetFiltersDir(), ok ? wxString(dir.File("a")) : filters);
        EXPECT_EQ(params.GetDocsDir(), ok ? wxString(dir.File("b")) : docs);
    }
    VQParams params(nullptr);
    params.m_ioBufferLength = 3000000;
    OpenPrefs prefs(nullptr, &params);
    RunModal(prefs, [&] { Click(prefs.m_okButton); });
    EXPECT_EQ(params.m_ioBufferLength, 2999296) << "OK stores whole KB";
}

TEST(Preferences, TheWindowOpensThemFromItsMenu)
{
    TempDir home;
    ScopedHome scopedHome(home.Path());
    ObservedWindow* window = new ObservedWindow;
    int shown = 0;
    DialogScript script([&](wxDialog* d) {
        shown += dynamic_cast<VessarQuilixPrefsDlg*>(d) != nullptr ? 1 : 0;
        return wxID_CANCEL;
    });
    ChooseMenu(window, ID_MENU_PREFERENCES);
    EXPECT_EQ(shown, 1);
    CloseAndDestroy(window);
}

}  // namespace
