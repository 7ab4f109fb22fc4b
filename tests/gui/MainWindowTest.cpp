// The main window in a real window system: its state after start-up, mode and layout
// switching, the fields, drag and drop, the file dialogs, Reset, Help, and the settings it
// keeps from one start to the next.
#include "WindowDriver.h"

#include "VQParams.h"
#include "VessarFileDropTarget.h"

#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <fstream>

using namespace vqtest;

namespace {

class MainWindow : public testing::Test {
protected:
    MainWindow() : scopedHome(home.Path()), cwd(work.Path()), window(new ObservedWindow) {}
    ~MainWindow() override
    {
        if (window)
            CloseAndDestroy(window);
    }

    std::vector<wxString> Outputs() const
    {
        std::vector<wxString> texts;
        for (int i = 0; i < 6; ++i)
            texts.push_back(window->OutputText(i)->GetValue());
        return texts;
    }
    std::vector<bool> EnabledRows() const
    {
        std::vector<bool> rows;
        for (int i = 0; i < 6; ++i) {
            const bool on = window->OutputText(i)->IsEnabled();
            EXPECT_EQ(window->OutputButton(i)->IsEnabled(), on);
            EXPECT_EQ(window->OutputLabel(i)->IsEnabled(), on);
            rows.push_back(on);
        }
        return rows;
    }
    std::vector<wxString> LayoutItems() const
    {
        return {window->m_filesChoice->GetString(0), window->m_filesChoice->GetString(1),
                window->m_filesChoice->GetString(2)};
    }
    const VQParams& Record() const { return window->Params(); }

    TempDir home;
    ScopedHome scopedHome;
    TempDir work;
    ScopedWorkingDirectory cwd;
    ObservedWindow* window;
};

TEST_F(MainWindow, StartsFromTheRecordsDefaults)
{
    EXPECT_EQ(window->GetTitle(), "VessarQuilix");
    EXPECT_FALSE(window->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(window->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_EQ(window->BindingCount(), 31u);
    EXPECT_EQ(window->GetIcons().GetIconCount(), 4u);

    EXPECT_EQ(window->m_modeChoice->GetSelection(), 0);
    EXPECT_EQ(window->m_modeChoice->GetString(1), "5.1");
    EXPECT_EQ(window->m_filesChoice->GetSelection(), 2);
    EXPECT_EQ(LayoutItems(), (std::vector<wxString>{"4 mono files", "2 stereo files", "1 four channels file"}));
    EXPECT_EQ(window->m_bfGainSlider->GetValue(), -3);
    EXPECT_EQ(window->m_surGainSlider->GetValue(), -3);
    EXPECT_EQ(window->m_angleSlider->GetValue(), 60);
    EXPECT_EQ(window->m_angleSlider->GetMin(), 15);
    EXPECT_EQ(window->m_angleSlider->GetMax(), 90);
    for (wxCheckBox* box : {window->m_bfAutorangeCheck, window->m_surAutorangeCheck, window->m_lfeCheck})
        EXPECT_FALSE(box->IsChecked());

    EXPECT_EQ(window->m_fluFrdText->GetValue(), "Audio_file_01.wav");
    EXPECT_EQ(window->m_bldBruText->GetValue(), "Audio_file_02.wav");
    EXPECT_EQ(Outputs(), (std::vector<wxString>{"Audio_file_0_WXYZ.wav", " ", " ", " ", " ", " "}));
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, false, false, false, false, false}));
    EXPECT_TRUE(window->FindWindow(ID_BFORMAT_BOX)->IsEnabled());
    EXPECT_FALSE(window->FindWindow(ID_SURROUND_BOX)->IsEnabled());
    EXPECT_FALSE(window->m_surGainSlider->IsEnabled());

    EXPECT_EQ(window->m_statusBar->GetFieldsCount(), 4);
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
    EXPECT_EQ(window->m_logoBitmap->GetBitmap().GetSize(), wxSize(400, 100));
    EXPECT_EQ(window->m_convertButton->GetBitmapLabel().GetSize(), wxSize(36, 36));
}

