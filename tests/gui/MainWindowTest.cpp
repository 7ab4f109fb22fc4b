// The main window in a real window system: its state after start-up, mode and layout
// switching, the input fields, drag and drop, the file dialogs, a whole take in one file,
// Reset, the status bar, Help, and the settings it keeps from one start to the next.
#include "WindowDriver.h"

#include "DecodeModes.h"
#include "VQParams.h"
#include "VessarFileDropTarget.h"
#include "VqVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/panel.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

class MainWindow : public WindowTest {
protected:
    std::vector<bool> EnabledRows() const
    {
        std::vector<bool> rows;
        for (int i = 0; i < 6; ++i) {
            const bool on = window->m_outTexts[i]->IsEnabled();
            EXPECT_EQ(window->m_outButtons[i]->IsEnabled(), on);
            EXPECT_EQ(window->m_outLabels[i]->IsEnabled(), on);
            rows.push_back(on);
        }
        return rows;
    }
    std::vector<wxString> Outputs() const { return window->Outputs(); }
    std::vector<wxString> LayoutItems() const { return window->Items(window->m_filesChoice); }
    // A short stereo (or other) file at `rate`.
    void WriteTake(const std::string& path, int channels = 2, int rate = 48000) const
    {
        std::vector<Signal> signals;
        for (int c = 0; c < channels; ++c)
            signals.push_back(Noise(2000, 20 + c, 0.1));
        WriteChannels(path, signals, rate);
    }
};

const std::vector<wxString> kNoRows(6, wxString());

TEST_F(MainWindow, StartsFromTheDefaultsWithoutATakeAndConvertWaitsForOne)
{
    Open();
    EXPECT_EQ(window->GetTitle(), "VessarQuilix");
    EXPECT_EQ(window->GetIcons().GetIconCount(), 6u);

    EXPECT_EQ(window->m_modeChoice->GetSelection(), 0);
    EXPECT_EQ(window->m_modeChoice->GetString(1), "5.1");
    EXPECT_EQ(LayoutItems(), (std::vector<wxString>{"4 mono files", "2 stereo files", "1 four channels file"}));
    EXPECT_EQ(window->m_filesChoice->GetStringSelection(), "1 four channels file");
    EXPECT_EQ(window->m_bfGainSlider->GetValue(), -3);
    EXPECT_EQ(window->m_surGainSlider->GetValue(), -3);
    EXPECT_EQ(window->m_angleSlider->GetValue(), 60);
    EXPECT_EQ(window->m_angleSlider->GetMin(), 15);
    EXPECT_EQ(window->m_angleSlider->GetMax(), 90);
    for (wxCheckBox* box :
         {window->m_bfAutorangeCheck, window->m_surAutorangeCheck, window->m_lfeCheck, window->m_ditherCheck})
        EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(window->m_highpassChoice->GetStringSelection(), "Off");
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "as the take") << "the take's own precision";
    EXPECT_EQ(window->m_conventionChoice->GetStringSelection(), "FuMa");

    // No made-up take: empty fields that say how to name one, and Convert greyed out.
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "");
    EXPECT_TRUE(window->m_fluFrdText->GetHint().StartsWith("Open a take: File > Open"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), "");
    EXPECT_EQ(window->m_folderText->GetValue(), "");
    EXPECT_EQ(Outputs(), kNoRows);
    EXPECT_EQ(Record().GetOutputPath(0), " ");
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, false, false, false, false, false}));
    EXPECT_FALSE(window->m_convertButton->IsEnabled());
    EXPECT_TRUE(window->m_convertButton->GetToolTipText().StartsWith("Name a take first"));

    EXPECT_EQ(window->m_statusBar->GetFieldsCount(), 3);
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), window->m_fluFrdText->GetHint()) << "how to name a take";
    EXPECT_EQ(window->m_logoBitmap->GetBitmap().GetSize(), wxSize(400, 100));
    EXPECT_EQ(window->m_convertButton->GetBitmap().GetSize(), wxSize(36, 36));
    EXPECT_EQ(window->m_convertButton->GetLabel(), "&Convert");

    // Enter converts nothing without a take; a take named, Convert is there.
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    window->m_fluFrdText->SetFocus();
    window->GetEventHandler()->ProcessEvent(enter);
    EXPECT_TRUE(window->messages.empty());
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    EXPECT_TRUE(window->m_convertButton->IsEnabled());
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
    EXPECT_EQ(window->m_folderText->GetValue(), work.Path()) << "outputs go beside the input";
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav");
    Type(window->m_fluFrdText, "");
    EXPECT_FALSE(window->m_convertButton->IsEnabled());
    EXPECT_EQ(Outputs(), kNoRows);
}

