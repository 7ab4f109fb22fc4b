// A conversion started with the Convert button: its progress dialog, the two outcome
// boxes, a cancel from the dialog, and a window that takes no command while it runs.
#include "WindowDriver.h"

#include "VQParams.h"

#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/progdlg.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <filesystem>

using namespace vqtest;

namespace {

// Watches the events of a conversion's progress dialogs; at the first event of one it
// notes the state of the main window, tries what a user might try meanwhile, and can
// press the dialog's Cancel button.
class ProgressWatcher : public wxEventFilter {
public:
    ProgressWatcher(ObservedWindow* window, bool cancel) : m_window(window), m_cancel(cancel)
    {
        wxEvtHandler::AddFilter(this);
    }
    ~ProgressWatcher() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override
    {
        wxWindow* source = dynamic_cast<wxWindow*>(event.GetEventObject());
        wxProgressDialog* dialog = source ? dynamic_cast<wxProgressDialog*>(wxGetTopLevelParent(source)) : nullptr;
        if (!dialog || seen)
            return Event_Skip;
        seen = true;
        title = dialog->GetTitle();
        converting = m_window->IsConverting();
        panelEnabled = m_window->m_mainPanel->IsEnabled();
        resetEnabled = m_window->m_menubar->IsEnabled(ID_MENU_RESET);
        Click(m_window->m_convertButton);  // a second run must not start
        vetoedClose = !m_window->Close(false);
        if (m_cancel)
            if (wxWindow* cancel = dialog->FindWindow(wxID_CANCEL))
                Click(cancel);
        return Event_Skip;
    }

    bool seen = false;
    wxString title;
    bool converting = false, panelEnabled = true, resetEnabled = true, vetoedClose = false;

private:
    ObservedWindow* m_window;
    bool m_cancel;
};

class ConvertFromWindow : public testing::Test {
protected:
    ConvertFromWindow() : scopedHome(home.Path()), cwd(work.Path())
    {
        for (int k = 0; k < 4; ++k)
            capsules[k] = Noise(48000, 10 + k, 0.1);
        WriteAFormat(work.File("liveF.wav"), work.File("liveR.wav"), capsules);
        std::array<Signal, 4> loud = capsules;
        for (Signal& s : loud)
            for (double& v : s)
                v *= 9.0;
        WriteAFormat(work.File("loudF.wav"), work.File("loudR.wav"), loud);
        std::filesystem::create_directory(work.File("filters"));
        WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), RandomFilterMatrix(64, 5));
        window = new ObservedWindow;
        window->m_fluFrdText->SetValue(work.File("liveF.wav"));
        window->m_bldBruText->SetValue(work.File("liveR.wav"));
    }
    ~ConvertFromWindow() override { CloseAndDestroy(window); }

    TempDir home;
    ScopedHome scopedHome;
    TempDir work;
    ScopedWorkingDirectory cwd;
    std::array<Signal, 4> capsules;
    ObservedWindow* window;
};

TEST_F(ConvertFromWindow, SuccessIsReportedAndTheWindowIsLockedMeanwhile)
{
    ProgressWatcher watcher(window, false);
    Click(window->m_convertButton);
    ProcessIdle();
    ASSERT_TRUE(watcher.seen) << "the conversion shows a progress dialog";
    EXPECT_EQ(watcher.title, "VessarQuilix");
    EXPECT_TRUE(watcher.converting);
    EXPECT_FALSE(watcher.panelEnabled);
    EXPECT_FALSE(watcher.resetEnabled);
    EXPECT_TRUE(watcher.vetoedClose) << "closing mid-run would pull the record from under it";

    EXPECT_TRUE(window->errors.empty());
    ASSERT_EQ(window->successes.size(), 1u) << "one run, despite the second click";
    EXPECT_EQ(window->successes[0], "Conversion done with success!!");
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
    EXPECT_TRUE(window->m_menubar->IsEnabled(ID_MENU_RESET));
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "48000 Hz");
    EXPECT_TRUE(std::filesystem::exists(work.File("live_WXYZ.wav")));
}

TEST_F(ConvertFromWindow, ErrorsAreShownInTheErrorBox)
{
    window->m_bldBruText->SetValue(work.File("missingR.wav"));
    Click(window->m_convertButton);
    EXPECT_TRUE(window->successes.empty());
    ASSERT_EQ(window->errors.size(), 1u);
    EXPECT_EQ(window->errors[0], "Selected file doesn't exist.\n" + work.File("missingR.wav") + ": no such file");
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
}

TEST_F(ConvertFromWindow, ACancelEndsWithoutABox)
{
    ProgressWatcher watcher(window, true);
    Click(window->m_convertButton);
    ProcessIdle();
    ASSERT_TRUE(watcher.seen);
    EXPECT_TRUE(window->successes.empty());
    EXPECT_TRUE(window->errors.empty());
    EXPECT_EQ(window->Params().m_status, -1);
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Aborted.");
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
}

TEST_F(ConvertFromWindow, ClippedSamplesAreMentionedWithTheSuccess)
{
    Slide(window->m_bfGainSlider, 15);
    window->m_fluFrdText->SetValue(work.File("loudF.wav"));
    window->m_bldBruText->SetValue(work.File("loudR.wav"));
    Click(window->m_convertButton);
    ASSERT_EQ(window->successes.size(), 1u);
    EXPECT_NE(window->successes[0].Find("Conversion done with success!!\n\n"), wxNOT_FOUND);
    EXPECT_NE(window->successes[0].Find("were clipped"), wxNOT_FOUND);
    EXPECT_NE(window->successes[0].Find("Autorange"), wxNOT_FOUND);
}

}  // namespace
