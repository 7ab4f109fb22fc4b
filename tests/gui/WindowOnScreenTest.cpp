// The main window shown on the screen: keys pressed as a user presses them (through the
// window system), the focus and its Tab order, mnemonics and tooltips, the window's size
// as it grows, a layout where nothing is cut off or overlaps, and no toolkit warnings.
#include "WindowDriver.h"

#include "DecodeModes.h"
#include "VQParams.h"
#include "VessarQuilixPrefsDlg.h"

#include <gtest/gtest.h>
#include <wx/spinctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/statusbr.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

using namespace vqtest;

namespace {

// Whether `w` has the focus. The toolkit does not tell the focus of a slider with range
// labels, a choice or a check box with its label on the left, which lies in a part of
// them: it says none. The fields and buttons that it does tell around them show that Tab
// stopped on each exactly once.
bool Focused(wxWindow* w)
{
    wxWindow* focus = wxWindow::FindFocus();
    const bool untold = dynamic_cast<wxSlider*>(w) || dynamic_cast<wxChoice*>(w) || dynamic_cast<wxCheckBox*>(w);
    return focus == w || (!focus && untold);
}

class OnScreen : public WindowTest {
protected:
    void SetUp() override
    {
        Open();
        ShowAndSettle(window);
        window->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
            ++m_keys;
            event.Skip();
        });
    }
    // Presses a key (with modifiers), waits until the window has it, and lets the window
    // react until `done`.
    bool Press(int key, int modifiers, const std::function<bool()>& done)
    {
        const int before = m_keys;
        wxUIActionSimulator().Char(key, modifiers);
        // A mnemonic may act without the window's key hook seeing the key: what it does is
        // what counts, so waiting stops at whichever comes first.
        ProcessUntil([&] { return m_keys > before || done(); });
        return ProcessUntil(done);
    }
    bool Focus(wxWindow* w)
    {
        w->SetFocus();
        return ProcessUntil([&] { return Focused(w); });
    }

private:
    int m_keys = 0;  // keys the window had
};

// The windows under `parent` that take the focus from the keyboard, in Tab order.
void CollectFocusable(wxWindow* parent, std::vector<wxWindow*>* found)
{
    for (wxWindow* child : parent->GetChildren()) {
        if (dynamic_cast<wxControl*>(child) && child->AcceptsFocusFromKeyboard() && child->IsShown())
            found->push_back(child);
        CollectFocusable(child, found);
    }
}

void CollectControls(wxWindow* parent, std::vector<wxWindow*>* found)
{
    for (wxWindow* child : parent->GetChildren()) {
        found->push_back(child);
        CollectControls(child, found);
    }
}

TEST_F(OnScreen, FocusStartsOnTheFirstInputAndTabFollowsTheLayout)
{
    EXPECT_EQ(wxWindow::FindFocus(), window->m_fluFrdText);
    const std::vector<wxWindow*> expected = {
        window->m_modeChoice,       window->m_keepSyncCheck,
        window->m_fluFrdText,       window->m_fluFrdButton,      window->m_inputFormatChoice,
        window->m_bldBruText,       window->m_bldBruButton,     window->m_bfGainSlider,      window->m_highpassChoice,   window->m_bfAutorangeCheck,
        window->m_rotateFields[0],  window->m_rotateFields[1],   window->m_rotateFields[2],  window->m_surGainSlider,
        window->m_angleSlider,      window->m_surAutorangeCheck, window->m_lfeCheck,         window->m_decoderChoice,
        window->m_filesChoice,      window->m_containerChoice,   window->m_sampleChoice,     window->m_ditherCheck,
        window->m_conventionChoice, window->m_folderText,        window->m_folderButton,     window->m_keepBFormatCheck,
        window->m_outTexts[0],
        window->m_outButtons[0],    window->m_outTexts[1],       window->m_outButtons[1],    window->m_outTexts[2],
        window->m_outButtons[2],    window->m_outTexts[3],       window->m_outButtons[3],    window->m_outTexts[4],
        window->m_outButtons[4],    window->m_outTexts[5],       window->m_outButtons[5],    window->m_convertButton};
    std::vector<wxWindow*> order;
    CollectFocusable(window->m_mainPanel, &order);
    const auto names = [](const std::vector<wxWindow*>& windows) {
        wxString text;
        for (wxWindow* w : windows)
            text += w ? wxString(w->GetClassInfo()->GetClassName()) + " " + w->GetLabel() + ", " : "none, ";
        return text;
    };
    EXPECT_EQ(order, expected) << names(order) << "\n" << names(expected);

    // Tab, for real, goes through the enabled controls in that order.
    std::vector<wxWindow*> enabled;
    for (wxWindow* w : expected)
        if (w->IsEnabled())
            enabled.push_back(w);
    for (std::size_t i = 1; i + 1 < enabled.size(); ++i)
        EXPECT_TRUE(Press(WXK_TAB, wxMOD_NONE, [&] { return Focused(enabled[i + 1]); }))
            << i << " after " << names({enabled[i]}) << " came " << names({wxWindow::FindFocus()}) << " not "
            << names({enabled[i + 1]});
}