TEST_F(MainWindow, ModeAndLayoutSwitchRowsAndNamesButKeepTheNamesTheUserGave)
{
    Open();
    Type(window->m_fluFrdText, "/rec/concertF.wav");
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(LayoutItems(), (std::vector<wxString>{"6 mono files", "3 stereo files", "1 six channels file"}));
    EXPECT_EQ(Outputs()[0], "concert_5.1.wav");

    Select(window->m_filesChoice, "3 stereo files");
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, true, true, false, false, false}));
    EXPECT_EQ(Outputs(), (std::vector<wxString>{"concert_LR.wav", "concert_CLfe.wav", "concert_LsRs.wav", "", "", ""}));

    Select(window->m_filesChoice, "6 mono files");
    EXPECT_EQ(EnabledRows(), std::vector<bool>(6, true));
    EXPECT_EQ(Outputs()[5], "concert_Rs.wav");

    Select(window->m_modeChoice, 0);
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_EQ(Outputs(),
              (std::vector<wxString>{"concert_W.wav", "concert_X.wav", "concert_Y.wav", "concert_Z.wav", "", ""}));

    // A name the user typed stays through mode and layout changes while its row exists.
    Type(window->m_outTexts[0], "mine.wav");
    Type(window->m_outTexts[3], "z.wav");
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(Outputs()[0], "mine.wav");
    EXPECT_EQ(Outputs()[1], "concert_R.wav");
    EXPECT_EQ(Outputs()[3], "z.wav");
    Select(window->m_filesChoice, "1 six channels file");
    EXPECT_EQ(Outputs()[0], "mine.wav");
    EXPECT_EQ(Record().GetOutputPath(0), "/rec/mine.wav");
    Select(window->m_filesChoice, "6 mono files");
    EXPECT_EQ(Outputs()[3], "concert_Lfe.wav") << "row 4 went with the one-file layout, and its name too";
}

TEST_F(MainWindow, FieldsWriteIntoTheRecord)
{
    Open();
    Type(window->m_fluFrdText, "/rec/liveF.wav");
    EXPECT_EQ(Record().GetFullPath(VQParams::kFluFrdInput), "/rec/liveF.wav");
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav") << "the outputs follow the first input";
    EXPECT_EQ(window->m_bldBruText->GetValue(), "/rec/liveR.wav") << "a front file typed in brings its rear";

    Type(window->m_bldBruText, "/rec/otherR.wav");
    EXPECT_EQ(Record().GetFullPath(VQParams::kBldBruInput), "/rec/otherR.wav");
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav");

    Type(window->m_outTexts[0], "/out/b.wav");
    EXPECT_EQ(Record().GetOutputPath(0), "/out/b.wav");

    Slide(window->m_bfGainSlider, 7);
    Tick(window->m_bfAutorangeCheck, true);
    Slide(window->m_surGainSlider, -12);
    Slide(window->m_angleSlider, 80);
    Tick(window->m_surAutorangeCheck, true);
    Tick(window->m_lfeCheck, true);
    EXPECT_EQ(Record().m_bformatGain, 7.0);
    EXPECT_TRUE(Record().m_bformatAutorange);
    EXPECT_EQ(Record().m_surroundGain, -12.0);
    EXPECT_EQ(Record().m_openingAngle, 80);
    EXPECT_TRUE(Record().m_surroundAutorange) << "the 5.1 Autorange box is not a dummy";
    EXPECT_TRUE(Record().m_lowFreqsInLfe);
}

// The decode kind offers the chosen mode's decoders, and each mode keeps its own choice.
TEST_F(MainWindow, TheDecodeKindIsTheModesOwnChoice)
{
    Open();
    Select(window->m_modeChoice, vq::DecodeModeIndex("binaural"));
    ASSERT_TRUE(window->m_decoderChoice->IsShown());
    ASSERT_EQ(window->m_decoderChoice->GetCount(), 2u);
    EXPECT_EQ(window->m_decoderChoice->GetString(1), "Parametric (directional)");
    Select(window->m_decoderChoice, 1);
    EXPECT_EQ(Record().Decoder(), "parametric");
    EXPECT_EQ(Record().Request().decode.Decoder(), "parametric") << "the run gets it";

    Select(window->m_modeChoice, vq::DecodeModeIndex("5.1"));
    EXPECT_EQ(window->m_decoderChoice->GetCount(), 3u);
    EXPECT_EQ(window->m_decoderChoice->GetSelection(), 0) << "5.1 has a choice of its own";
    Select(window->m_modeChoice, vq::DecodeModeIndex("uhj"));
    EXPECT_FALSE(window->m_decoderChoice->IsShown()) << "UHJ has one decoder";
    Select(window->m_modeChoice, vq::DecodeModeIndex("binaural"));
    EXPECT_EQ(window->m_decoderChoice->GetSelection(), 1);
}

