// The preferences dialog: the buffer-size mapping, the marks of the directories, the lines
// under them that say what is there or why the cross, the choice of filter sets with their
// microphones (remembered by the window), and a record that changes on OK only.
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

#include <cstdlib>
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
    using VessarQuilixPrefsDialog::m_filtersNote;
    using VessarQuilixPrefsDialog::m_filtersLabel;
    using VessarQuilixPrefsDialog::m_filterSetChoice;
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

// Where a line stands against the control it is about: under it, from its left edge.
bool StandsUnder(wxWindow* line, wxWindow* control)
{
    const wxRect above = control->GetRect(), below = line->GetRect();
    return line->IsShown() && below.GetTop() >= above.GetBottom() && below.GetLeft() == above.GetLeft();
}

TEST(Preferences, ACrossSaysWhyInItsTipAndInALineUnderTheFolder)
{
    TempDir dir;
    fs::create_directories(dir.File("empty"));
    fs::create_directories(dir.File("slow"));
    Touch(dir.File("slow/FilterMatrix_44100.wav"));
    VQParams params(nullptr);
    params.SetDocsDir(dir.File("nowhere"));
    struct Case {
        const char* folder;
        const char* reason;
    };
    const Case cases[] = {
        {"missing", "no such folder"},
        {"empty", "no FilterMatrix_<rate>.wav here"},
        {"slow", "44100 Hz: none for the take's 48000 Hz"},
    };
    for (const Case& c : cases) {
        params.SetFiltersDir(dir.File(c.folder));
        OpenPrefs prefs(nullptr, &params, nullptr, 48000);
        EXPECT_TRUE(Shows(prefs.m_filtersStatus, "cross_16x16")) << c.folder;
        EXPECT_EQ(prefs.m_filtersStatus->GetToolTipText(), wxString("Not usable as it is: ") + c.reason);
        EXPECT_EQ(prefs.m_filtersRates->GetLabel(), c.reason);
        EXPECT_TRUE(StandsUnder(prefs.m_filtersRates, prefs.m_filtersPicker)) << c.folder;
        EXPECT_NE(prefs.m_filtersRates->GetForegroundColour(), prefs.m_filtersLabel->GetForegroundColour())
            << "a problem stands out";
    }
    OpenPrefs prefs(nullptr, &params, nullptr, 44100);
    EXPECT_TRUE(Shows(prefs.m_filtersStatus, "check_16x16")) << "the take's rate is there";
    EXPECT_EQ(prefs.m_filtersRates->GetLabel(), "44100 Hz");
    EXPECT_EQ(prefs.m_docsStatus->GetToolTipText(), "Not usable as it is: no VessarQuilix.html here");
    EXPECT_TRUE(StandsUnder(prefs.m_docsNote, prefs.m_docsPicker));
}