TEST_F(OnScreen, KeysReachTheirCommands)
{
    int prefs = 0;
    DialogScript script([&](wxDialog* d) {
        prefs += dynamic_cast<VessarQuilixPrefsDlg*>(d) ? 1 : 0;
        return wxID_CANCEL;
    });
    // A take that does not exist: a conversion that starts ends in its error box.
    Type(window->m_fluFrdText, "/nowhere/liveF.wav");
    const auto messages = [&] { return window->messages.size(); };
    struct Case {
        const char* what;
        wxWindow* focus;
        int key, modifiers;
        std::function<bool()> happened;
    };
    const Case cases[] = {
        {"Enter in the first input", window->m_fluFrdText, WXK_RETURN, wxMOD_NONE, [&] { return messages() == 1; }},
        {"Enter in an output row", window->m_outTexts[0], WXK_RETURN, wxMOD_NONE, [&] { return messages() == 2; }},
        {"Enter on a slider", window->m_bfGainSlider, WXK_RETURN, wxMOD_NONE, [&] { return messages() == 3; }},
        {"Alt+C", window->m_folderText, 'c', wxMOD_ALT, [&] { return messages() == 4; }},
        {"Ctrl+P", window->m_fluFrdText, 'p', wxMOD_CONTROL, [&] { return prefs == 1; }},
        {"Ctrl+,", window->m_fluFrdText, ',', wxMOD_CONTROL, [&] { return prefs == 2; }},
        {"F1", window->m_fluFrdText, WXK_F1, wxMOD_NONE,
         [&] { return messages() == 5 && window->messages[4].title == "VessarQuilix Help"; }},
        {"Enter on a \"...\" button opens its dialog", window->m_fluFrdButton, WXK_RETURN, wxMOD_NONE,
         [&] { return window->asked.size() == 1; }},
    };
    window->answers = {{false, "", 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(Focus(c.focus)) << c.what;
        EXPECT_TRUE(Press(c.key, c.modifiers, c.happened)) << c.what;
    }
    EXPECT_EQ(window->messages[0].title, "VessarQuilix Error");
    EXPECT_EQ(messages(), 5u) << "Enter on a button only presses it";

    bool destroyed = false;
    window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        destroyed |= e.GetEventObject() == window;
        e.Skip();
    });
    EXPECT_TRUE(Press('q', wxMOD_CONTROL, [&] { return destroyed; })) << "Ctrl+Q quits";
    window = nullptr;
}