TEST_F(MainWindow, DroppedFrontFileBringsItsRearFile)
{
    Open();
    struct Case {
        int field;
        const char* dropped;
        const char* front;
        const char* rear;
    };
    const Case cases[] = {
        {0, "/rec/takeF.wav", "/rec/takeF.wav", "/rec/takeR.wav"},
        {1, "/rec/otherF.wav", "/rec/takeF.wav", "/rec/otherF.wav"},
        {0, "/rec/mono.wav", "/rec/mono.wav", "/rec/otherF.wav"},
    };
    for (const Case& c : cases) {
        wxTextCtrl* field = c.field == 0 ? window->m_fluFrdText : window->m_bldBruText;
        wxArrayString files;
        files.Add(c.dropped);
        files.Add("/ignored/secondF.wav");
        EXPECT_TRUE(static_cast<VessarFileDropTarget*>(field->GetDropTarget())->OnDropFiles(0, 0, files));
        EXPECT_EQ(window->m_fluFrdText->GetValue(), c.front) << c.dropped;
        EXPECT_EQ(window->m_bldBruText->GetValue(), c.rear) << c.dropped;
        EXPECT_EQ(Record().GetFullPath(VQParams::kBldBruInput), c.rear);
    }
}

TEST_F(MainWindow, OpenDialogOffersSoundFilesPairsTheInputsAndRemembersItsDirectory)
{
    Open();
    const wxString front = work.File("liveF.wav");
    window->answers = {{true, front, 0}, {false, "", 0}};
    Click(window->m_fluFrdButton);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), front);
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("liveR.wav"));
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav");
    Click(window->m_bldBruButton);
    ASSERT_EQ(window->asked.size(), 2u);
    EXPECT_EQ(window->asked[0].title, "Open File for channels FLU-FRD");
    EXPECT_EQ(window->asked[1].title, "Open File for channels BLD-BRU");
    EXPECT_EQ(window->asked[1].directory, work.Path()) << "the next dialog opens where the last one ended";
    EXPECT_EQ(window->asked[0].wildcard,
              "Sound files (*.wav, *.rf64, *.w64, *.caf, *.aif, *.aiff, *.flac)|"
              "*.wav;*.rf64;*.w64;*.caf;*.aif;*.aiff;*.flac|WAV files (*.wav)|*.wav|All files (*.*)|*.*");
}

TEST_F(MainWindow, ACancelledDialogChangesNothing)
{
    Open();
    std::vector<wxString> wildcards;
    wxString lastDir;
    DialogScript script([&](wxDialog* d) {
        wxFileDialog* dialog = dynamic_cast<wxFileDialog*>(d);
        wildcards.push_back(dialog->GetWildcard());
        lastDir = dialog->GetDirectory();
        return wxID_CANCEL;
    });
    Select(window->m_modeChoice, 1);
    const int bformat = Record().m_bformatFormat, surround = Record().m_surroundFormat;
    const std::vector<wxString> before = Outputs();
    const wxString front = window->m_fluFrdText->GetValue();
    Click(window->m_fluFrdButton);
    Click(window->m_outButtons[0]);
    Click(window->m_outButtons[0]);
    ASSERT_EQ(wildcards.size(), 3u);
    EXPECT_NE(wildcards[0].Find("*.flac"), wxNOT_FOUND) << "the open dialog offers every readable file";
    EXPECT_NE(wildcards[1].Find("FLAC 24-bit (*.flac)"), wxNOT_FOUND);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), front);
    EXPECT_EQ(Outputs(), before);
    EXPECT_EQ(Record().m_bformatFormat, bformat);
    EXPECT_EQ(Record().m_surroundFormat, surround);
    EXPECT_FALSE(lastDir.empty()) << "the start directory survives a cancel";
}

TEST_F(MainWindow, AFourChannelTakeNeedsNoRearFile)
{
    Open();
    WriteTake(work.File("take.wav"), 4);
    WriteTake(work.File("pairF.wav"));
    const wxString rear = window->m_bldBruText->GetValue();
    wxArrayString files;
    files.Add(work.File("take.wav"));
    static_cast<VessarFileDropTarget*>(window->m_fluFrdText->GetDropTarget())->OnDropFiles(0, 0, files);
    EXPECT_EQ(window->m_bldBruText->GetValue(), VessarQuilixGUI::kRearNotNeeded);
    for (wxWindow* w : std::vector<wxWindow*>{window->m_bldBruText, window->m_bldBruButton, window->m_bldBruLabel})
        EXPECT_FALSE(w->IsEnabled());
    EXPECT_EQ(Record().GetFullPath(VQParams::kBldBruInput), rear) << "the note is no file name";
    EXPECT_EQ(Outputs()[0], "take_WXYZ.wav") << "a whole take keeps its whole name";

    window->answers = {{true, work.File("pairF.wav"), 0}};
    Click(window->m_fluFrdButton);
    EXPECT_TRUE(window->m_bldBruText->IsEnabled());
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("pairR.wav"));
}