// Sets designed by vessarquilix-mkfilters for two microphones, beside the program's own
// in the working directory's filters/.
class FilterSets : public WindowTest {
protected:
    FilterSets()
    {
        Design("--rates 48000", "filters");
        Design("--preset tetramic --rates 48000", "mics/tetramic");
        Design("--preset ambeo --rates 44100", "mics/ambeo");
    }
    void Design(const std::string& options, const std::string& folder)
    {
        const std::string command = std::string(VQ_MKFILTERS) + " " + options + " --taps 64 --date 2026-03-01 --out " +
                                    work.File(folder) + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Opens the preferences from the menu, lets `act` work in them, then presses OK.
    void InPreferences(const std::function<void(wxDialog*, wxChoice*)>& act)
    {
        bool shown = false;
        DialogScript script([&](wxDialog* dialog) {
            shown = true;
            wxTheApp->CallAfter([&, dialog] {
                act(dialog, dynamic_cast<wxChoice*>(dialog->FindWindow(ID_FILTER_SET_CHOICE)));
                Click(dialog->FindWindow(wxID_OK));
            });
            return wxID_NONE;  // shown for real
        });
        ChooseMenu(window, ID_MENU_PREFERENCES);
        EXPECT_TRUE(shown);
    }
    static std::vector<wxString> Items(wxChoice* choice)
    {
        std::vector<wxString> items;
        for (unsigned i = 0; i < choice->GetCount(); ++i)
            items.push_back(choice->GetString(i));
        return items;
    }
};

TEST_F(FilterSets, AreAChoiceThatTellsTheirMicrophonesAndTheOnesChosenAreRemembered)
{
    Open();
    InPreferences([&](wxDialog* dialog, wxChoice* sets) {
        ASSERT_NE(sets, nullptr);
        EXPECT_EQ(Items(sets), std::vector<wxString>{"filters: nominal, 15 mm cardioid (the program's own)"});
        EXPECT_EQ(sets->GetSelection(), 0);
        // Another folder, chosen with the picker: a set, listed and selected.
        ChangeDirectory(dynamic_cast<wxDirPickerCtrl*>(dialog->FindWindow(ID_FILTERS_PICKER)), work.File("mics/tetramic"));
        EXPECT_EQ(Items(sets).back(), "tetramic: preset tetramic (Core Sound TetraMic), 17.7 mm cardioid");
        EXPECT_EQ(sets->GetSelection(), 1);
    });
    EXPECT_EQ(Record().GetFiltersDir(), work.File("mics/tetramic"));
    EXPECT_NE(SettingsText().find("Set1=" + work.File("mics/tetramic")), std::string::npos) << SettingsText();

    // The next start offers it again; the take's rate describes each set.
    Close();
    Open();
    WriteChannels(work.File("slow.wav"), {Noise(100, 1), Noise(100, 2), Noise(100, 3), Noise(100, 4)}, 44100);
    Type(window->m_fluFrdText, work.File("slow.wav"));
    InPreferences([&](wxDialog* dialog, wxChoice* sets) {
        ASSERT_EQ(sets->GetCount(), 2u);
        EXPECT_EQ(sets->GetSelection(), 1) << "the set in use";
        ChangeDirectory(dynamic_cast<wxDirPickerCtrl*>(dialog->FindWindow(ID_FILTERS_PICKER)), work.File("mics/ambeo"));
        ASSERT_EQ(sets->GetCount(), 3u);
        EXPECT_EQ(sets->GetString(2), "ambeo: preset ambeo (Sennheiser AMBEO VR Mic), 14 mm cardioid");
        Select(sets, 0);
        EXPECT_EQ(dynamic_cast<wxDirPickerCtrl*>(dialog->FindWindow(ID_FILTERS_PICKER))->GetPath(), work.File("filters"));
    });
    EXPECT_EQ(Record().GetFiltersDir(), work.File("filters")) << "the set chosen";
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("Set1=" + work.File("mics/tetramic")), std::string::npos) << settings;
    EXPECT_NE(settings.find("Set2=" + work.File("mics/ambeo")), std::string::npos) << settings;
}

TEST_F(FilterSets, TheLineUnderTheFolderTellsItsMatrixAndItsTipTheWholeDescription)
{
    VQParams params(nullptr);
    params.SetFiltersDir(work.File("mics/tetramic"));
    OpenPrefs prefs(nullptr, &params);
    EXPECT_EQ(prefs.m_filtersRates->GetLabel(), "48000 Hz");
    wxString note = prefs.m_filtersNote->GetLabel();
    EXPECT_LE(prefs.m_filtersNote->GetSize().x, prefs.m_filtersPicker->GetSize().x) << "wrapped at the folder's width";
    note.Replace("\n", " ");
    EXPECT_EQ(note.ToStdString(),
              "FilterMatrix_48000.wav: preset tetramic (Core Sound TetraMic): 17.7 mm cardioid, 64 taps, delay 17 "
              "frames, designed 2026-03-01");
    EXPECT_TRUE(StandsUnder(prefs.m_filtersNote, prefs.m_filtersPicker));
    EXPECT_NE(prefs.m_filtersNote->GetToolTipText().Find("radius_mm: 17.7"), wxNOT_FOUND);
    EXPECT_EQ(prefs.m_filterSetChoice->GetStringSelection(),
              "tetramic: preset tetramic (Core Sound TetraMic), 17.7 mm cardioid");
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