TEST_F(MainWindow, ModeAndLayoutSwitchRowsNamesAndControls)
{
    window->m_fluFrdText->SetValue("/rec/concertF.wav");
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(LayoutItems(), (std::vector<wxString>{"6 mono files", "3 stereo files", "1 six channels file"}));
    EXPECT_FALSE(window->FindWindow(ID_BFORMAT_BOX)->IsEnabled());
    EXPECT_FALSE(window->m_bfGainSlider->IsEnabled());
    EXPECT_TRUE(window->FindWindow(ID_SURROUND_BOX)->IsEnabled());
    EXPECT_TRUE(window->m_lfeCheck->IsEnabled());
    EXPECT_EQ(Outputs()[0], "concert_5.1.wav");

    Select(window->m_filesChoice, 1);
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, true, true, false, false, false}));
    EXPECT_EQ(Outputs(),
              (std::vector<wxString>{"concert_LR.wav", "concert_CLfe.wav", "concert_LsRs.wav", " ", " ", " "}));

    Select(window->m_filesChoice, 0);
    EXPECT_EQ(EnabledRows(), std::vector<bool>(6, true));
    EXPECT_EQ(Outputs()[5], "concert_Rs.wav");

    Select(window->m_modeChoice, 0);
    EXPECT_EQ(EnabledRows(), (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_EQ(Outputs(),
              (std::vector<wxString>{"concert_W.wav", "concert_X.wav", "concert_Y.wav", "concert_Z.wav", " ", " "}));

    // Choosing the mode that is already selected changes nothing, not even edited names.
    window->OutputText(0)->SetValue("mine.wav");
    Select(window->m_modeChoice, 0);
    Select(window->m_filesChoice, 0);
    EXPECT_EQ(Outputs()[0], "mine.wav");
    EXPECT_EQ(Record().GetOutputPath(0), "mine.wav");
}

TEST_F(MainWindow, FieldsWriteIntoTheRecord)
{
    window->m_fluFrdText->SetValue("/rec/liveF.wav");
    EXPECT_EQ(Record().GetFullPath(VQParams::kFluFrdInput), "/rec/liveF.wav");
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav") << "the outputs follow the first input";
    EXPECT_EQ(window->m_bldBruText->GetValue(), "/rec/liveR.wav") << "a front file typed in brings its rear";

    window->m_bldBruText->SetValue("/rec/otherR.wav");
    EXPECT_EQ(Record().GetFullPath(VQParams::kBldBruInput), "/rec/otherR.wav");
    EXPECT_EQ(Outputs()[0], "live_WXYZ.wav");

    window->OutputText(0)->SetValue("/out/b.wav");
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

TEST_F(MainWindow, DroppedFrontFileBringsItsRearFile)
{
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

TEST_F(MainWindow, OpenDialogPairsTheInputsAndRemembersItsDirectory)
{
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
}

TEST_F(MainWindow, ACancelledDialogChangesNothing)
{
    int opened = 0;
    wxString lastDir;
    DialogScript script([&](wxDialog* d) {
        ++opened;
        lastDir = dynamic_cast<wxFileDialog*>(d)->GetDirectory();
        return wxID_CANCEL;
    });
    Select(window->m_modeChoice, 1);
    const int bformat = Record().m_bformatFormat, surround = Record().m_surroundFormat;
    const std::vector<wxString> before = Outputs();
    const wxString front = window->m_fluFrdText->GetValue();
    Click(window->m_fluFrdButton);
    Click(window->OutputButton(0));
    Click(window->OutputButton(0));
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), front);
    EXPECT_EQ(Outputs(), before);
    EXPECT_EQ(Record().GetOutputPath(0), before[0]);
    EXPECT_EQ(Record().m_bformatFormat, bformat);
    EXPECT_EQ(Record().m_surroundFormat, surround);
    EXPECT_FALSE(lastDir.empty()) << "the start directory survives a cancel";
}

TEST_F(MainWindow, SaveDialogSetsThePathOfItsRowAndTheFormat)
{
    const wxString chosen = work.File("mine_LR.wav");
    window->answers = {{true, chosen, 1}};  // "WAV 24-bit (signed)"
    Select(window->m_modeChoice, 1);
    Select(window->m_filesChoice, 1);
    Click(window->OutputButton(1));
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].title, "Select Output File for channels CF-Lfe");
    const std::vector<wxString> outputs = Outputs();
    EXPECT_EQ(outputs[1], chosen);
    EXPECT_NE(outputs[0], chosen);
    EXPECT_NE(outputs[2], chosen);
    EXPECT_EQ(Record().GetOutputPath(1), chosen);
    EXPECT_EQ(Record().m_surroundFormat, VQParams::kFormatPcm24);
    EXPECT_EQ(Record().m_bformatFormat, VQParams::kFormatFloat) << "the intermediate stays float";

    // The file types map to the formats in either mode.
    Select(window->m_modeChoice, 0);
    window->ApplySaveFormat(2);
    EXPECT_EQ(Record().m_bformatFormat, VQParams::kFormatFloat);
    window->ApplySaveFormat(0);
    EXPECT_EQ(Record().m_bformatFormat, VQParams::kFormatPcm16);
    EXPECT_EQ(Record().m_surroundFormat, VQParams::kFormatPcm24);
}

