// The window's progress dialogs in a real window system: start, update, the Cancel button,
// and each dialog destroyed exactly once; the run's texts in a real status bar.
#include "job/JobFixture.h"
#include "VessarQConvolver.h"
#include "VessarProgressDialog.h"
#include "VessarStatusBarView.h"

#include "common/EngineStatus.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/progdlg.h>
#include <wx/statusbr.h>

using namespace vqtest;

namespace {

// Counts the destruction of a window.
struct DestroyCounter {
    explicit DestroyCounter(wxWindow* window)
    {
        window->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& e) {
            ++count;
            e.Skip();
        });
    }
    int count = 0;
};

// Presses the dialog's Cancel button as the user would.
void PressCancel(wxProgressDialog* dialog)
{
    wxWindow* button = dialog->FindWindow(wxID_CANCEL);
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

// Top-level windows are destroyed when the application is next idle.
void ProcessPendingDestruction()
{
    for (int i = 0; i < 3; ++i)
        wxTheApp->ProcessIdle();
}

TEST(ProgressDialogs, EachStageHasADialogOverTheWindowThatCancelCloses)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "main");
    {
        VessarProgressDialog view(frame);
        VessarQConvolver engine(1, &view);
        engine.ProgressStart(nullptr, nullptr);
        wxProgressDialog* dialog = view.Dialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetTitle(), "VessarQuilix");
        EXPECT_EQ(dialog->GetMessage(), "Converting to B-Format...");
        EXPECT_EQ(dialog->GetParent(), frame);
        DestroyCounter destroyed(dialog);
        EXPECT_TRUE(engine.ProgressUpdate(1, 4));
        EXPECT_EQ(dialog->GetValue(), 250);
        PressCancel(dialog);
        EXPECT_FALSE(engine.ProgressUpdate(2, 4));
        engine.ProgressEnd();
        EXPECT_EQ(view.Dialog(), nullptr);
        engine.ProgressEnd();  // a second end has nothing left to close
        ProcessPendingDestruction();
        EXPECT_EQ(destroyed.count, 1);

        VessarQConvolver decoder(1, &view, "Converting to 5.1 format...");
        decoder.ProgressStart(nullptr, nullptr);
        ASSERT_NE(view.Dialog(), nullptr);
        EXPECT_EQ(view.Dialog()->GetMessage(), "Converting to 5.1 format...");
        decoder.ProgressEnd();
        decoder.ProgressStart("VessarQuilix", "Autoranging...");
        EXPECT_EQ(view.Dialog()->GetMessage(), "Autoranging...");
        decoder.ProgressEnd();
    }
    frame->Destroy();
    ProcessPendingDestruction();
}

TEST(ProgressDialogs, ARunOfTwoPassesSaysWhichRuns)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "main");
    {
        VessarProgressDialog view(frame);
        struct Pass {
            const char* message;
            const char* shown;
        };
        const Pass twoStages[] = {
            {"Converting to 5.1 format...", "Step 1 of 2: converting to 5.1 format..."},
            {"Autoranging...", "Step 2 of 2: autoranging..."},
        };
        for (int run = 0; run < 2; ++run) {  // the count starts again with every run
            view.StartRun(2);
            for (const Pass& pass : twoStages) {
                view.Begin("VessarQuilix", pass.message);
                EXPECT_EQ(view.Dialog()->GetMessage(), pass.shown);
                view.End();
            }
        }
        view.StartRun(1);
        view.Begin("VessarQuilix", "Autoranging...");
        EXPECT_EQ(view.Dialog()->GetMessage(), "Autoranging...");
        view.End();
    }
    frame->Destroy();
    ProcessPendingDestruction();
}

TEST(ProgressDialogs, AWholeRunInDialogsLeavesNoWindowBehind)
{
    JobSetup setup(3000, 8);
    VQParams p(nullptr);
    setup.Configure(p);
    VessarProgressDialog view(nullptr);
    p.m_progressView = &view;
    p.m_outputMode = 1;
    p.m_surroundAutorange = true;
    p.UpdateOutputNames();
    const std::size_t windowsBefore = wxTopLevelWindows.size();
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    ProcessPendingDestruction();
    EXPECT_EQ(wxTopLevelWindows.size(), windowsBefore) << "every dialog opened is destroyed";
}

TEST(ProgressDialogs, TheStatusBarTellsTheTruthAboutTheLastRun)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "status");
    wxStatusBar* bar = frame->CreateStatusBar(4);
    {
        VessarStatusBarView view(bar);
        JobSetup setup(2000, 32);
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_statusBar = &view;
        bar->SetStatusText("Ready.", 0);
        ASSERT_TRUE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "Ready.");
        EXPECT_EQ(bar->GetStatusText(1), "48000 Hz");
        EXPECT_EQ(bar->GetStatusText(2), "32 smpls");

        // An input error is an error like any other, and leaves no rate of an earlier run.
        p.SetFileName(1, "missingR.wav");
        EXPECT_FALSE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "Error.");
        EXPECT_EQ(bar->GetStatusText(1), "");
        EXPECT_EQ(bar->GetStatusText(2), "");

        p.SetFileName(1, setup.File("takeR.wav"));
        setup.view.cancelAtUpdate = setup.view.updates + 1;
        EXPECT_TRUE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "Aborted.");

        WriteChannels(setup.File("filters/FilterMatrix_48000.wav"), {Signal(64, 0.1), Signal(64, 0.1)});
        EXPECT_FALSE(p.Convert());
        EXPECT_EQ(p.m_status, vq::kFilterMatrixChannels);
        EXPECT_EQ(bar->GetStatusText(0), "Error.");
        EXPECT_EQ(bar->GetStatusText(1), "48000 Hz") << "the rate of the input that was read";
    }
    frame->Destroy();
    ProcessPendingDestruction();
}

}  // namespace