TEST_F(OnScreen, LabelsHaveMnemonicsThatReachTheirControls)
{
    // Alt + the underlined letter; File and Help take F and H, Convert C.
    struct Case {
        wxWindow* label;
        int letter;
        wxWindow* reached;
    };
    const Case cases[] = {
        {window->m_fluFrdText->GetPrevSibling(), 'u', window->m_fluFrdText},
        {window->m_bfGainLabel, 'g', window->m_bfGainSlider},
        {window->m_folderText->GetPrevSibling(), 'e', window->m_folderText},
        {window->m_outLabels[0], '1', window->m_outTexts[0]},
    };
    for (const Case& c : cases) {
        EXPECT_NE(c.label->GetLabel().Find('&'), wxNOT_FOUND) << c.label->GetLabel();
        EXPECT_TRUE(Press(c.letter, wxMOD_ALT, [&] { return Focused(c.reached); })) << c.label->GetLabel();
    }
    // The slider reached by its label moves with the arrow keys.
    ASSERT_TRUE(Focus(window->m_fluFrdText));
    ASSERT_TRUE(Press('g', wxMOD_ALT, [&] { return !wxWindow::FindFocus(); }));
    EXPECT_TRUE(Press(WXK_UP, wxMOD_NONE, [&] { return Record().m_bformatGain != -3.0; }));
    // Every label and check box of the window has one, each its own letter.
    std::vector<wxWindow*> all;
    CollectControls(window->m_mainPanel, &all);
    std::set<wxString> letters = {"f", "h"};
    int labelled = 0;
    for (wxWindow* w : all) {
        if (!dynamic_cast<wxStaticText*>(w) && !dynamic_cast<wxCheckBox*>(w) && w != window->m_convertButton)
            continue;
        if (w == window->m_processingLine || w == window->m_inputNote)
            continue;  // lines of information, no labels
        ++labelled;
        const wxString label = w->GetLabel();
        const int amp = label.Find('&');
        ASSERT_NE(amp, wxNOT_FOUND) << label;
        // The movie's Video field shows only for a movie, which is one file: it shares its
        // digit with the sixth file's row, which never shows beside it.
        if (w == window->m_videoLabel)
            continue;
        EXPECT_TRUE(letters.insert(label.Mid(amp + 1, 1).Lower()).second) << "a second " << label;
    }
    EXPECT_EQ(labelled, 32);
    EXPECT_EQ(window->m_videoLabel->GetLabel().AfterFirst('&').Left(1), "6");
    EXPECT_EQ(window->m_outLabels[5]->GetLabel(), "&6:");
}

TEST_F(OnScreen, EveryControlThatNeedsItHasATooltipAndSlidersShowTheirValue)
{
    std::vector<wxWindow*> all;
    CollectControls(window->m_mainPanel, &all);
    for (wxWindow* w : all) {
        if (!dynamic_cast<wxControl*>(w) || !w->AcceptsFocusFromKeyboard())
            continue;  // panels, labels, boxes, the logo
        EXPECT_FALSE(w->GetToolTipText().empty()) << w->GetClassInfo()->GetClassName() << " " << w->GetLabel();
    }
    Slide(window->m_bfGainSlider, 5);
    EXPECT_EQ(window->m_bfGainSlider->GetToolTipText(),
              "B-format gain: 5 dB\nThe window's range is -15 to +15 dB, in steps of 1 dB a slider can hit: a take "
              "recorded at a usual level needs no more, and Autorange levels any take. vessarquilix-convert takes -60 "
              "to +60 dB (--gain)");
    EXPECT_TRUE(window->m_pairAngleSpin->GetToolTipText().EndsWith("(vessarquilix-convert --spread)"));
    EXPECT_TRUE(window->m_aimSpin->GetToolTipText().EndsWith("(vessarquilix-convert --azimuth)"));
    Select(window->m_modeChoice, 1);
    Slide(window->m_angleSlider, 75);
    EXPECT_EQ(window->m_angleSlider->GetToolTipText(), "Opening angle between L and R: 75 degrees");
    EXPECT_TRUE(window->m_surGainSlider->GetToolTipText().StartsWith("5.1 gain: -3 dB\n"));
}