TEST_F(MainWindow, TheStatusBarShowsThePickedInputsRateAndFilterLength)
{
    Open();
    WriteTake(work.File("liveF.wav"), 2, 44100);
    fs::create_directory(work.File("filters"));
    const int taps = 37;
    WriteFilterMatrix(work.File("filters/FilterMatrix_44100.wav"), RandomFilterMatrix(taps, 3), 44100);
    WriteTake(work.File("otherF.wav"), 2, 32000);

    struct Case {
        const char* front;
        const char* rate;
        const char* filter;
    };
    const Case cases[] = {
        {"liveF.wav", "44100 Hz", "37 smpls"},
        {"otherF.wav", "32000 Hz", ""},  // no filter matrix at that rate
        {"missingF.wav", "", ""},
    };
    for (const Case& c : cases) {
        window->answers = {{true, work.File(c.front), 0}};
        Click(window->m_fluFrdButton);
        EXPECT_EQ(window->m_statusBar->GetStatusText(1), c.rate) << c.front;
        EXPECT_EQ(window->m_statusBar->GetStatusText(2), c.filter) << c.front;
    }
    window->answers = {{true, work.File("liveF.wav"), 0}};
    Click(window->m_fluFrdButton);
    window->questionAnswers = {true};
    ChooseMenu(window, ID_MENU_RESET);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "") << "no made-up names come back";
    EXPECT_EQ(window->m_bldBruText->GetValue(), "");
    EXPECT_EQ(Outputs(), kNoRows);
    EXPECT_FALSE(window->m_convertButton->IsEnabled());
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "") << "no input, no rate: never \"0 Hz\"";
    EXPECT_EQ(window->m_statusBar->GetStatusText(2), "");
}

TEST_F(MainWindow, TheStatusBarHasRoomForTheMenusHelp)
{
    Open();
    ShowAndSettle(window);
    wxRect field;
    ASSERT_TRUE(window->m_statusBar->GetFieldRect(0, field));
    int items = 0;
    for (std::size_t m = 0; m < window->m_menubar->GetMenuCount(); ++m)
        for (wxMenuItem* item : window->m_menubar->GetMenu(m)->GetMenuItems()) {
            if (item->IsSeparator())
                continue;
            ++items;
            EXPECT_LT(window->m_statusBar->GetTextExtent(item->GetHelp()).x, field.width) << item->GetHelp();
        }
    EXPECT_EQ(items, 6);
    EXPECT_EQ(window->m_menubar->FindItem(ID_MENU_PREFERENCES)->GetHelp(), "Show the preferences dialog");
}

// Collects what would go to the toolkit's log (and from there to its message boxes).
class LogRecorder : public wxLog {
public:
    LogRecorder() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~LogRecorder() override { wxLog::SetActiveTarget(m_previous); }
    std::vector<wxString> messages;

protected:
    void DoLogTextAtLevel(wxLogLevel, const wxString& text) override { messages.push_back(text); }

private:
    wxLog* m_previous;
};

TEST_F(MainWindow, HelpOpensTheGuideOrSaysWhereItIs)
{
    Open();
    LogRecorder log;
    const wxString page = work.File("docs/VessarQuilix.html");
    ChooseMenu(window, wxID_HELP);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_TRUE(window->browsed.empty()) << "no browser for a page that is not there";
    EXPECT_EQ(window->messages[0].title, "VessarQuilix Help");
    EXPECT_NE(window->messages[0].text.Find(page), wxNOT_FOUND);
    EXPECT_NE(window->messages[0].text.Find("File > Preferences > Directories"), wxNOT_FOUND);

    fs::create_directory(work.File("docs"));
    std::ofstream(page.ToStdString()) << "<html></html>";
    ChooseMenu(window, wxID_HELP);
    EXPECT_EQ(window->browsed, std::vector<wxString>{"file://" + page});
    EXPECT_EQ(window->messages.size(), 1u);

    window->browserStarts = false;
    ChooseMenu(window, wxID_HELP);
    ASSERT_EQ(window->messages.size(), 2u);
    EXPECT_NE(window->messages[1].text.Find("No web browser"), wxNOT_FOUND);
    EXPECT_NE(window->messages[1].text.Find(page), wxNOT_FOUND) << "it says where the page is";
    wxLog::FlushActive();
    EXPECT_TRUE(log.messages.empty()) << "the toolkit's \"Failed to open URL\" box stays away";

    const wxAboutDialogInfo about = VessarQuilixGUI::AboutInfo();
    EXPECT_EQ(about.GetName(), "VessarQuilix");
    EXPECT_EQ(about.GetVersion(), "0.7.1b");
    EXPECT_EQ(about.GetDescription(), "A to B format/5.1 converter (four channels filtering tool).");
    EXPECT_FALSE(about.GetCopyright().empty());
    ASSERT_TRUE(about.HasIcon()) << "the logo, not the toolkit's placeholder";
    EXPECT_EQ(about.GetIcon().GetWidth(), 64);
}

TEST_F(MainWindow, FirstStartInTheStagedTreeOffersTheDemoTake)
{
    fs::create_directories(work.File("demo"));
    fs::create_directories(work.File("filters"));
    WriteTake(work.File("demo/demoF.wav"));
    WriteTake(work.File("demo/demoR.wav"));
    WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), RandomFilterMatrix(32, 1));
    Open();
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("demo/demoF.wav"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("demo/demoR.wav"));
    EXPECT_EQ(window->m_folderText->GetValue(), work.File("demo"));
    EXPECT_EQ(Outputs()[0], "demo_WXYZ.wav");
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "48000 Hz");
    Click(window->m_convertButton);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0].text.BeforeFirst('\n'), "Conversion done with success!!")
        << "Convert works on a first click";
    EXPECT_TRUE(fs::exists(work.File("demo/demo_WXYZ.wav")));

    // Once the user has picked an input, the window starts without a take.
    window->answers = {{true, work.File("demo/demoF.wav"), 0}};
    Click(window->m_fluFrdButton);
    Close();
    Open();
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "");
}

