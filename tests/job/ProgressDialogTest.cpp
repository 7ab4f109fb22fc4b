// The engines' progress dialogs in a real window system: start, update, the Cancel
// button, and each dialog destroyed exactly once; the run's texts in a real status bar.
#include "JobFixture.h"
#include "VessarQConvolver.h"
#include "VessarSurrounder.h"

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

TEST(ProgressDialogs, ConvolverDialogClosesItselfOnCancel)
{
    VessarQConvolver engine(1);
    engine.ProgressStart(nullptr, nullptr);
    wxProgressDialog* dialog = engine.m_progressDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetTitle(), "VessarQuilix");
    EXPECT_EQ(dialog->GetMessage(), "Converting to B-Format...");
    EXPECT_EQ(dialog->GetParent(), nullptr);
    DestroyCounter destroyed(dialog);

    EXPECT_TRUE(engine.ProgressUpdate(1, 4));
    EXPECT_EQ(dialog->GetValue(), 250);
    PressCancel(dialog);
    EXPECT_FALSE(engine.ProgressUpdate(2, 4));
    EXPECT_EQ(engine.m_progressDialog, nullptr) << "closed before the engine hears of the cancel";
    engine.ProgressEnd();  // as Autorange does after a cancel: nothing left to close
    ProcessPendingDestruction();
    EXPECT_EQ(destroyed.count, 1);
}

TEST(ProgressDialogs, ConvolverAutorangeDialogShowsItsOwnTexts)
{
    VessarQConvolver engine(1);
    engine.ProgressStart("VessarQuilix", "Autoranging...");
    ASSERT_NE(engine.m_progressDialog, nullptr);
    EXPECT_EQ(engine.m_progressDialog->GetMessage(), "Autoranging...");
    DestroyCounter destroyed(engine.m_progressDialog);
    EXPECT_TRUE(engine.ProgressUpdate(9, 4));
    engine.ProgressEnd();
    EXPECT_EQ(engine.m_progressDialog, nullptr);
    ProcessPendingDestruction();
    EXPECT_EQ(destroyed.count, 1);
}

TEST(ProgressDialogs, DecoderDialogStaysOpenUntilTheDecoderEndsIt)
{
    VessarSurrounder engine(60.0, 1);
    EXPECT_TRUE(engine.ProgressStart(nullptr, nullptr));
    wxProgressDialog* dialog = engine.m_progressDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetName(), "progress_dialog_window");
    EXPECT_EQ(dialog->GetMessage(), "Converting to 5.1 format...");
    DestroyCounter destroyed(dialog);
    EXPECT_TRUE(engine.ProgressUpdate(5));
    EXPECT_EQ(dialog->GetValue(), 50);
    PressCancel(dialog);
    EXPECT_FALSE(engine.ProgressUpdate(6));
    EXPECT_EQ(engine.m_progressDialog, dialog);
    EXPECT_TRUE(engine.ProgressEnd());
    EXPECT_EQ(engine.m_progressDialog, nullptr);
    ProcessPendingDestruction();
    EXPECT_EQ(destroyed.count, 1);
}

TEST(ProgressDialogs, AWholeRunInDialogsLeavesNoWindowBehind)
{
    JobSetup setup(3000, 8);
    VQParams p(nullptr);
    setup.Configure(p);
    p.m_progressView = nullptr;  // the engines' own dialogs
    p.m_outputMode = 1;
    p.m_bformatAutorange = p.m_surroundAutorange = true;
    p.UpdateOutputNames();
    const std::size_t windowsBefore = wxTopLevelWindows.size();
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    ProcessPendingDestruction();
    EXPECT_EQ(wxTopLevelWindows.size(), windowsBefore) << "four dialogs opened, four destroyed";
}

TEST(ProgressDialogs, TheRunWritesItsStateIntoTheStatusBar)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "status");
    wxStatusBar* bar = frame->CreateStatusBar(4);
    {
        JobSetup setup(2000, 32);
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_statusBar = bar;
        bar->SetStatusText("Ready.", 0);
        ASSERT_TRUE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "Ready.");
        EXPECT_EQ(bar->GetStatusText(1), "48000 Hz");
        EXPECT_EQ(bar->GetStatusText(2), "32 smpls");

        bar->SetStatusText("before", 0);
        p.SetFileName(1, "missingR.wav");
        EXPECT_FALSE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "before") << "an early failure leaves the state text";

        p.SetFileName(1, setup.File("takeR.wav"));
        setup.view.cancelAtUpdate = setup.view.updates + 1;
        EXPECT_TRUE(p.Convert());
        EXPECT_EQ(bar->GetStatusText(0), "Aborted.");

        WriteChannels(setup.File("filters/FilterMatrix_48000.wav"), {Signal(64, 0.1), Signal(64, 0.1)});
        EXPECT_FALSE(p.Convert());
        EXPECT_EQ(p.m_status, vq::kFilterMatrixChannels);
        EXPECT_EQ(bar->GetStatusText(0), "Error.");
    }
    frame->Destroy();
    ProcessPendingDestruction();
}

}  // namespace