TEST_F(OnScreen, TheWindowGrowsAndThePathFieldsWithIt)
{
    const wxSize start = window->GetSize();
    EXPECT_TRUE(window->HasFlag(wxRESIZE_BORDER));
    EXPECT_EQ(window->GetMinSize(), start);
    EXPECT_EQ(window->GetMaxSize(), wxDefaultSize);
    const int input = window->m_fluFrdText->GetSize().x, folder = window->m_folderText->GetSize().x,
              output = window->m_outTexts[0]->GetSize().x;

    window->SetSize(start.x + 200, start.y + 100);
    ASSERT_TRUE(ProcessUntil([&] { return window->m_fluFrdText->GetSize().x == input + 200; }));
    EXPECT_EQ(window->GetSize(), wxSize(start.x + 200, start.y + 100));
    const wxRect convert = window->m_convertButton->GetScreenRect();
    ProcessUntil([&] { return window->m_convertButton->GetScreenRect() != convert; });
    EXPECT_EQ(window->m_convertButton->GetScreenRect().GetBottom(), convert.GetBottom() + 100)
        << "Convert stays at the bottom";
    EXPECT_EQ(window->m_folderText->GetSize().x, folder + 200);
    EXPECT_NEAR(window->m_outTexts[0]->GetSize().x, output + 100, 1) << "two columns share the width";
    EXPECT_NEAR(window->m_outTexts[5]->GetSize().x, output + 100, 1);

    window->SetSize(start.x - 100, start.y - 100);
    ProcessUntil([&] { return window->m_fluFrdText->GetSize().x == input; });
    EXPECT_EQ(window->GetSize(), start) << "no smaller than it opens";
}

// Sibling controls must not overlap, and each must have at least the size it needs.
void ExpectNothingCutOffOrOverlapping(wxWindow* top, const wxString& where)
{
    std::vector<wxWindow*> all;
    CollectControls(top, &all);
    for (wxWindow* w : all) {
        if (!w->IsShown())
            continue;
        const wxSize size = w->GetSize(), best = w->GetBestSize();
        if (!dynamic_cast<wxPanel*>(w) && !dynamic_cast<wxStaticBox*>(w)) {
            EXPECT_GE(size.x, best.x) << where << ": " << w->GetClassInfo()->GetClassName() << " " << w->GetLabel();
            EXPECT_GE(size.y, best.y) << where << ": " << w->GetClassInfo()->GetClassName() << " " << w->GetLabel();
        }
        const wxRect inside(wxPoint(0, 0), w->GetParent()->GetClientSize());
        EXPECT_TRUE(inside.Contains(w->GetRect())) << where << ": " << w->GetLabel() << " sticks out of its parent";
        if (dynamic_cast<wxStaticBox*>(w))
            continue;  // a box's frame lies around its controls
        for (wxWindow* other : w->GetParent()->GetChildren()) {
            if (other == w || !other->IsShown() || dynamic_cast<wxStaticBox*>(other))
                continue;
            EXPECT_FALSE(w->GetRect().Intersects(other->GetRect()))
                << where << ": " << w->GetLabel() << " overlaps " << other->GetLabel();
        }
    }
}

// Whether `w` is shown and lies wholly in its top-level window, and in the scrolled
// panel's visible part when it is in that panel.
bool InSight(wxWindow* w)
{
    if (!w->IsShownOnScreen() || !wxGetTopLevelParent(w)->GetScreenRect().Contains(w->GetScreenRect()))
        return false;
    for (wxWindow* parent = w->GetParent(); parent; parent = parent->GetParent())
        if (wxScrolledWindow* scrolled = dynamic_cast<wxScrolledWindow*>(parent))
            return wxRect(scrolled->ClientToScreen(wxPoint(0, 0)), scrolled->GetClientSize())
                .Contains(w->GetScreenRect());
    return true;
}