TEST_F(MainWindow, SettingsAreWrittenAtOnceAndComeBackAtTheNextStart)
{
    Open();
    Slide(window->m_bfGainSlider, 7);
    Tick(window->m_bfAutorangeCheck, true);
    Select(window->m_highpassChoice, "80 Hz");
    Select(window->m_containerChoice, "Sony Wave64");
    Select(window->m_sampleChoice, "24-bit");
    Tick(window->m_ditherCheck, true);
    Select(window->m_conventionChoice, "AmbiX");
    Select(window->m_modeChoice, 1);
    Select(window->m_filesChoice, "3 stereo files");
    Slide(window->m_surGainSlider, -12);
    Slide(window->m_angleSlider, 80);
    Tick(window->m_surAutorangeCheck, true);
    Tick(window->m_lfeCheck, true);
    window->folderAnswers = {work.File("out")};
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    Click(window->m_folderButton);

    // Written as they changed, before the window closes.
    const std::string text = SettingsText();
    for (const std::string& line : std::vector<std::string>{
             "Mode=5.1", "FileLayout=1", "BFormatGain=7", "BFormatAutorange=1", "SurroundGain=-12", "OpeningAngle=80",
             "LowFreqsInLfe=1", "SurroundAutorange=1", "Container=w64", "SampleFormat=pcm24", "Convention=AmbiX",
             "Dither=1", "HighPassHz=80", "OutputFolder=" + work.File("out")})
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << " in\n" << text;

    Close();
    Open();
    EXPECT_EQ(window->m_modeChoice->GetSelection(), 1);
    EXPECT_EQ(window->m_filesChoice->GetStringSelection(), "3 stereo files");
    EXPECT_EQ(window->m_bfGainSlider->GetValue(), 7);
    EXPECT_TRUE(window->m_bfAutorangeCheck->IsChecked());
    EXPECT_EQ(window->m_highpassChoice->GetStringSelection(), "80 Hz");
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "Sony Wave64");
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    EXPECT_TRUE(window->m_ditherCheck->IsChecked());
    EXPECT_EQ(window->m_conventionChoice->GetStringSelection(), "AmbiX");
    EXPECT_EQ(window->m_surGainSlider->GetValue(), -12);
    EXPECT_EQ(window->m_angleSlider->GetValue(), 80);
    EXPECT_TRUE(window->m_surAutorangeCheck->IsChecked());
    EXPECT_TRUE(window->m_lfeCheck->IsChecked());
    EXPECT_EQ(Record().m_highpassHz, 80.0);
    EXPECT_EQ(Record().m_surroundFormat, Record().m_bformatFormat);
    // The folder was chosen for that take; the folder dialog starts there again.
    fs::create_directory(work.File("out"));
    window->folderAnswers = {""};
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    EXPECT_EQ(window->m_folderText->GetValue(), work.Path());
    Click(window->m_folderButton);
    ASSERT_EQ(window->askedFolders.size(), 1u);
    EXPECT_EQ(window->askedFolders[0], work.File("out"));
    EXPECT_EQ(Record().GetOutputPath(0), work.File("live_LR.w64"));
}

TEST_F(MainWindow, UnusableSettingsKeepTheDefaults)
{
    fs::create_directories(home.File(".config/VessarQuilix"));
    std::ofstream(home.File(".config/VessarQuilix/VessarQuilix.conf"))
        << "[VessarQuilixGUI]\nMode=7\nBFormatGain=99\nOpeningAngle=5\nContainer=mp3\nSampleFormat=float\n"
           "Convention=B\nHighPassHz=75\n";
    Open();
    EXPECT_EQ(window->m_modeChoice->GetSelection(), 0);
    EXPECT_EQ(window->m_bfGainSlider->GetValue(), -3);
    EXPECT_EQ(window->m_angleSlider->GetValue(), 60);
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "float");
    EXPECT_EQ(window->m_conventionChoice->GetStringSelection(), "FuMa");
    EXPECT_EQ(window->m_highpassChoice->GetStringSelection(), "80 Hz") << "the nearest corner offered";
    Close();

    // FLAC holds no float, and AmbiX neither .amb nor stereo pairs.
    std::ofstream(home.File(".config/VessarQuilix/VessarQuilix.conf"))
        << "[VessarQuilixGUI]\nContainer=flac\nSampleFormat=float\nConvention=AmbiX\nFileLayout=1\n";
    Open();
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    EXPECT_EQ(window->m_filesChoice->GetStringSelection(), "1 four channels file");
}