TEST_F(MainWindow, ResetPutsTheDefaultInputsBack)
{
    window->m_fluFrdText->SetValue("/rec/liveF.wav");
    window->m_bldBruText->SetValue("/rec/liveR.wav");
    window->m_statusBar->SetStatusText("48000 Hz", 1);
    ChooseMenu(window, ID_MENU_RESET);
    EXPECT_EQ(window->m_fluFrdText->GetValue(), "Audio_file_01.wav");
    EXPECT_EQ(window->m_bldBruText->GetValue(), "Audio_file_02.wav");
    EXPECT_EQ(Outputs()[0], "Audio_file_0_WXYZ.wav");
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "") << "no input, no rate: never \"0 Hz\"";
}

TEST_F(MainWindow, HelpOpensThePageOfTheDocumentationDirectory)
{
    ChooseMenu(window, wxID_HELP);
    ASSERT_EQ(window->helpPages.size(), 1u);
    EXPECT_EQ(window->helpPages[0], wxGetCwd() + "/docs/VessarQuilix.html");

    const wxAboutDialogInfo about = VessarQuilixGUI::AboutInfo();
    EXPECT_EQ(about.GetName(), "VessarQuilix");
    EXPECT_EQ(about.GetVersion(), "0.7.1b");
    EXPECT_EQ(about.GetDescription(), "A to B format/5.1 converter (four channels filtering tool).");
    EXPECT_FALSE(about.GetCopyright().empty());
}

TEST_F(MainWindow, DirectoriesAndSettingsAreKeptFromOneStartToTheNext)
{
    window->answers = {{true, work.File("sessions/liveF.wav"), 0}};
    Click(window->m_fluFrdButton);
    CloseAndDestroy(window);
    window = nullptr;

    std::ifstream conf(home.File(".config/VessarQuilix/VessarQuilix.conf"));
    const std::string text((std::istreambuf_iterator<char>(conf)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("InputWorkingPath=" + work.File("sessions")), std::string::npos) << text;
    EXPECT_NE(text.find("OutputWorkingPath=."), std::string::npos) << text;
    EXPECT_NE(text.find("FiltersPath=" + work.File("filters")), std::string::npos) << text;
    EXPECT_NE(text.find("IOBufferLength=2097152"), std::string::npos) << text;

    window = new ObservedWindow;
    window->answers = {{false, "", 0}};
    Click(window->m_bldBruButton);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].directory, work.File("sessions"));
}

}  // namespace