TEST_F(OnScreen, EveryModeHasTheSameWindowSize)
{
    const wxSize start = window->GetSize();
    const wxSize boxes = window->m_processPanel->GetSize();
    for (int mode = 1; mode < static_cast<int>(vq::DecodeModes().size()); ++mode) {
        Select(window->m_modeChoice, mode);
        ProcessIdle();
        EXPECT_EQ(window->GetSize(), start) << window->m_modeChoice->GetString(mode);
        EXPECT_EQ(window->m_processPanel->GetSize(), boxes) << window->m_modeChoice->GetString(mode);
    }
    // A width the user gave stays too.
    window->SetSize(start.x + 150, start.y);
    ProcessUntil([&] { return window->GetSize().x == start.x + 150; });
    Select(window->m_modeChoice, 0);
    ProcessIdle();
    EXPECT_EQ(window->GetSize(), wxSize(start.x + 150, start.y));
}

TEST_F(OnScreen, TheWindowFitsALaptopScreenWithConvertAndTheStatusBarInSight)
{
    struct Case {
        wxRect screen;
        bool scrolls;
    };
    for (const Case& c : {Case{wxRect(0, 0, 1280, 720), false}, Case{wxRect(0, 30, 1280, 560), true}}) {
        window->FitToContents(c.screen);
        ProcessUntil([&] { return window->GetSize().y <= c.screen.height; });
        const wxString where = wxString::Format("%dx%d", c.screen.width, c.screen.height);
        EXPECT_LE(window->GetSize().x, c.screen.width) << where;
        EXPECT_LE(window->GetSize().y, c.screen.height) << where;
        ProcessUntil([&] { return InSight(window->m_convertButton); });
        EXPECT_TRUE(InSight(window->m_convertButton)) << where;
        EXPECT_TRUE(InSight(window->m_statusBar)) << where;
        const wxSize virtualSize = window->m_optionsPanel->GetVirtualSize();
        EXPECT_EQ(virtualSize.y > window->m_optionsPanel->GetClientSize().y, c.scrolls) << where;
        if (c.scrolls) {
            // The last output row is reached by scrolling.
            window->m_optionsPanel->Scroll(0, virtualSize.y);
            ProcessUntil([&] { return InSight(window->m_outTexts[5]); });
            EXPECT_TRUE(InSight(window->m_outTexts[5])) << where;
        } else {
            EXPECT_TRUE(InSight(window->m_outTexts[5])) << where;
        }
    }
}

TEST_F(OnScreen, NothingIsCutOffOrOverlaps)
{
    ExpectNothingCutOffOrOverlapping(window->m_mainPanel, "B-Format mode");
    Select(window->m_modeChoice, 1);
    Select(window->m_filesChoice, "6 mono files");
    ExpectNothingCutOffOrOverlapping(window->m_mainPanel, "5.1 mode");
}

// Collects what the process writes to its standard error for its lifetime.
class StandardErrorCapture {
public:
    StandardErrorCapture() : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = dup(2);
        dup2(fileno(m_file), 2);
    }
    ~StandardErrorCapture() { std::fclose(m_file); }
    std::string Stop()
    {
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        std::rewind(m_file);
        std::string text;
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* m_file;
    int m_saved;
};

TEST(OnScreenStart, TheToolkitHasNothingToWarnAbout)
{
    TempDir home, work;
    ScopedHome scopedHome(home.Path());
    ScopedWorkingDirectory cwd(work.Path());
    StandardErrorCapture capture;
    ObservedWindow* window = new ObservedWindow;
    ShowAndSettle(window);
    Select(window->m_modeChoice, 1);
    ProcessUntil([&] { return window->m_surGainSlider->IsEnabled(); });
    CloseAndDestroy(window);
    const std::string text = capture.Stop();
    EXPECT_EQ(text.find("Negative content height"), std::string::npos) << text;
    EXPECT_EQ(text.find("WARNING"), std::string::npos) << text;
}

}  // namespace