TEST_F(MainWindow, DirectoriesAreKeptFromOneStartToTheNext)
{
    Open();
    window->answers = {{true, work.File("sessions/liveF.wav"), 0}};
    Click(window->m_fluFrdButton);
    EXPECT_NE(SettingsText().find("InputWorkingPath=" + work.File("sessions")), std::string::npos) << "at once";
    Close();
    const std::string text = SettingsText();
    EXPECT_NE(text.find("FiltersPath=" + work.File("filters")), std::string::npos) << text;
    EXPECT_NE(text.find("IOBufferLength=2097152"), std::string::npos) << text;

    Open();
    window->answers = {{false, "", 0}};
    Click(window->m_bldBruButton);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].directory, work.File("sessions"));
}

TEST_F(MainWindow, EveryDecodeModeHasItsBoxItsControlsAndItsFile)
{
    Open();
    Type(window->m_fluFrdText, "/rec/takeF.wav");
    struct Case {
        int mode;
        const char* box;
        const char* output;
        std::vector<const wxWindow*> shown;  // of the controls below, those this mode shows
    };
    const Case cases[] = {
        {vq::DecodeModeIndex("5.1"), "5.1 Process Controls", "_5.1.wav", {window->m_decoderChoice}},
        {vq::DecodeModeIndex("stereo"), "Stereo Process Controls", "_stereo.wav", {window->m_patternChoice}},
        {vq::DecodeModeIndex("uhj"), "UHJ Process Controls", "_UHJ.wav", {}},
        {vq::DecodeModeIndex("binaural"), "Binaural Process Controls", "_binaural.wav",
         {window->m_hrtfButton, window->m_decoderChoice}},
    };
    for (const Case& c : cases) {
        Select(window->m_modeChoice, c.mode);
        EXPECT_EQ(Record().m_outputMode, c.mode);
        EXPECT_EQ(window->m_surroundBox->GetLabel(), c.box);
        EXPECT_TRUE(window->m_surroundBox->IsEnabled()) << c.box;
        EXPECT_TRUE(Outputs()[0].EndsWith(c.output)) << Outputs()[0];
        for (const wxWindow* w : {static_cast<const wxWindow*>(window->m_decoderChoice),
                                  static_cast<const wxWindow*>(window->m_patternChoice),
                                  static_cast<const wxWindow*>(window->m_hrtfButton)})
            EXPECT_EQ(w->IsShown(), std::find(c.shown.begin(), c.shown.end(), w) != c.shown.end()) << c.box;
        if (c.mode != vq::DecodeModeIndex("5.1")) {
            EXPECT_EQ(LayoutItems(), std::vector<wxString>{"1 stereo file"}) << c.box;
        }
    }
    // The decode's settings and the rotation go into the record.
    Select(window->m_modeChoice, vq::DecodeModeIndex("stereo"));
    Select(window->m_patternChoice, 4);  // figure-of-eight
    window->m_pairAngleSpin->SetValue(110);
    wxCommandEvent spun(wxEVT_SPINCTRL, window->m_pairAngleSpin->GetId());
    spun.SetEventObject(window->m_pairAngleSpin);
    window->m_pairAngleSpin->GetEventHandler()->ProcessEvent(spun);
    window->m_rotateFields[0]->SetValue("45");  // sends the text event
    window->m_rotateFields[1]->SetValue("up");  // not an angle: the pitch stays
    EXPECT_EQ(Record().m_pairPattern, 0.0);
    EXPECT_EQ(Record().m_pairAngle, 110.0);
    EXPECT_EQ(Record().m_yaw, 45.0);
    EXPECT_EQ(Record().m_pitch, 0.0);
}

TEST_F(MainWindow, ALineSaysWhatChangesTheSound)
{
    Open();
    const auto line = [&] { return window->m_processingLine->GetLabel(); };
    EXPECT_EQ(line(), "") << "the defaults change nothing";
    EXPECT_NE(window->m_processingLine->GetForegroundColour(), window->m_filesLabel->GetForegroundColour());
    const wxString degree = wxString::FromUTF8("\u00B0");
    Slide(window->m_bfGainSlider, 5);
    EXPECT_EQ(line(), "B-format gain +5 dB");
    Type(window->m_rotateFields[0], "90");
    Select(window->m_highpassChoice, "80 Hz");
    EXPECT_EQ(line(), "Rotation 90" + degree + ", high-pass 80 Hz, B-format gain +5 dB");
    Type(window->m_rotateFields[1], "-10");
    EXPECT_EQ(line(), "Rotation yaw 90" + degree + " pitch -10" + degree +
                          ", high-pass 80 Hz, B-format gain +5 dB");
    // A decode: its own gain counts, not the B-format's.
    Select(window->m_modeChoice, "5.1");
    Type(window->m_rotateFields[0], "0");
    Type(window->m_rotateFields[1], "0");
    Select(window->m_highpassChoice, "Off");
    EXPECT_EQ(line(), "");
    Slide(window->m_surGainSlider, 15);
    Slide(window->m_angleSlider, 75);
    Tick(window->m_lfeCheck, true);
    EXPECT_EQ(line(), "Decode gain +15 dB, opening angle 75" + degree + ", low frequencies in LFE");
    Tick(window->m_surAutorangeCheck, true);
    EXPECT_EQ(line(), "Decode autorange, opening angle 75" + degree + ", low frequencies in LFE");
    Select(window->m_modeChoice, "Stereo");
    EXPECT_EQ(line(), "Decode autorange");
}

TEST_F(MainWindow, ResetAsksThenPutsEverySettingBack)
{
    Open();
    WriteTake(work.File("liveF.wav"));
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    Select(window->m_modeChoice, "5.1");
    Slide(window->m_surGainSlider, 9);
    Select(window->m_filesChoice, "6 mono files");
    Select(window->m_highpassChoice, "80 Hz");
    Type(window->m_rotateFields[0], "45");
    Tick(window->m_keepBFormatCheck, true);
    Select(window->m_sampleChoice, "24-bit");
    fs::create_directory(work.File("out"));
    Type(window->m_folderText, work.File("out"));
    const std::string changed = SettingsText();

    window->questionAnswers = {false};
    ChooseMenu(window, ID_MENU_RESET);
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0].title, "VessarQuilix: Reset");
    EXPECT_EQ(window->questions[0].yes, "&Reset");
    EXPECT_EQ(Record().m_surroundGain, 9.0) << "Cancel changes nothing";
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("liveF.wav"));
    EXPECT_EQ(SettingsText(), changed);

    window->questionAnswers = {true};
    ChooseMenu(window, ID_MENU_RESET);
    const VQParams defaults(nullptr);
    EXPECT_EQ(window->m_modeChoice->GetSelection(), 0);
    EXPECT_EQ(Record().m_outputMode, defaults.m_outputMode);
    EXPECT_EQ(Record().m_surroundGain, defaults.m_surroundGain);
    EXPECT_EQ(window->m_surGainSlider->GetValue(), -3);
    EXPECT_EQ(Record().m_fileLayout, defaults.m_fileLayout);
    EXPECT_EQ(Record().m_highpassHz, 0.0);
    EXPECT_EQ(window->m_highpassChoice->GetStringSelection(), "Off");
    EXPECT_EQ(Record().m_yaw, 0.0);
    EXPECT_EQ(window->m_rotateFields[0]->GetValue(), "0");
    EXPECT_FALSE(window->m_keepBFormatCheck->IsChecked());
    EXPECT_EQ(Record().m_bformatFormat, defaults.m_bformatFormat);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "") << "a first start's take: none without a demo";
    EXPECT_EQ(window->m_folderText->GetValue(), "");
    EXPECT_EQ(window->m_processingLine->GetLabel(), "");
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    EXPECT_EQ(window->m_folderText->GetValue(), work.Path()) << "the folder follows the take again";

    Close();
    Open();
    EXPECT_EQ(Record().m_surroundGain, defaults.m_surroundGain) << "the settings file is reset too";
    EXPECT_FALSE(window->m_keepBFormatCheck->IsChecked());
    EXPECT_EQ(Record().m_outputMode, 0);
}

TEST_F(MainWindow, TheTakesProblemsShowUnderItsFieldsBeforeAnyRun)
{
    fs::create_directory(work.File("filters"));
    WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), RandomFilterMatrix(16, 2));
    Open();
    const auto note = [&] { return window->m_inputNote->IsShown() ? window->m_inputNote->GetLabel() : wxString(); };
    EXPECT_EQ(note(), "") << "a default name that is no file yet says nothing";
    WriteTake(work.File("liveF.wav"));
    const int height = window->GetSize().y;
    struct Case {
        const char* what;
        std::function<void()> rear;  // writes the rear file, or not
        wxString note;
    };
    const Case cases[] = {
        {"missing", [] {}, "BLD + BRU: liveR.wav does not exist"},
        {"another rate", [&] { WriteTake(work.File("liveR.wav"), 2, 44100); },
         "BLD + BRU: liveR.wav is at 44100 Hz, liveF.wav at 48000 Hz"},
        {"three channels", [&] { WriteTake(work.File("liveR.wav"), 3); }, "BLD + BRU: liveR.wav has 3 channels, not 2"},
        {"good", [&] { WriteTake(work.File("liveR.wav")); }, ""},
    };
    for (const Case& c : cases) {
        fs::remove(work.File("liveR.wav"));
        c.rear();
        Type(window->m_fluFrdText, work.File("liveF.wav"));
        EXPECT_EQ(note(), c.note) << c.what;
        EXPECT_EQ(window->GetSize().y > height, !c.note.empty()) << c.what << ": the note has its room";
    }
    // No filter matrix at the take's rate.
    WriteTake(work.File("slowF.wav"), 2, 44100);
    WriteTake(work.File("slowR.wav"), 2, 44100);
    Type(window->m_fluFrdText, work.File("slowF.wav"));
    EXPECT_EQ(note(), "No filter matrix for 44100 Hz in " + work.File("filters") +
                          ": File > Preferences sets the filters folder");

    // A run's "Error." goes once the take is good.
    fs::remove(work.File("liveR.wav"));
    Type(window->m_fluFrdText, work.File("liveF.wav"));
    Click(window->m_convertButton);
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Error.");
    WriteTake(work.File("liveR.wav"));
    Type(window->m_bldBruText, work.File("liveR.wav"));
    EXPECT_EQ(note(), "");
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
}

TEST_F(MainWindow, FilesDroppedAnywhereMakeATakeWhenTheirNamesTellOne)
{
    Open();
    wxFileDropTarget* anywhere = dynamic_cast<wxFileDropTarget*>(window->m_mainPanel->GetDropTarget());
    ASSERT_NE(anywhere, nullptr) << "the whole window takes drops";
    const auto drop = [&](std::initializer_list<std::string> names) {
        wxArrayString paths;
        for (const std::string& name : names)
            paths.Add(work.File(name));
        return anywhere->OnDropFiles(0, 0, paths);
    };
    // Two files, the rear one first: front and rear by their names.
    EXPECT_TRUE(drop({"concertR.wav", "concertF.wav"}));
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("concertF.wav"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("concertR.wav"));
    EXPECT_EQ(Outputs()[0], "concert_WXYZ.wav");
    // Four mono files in any order: the FLU one names the take.
    for (const char* capsule : {"FLU", "FRD", "BLD", "BRU"})
        WriteTake(work.File(std::string("take") + capsule + ".wav"), 1);
    EXPECT_TRUE(drop({"takeBRU.wav", "takeFRD.wav", "takeFLU.wav", "takeBLD.wav"}));
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("takeFLU.wav"));
    EXPECT_EQ(Outputs()[0], "take_WXYZ.wav");
    EXPECT_TRUE(window->messages.empty());

    struct Refused {
        std::initializer_list<std::string> names;
        const char* said;
    };
    fs::create_directory(work.File("session"));
    const Refused refused[] = {
        {{"session"}, "A folder is no take"},
        {{"one.wav", "two.wav"}, "Two files are a take when"},
        {{"a.wav", "b.wav", "c.wav"}, "3 files are no take"},
        {{"takeFLU.wav", "takeFRD.wav", "takeBLD.wav", "otherBRU.wav"}, "Four files are a take when"},
    };
    for (const Refused& r : refused) {
        window->messages.clear();
        EXPECT_FALSE(drop(r.names)) << r.said;
        ASSERT_EQ(window->messages.size(), 1u) << r.said;
        EXPECT_TRUE(window->messages[0].text.StartsWith(r.said)) << window->messages[0].text;
        EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("takeFLU.wav")) << "the take stays";
    }
}

TEST_F(MainWindow, FileOpenNamesATake)
{
    Open();
    WriteTake(work.File("liveF.wav"));
    window->answers = {{true, work.File("liveF.wav"), 0}};
    ChooseMenu(window, ID_MENU_OPEN);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].title, "Open a Take");
    EXPECT_EQ(window->asked[0].style, wxFD_OPEN | wxFD_MULTIPLE) << "the parts of a split take are picked together";
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("liveF.wav"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("liveR.wav"));
    wxAcceleratorEntry* accel = window->m_menubar->FindItem(ID_MENU_OPEN)->GetAccel();
    ASSERT_NE(accel, nullptr);
    EXPECT_EQ(accel->ToString(), "Ctrl+O");
    delete accel;
}

// Runs the program with `arguments` and no display; its standard output and exit status.
std::pair<std::string, int> RunWindowProgram(const std::string& arguments)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " VQ_WINDOW_PATH " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        output += static_cast<char>(c);
    const int status = pipe ? pclose(pipe) : -1;
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(WindowProgram, AnswersHelpAndVersionOnTheTerminalWithoutADisplay)
{
    const auto [help, helpStatus] = RunWindowProgram("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(help.rfind("Usage: vessarquilix [FILE...]\n", 0), 0u) << help;
    const auto [version, versionStatus] = RunWindowProgram("--version");
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version, std::string("vessarquilix ") + vq::kVersionString + "\n");
    const auto [unknown, unknownStatus] = RunWindowProgram("--colour");
    EXPECT_EQ(unknownStatus, 2);
    EXPECT_EQ(unknown.rfind("vessarquilix: unknown option --colour\n", 0), 0u) << unknown;
}

TEST_F(MainWindow, TheFirstOpenDialogStartsWhereTheTakeShownIs)
{
    fs::create_directory(work.File("demo"));
    WriteTake(work.File("demo/demoF.wav"));
    WriteTake(work.File("demo/demoR.wav"));
    Open();  // the demo take is offered on a first start
    window->answers = {{false, "", 0}};
    Click(window->m_fluFrdButton);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].directory, work.File("demo"));
    // Later too: the folder of the take shown, wherever the last dialog ended.
    fs::create_directory(work.File("elsewhere"));
    window->answers = {{true, work.File("elsewhere/liveF.wav"), 0}, {false, "", 0}};
    ChooseMenu(window, ID_MENU_OPEN);
    Type(window->m_fluFrdText, work.File("demo/demoF.wav"));
    ChooseMenu(window, ID_MENU_OPEN);
    ASSERT_EQ(window->asked.size(), 3u);
    EXPECT_EQ(window->asked[2].directory, work.File("demo"));
}

}  // namespace
