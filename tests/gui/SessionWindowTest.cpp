// A recorder's session in the window: Keep sync, remembered from one start to the next; the
// field of a poly file's capsule channels, shown only for such a file; and the parts of a
// split recording dropped together, joined until the user unticks the join box.
#include "WindowDriver.h"

#include "VQParams.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dnd.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

class SessionWindow : public WindowTest {
protected:
    SessionWindow()
    {
        fs::create_directory(work.File("filters"));
        WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), RandomFilterMatrix(kTaps, 5));
    }
    // A take of `channels` channels of noise, `frames` long, starting at `timeReference`.
    void WriteTake(const std::string& name, int channels, std::int64_t frames, std::uint64_t timeReference = 0) const
    {
        std::vector<Signal> signals;
        for (int c = 0; c < channels; ++c)
            signals.push_back(Noise(frames, 30 + static_cast<unsigned>(c), 0.1));
        WriteTimedChannels(work.File(name), signals, timeReference);
    }
    wxString Note() const { return window->m_inputNote->IsShown() ? window->m_inputNote->GetLabel() : wxString(); }

    static constexpr int kTaps = 16;
};

TEST_F(SessionWindow, KeepSyncWritesTheRecordAndIsRememberedAcrossARestart)
{
    Open();
    EXPECT_FALSE(window->m_keepSyncCheck->IsChecked());
    Tick(window->m_keepSyncCheck, true);
    EXPECT_TRUE(Record().m_align);
    EXPECT_TRUE(Record().Request().outputs.align);
    Close();
    Open();
    EXPECT_TRUE(window->m_keepSyncCheck->IsChecked()) << SettingsText();
    EXPECT_TRUE(Record().m_align);
    Tick(window->m_keepSyncCheck, false);
    Close();
    Open();
    EXPECT_FALSE(window->m_keepSyncCheck->IsChecked());
}

TEST_F(SessionWindow, ThePolyFieldShowsForAFileOfMoreThanFourChannels)
{
    WriteTake("poly.wav", 6, 2000);
    WriteTake("four.wav", 4, 2000);
    Open();
    EXPECT_FALSE(window->m_polyText->IsShown());
    Type(window->m_fluFrdText, work.File("poly.wav"));
    EXPECT_TRUE(window->m_polyText->IsShown() && window->m_polyLabel->IsShown());
    EXPECT_EQ(window->m_polyText->GetHint(), "3,4,5,6");
    EXPECT_TRUE(Note().Contains("poly.wav has 6 channels: name the four that hold the capsules")) << Note();
    struct Case {
        const char* typed;
        std::vector<int> channels;  // from 0; empty: not four channels of the file
    };
    const Case cases[] = {
        {"3,4,5,6", {2, 3, 4, 5}}, {" 1, 2,3 ,6", {0, 1, 2, 5}}, {"3,4,5,7", {}}, {"3,4,4,5", {}}, {"3,4,5", {}},
    };
    for (const Case& c : cases) {
        Type(window->m_polyText, c.typed);
        EXPECT_EQ(Record().m_channels, c.channels) << c.typed;
        EXPECT_EQ(Note().empty(), !c.channels.empty()) << c.typed << ": " << Note();
    }
    Type(window->m_polyText, "3,4,5,6");
    ASSERT_TRUE(Record().m_channels.size() == 4);
    Click(window->m_convertButton);
    EXPECT_EQ(window->messages.size(), 1u);
    EXPECT_TRUE(fs::exists(work.File("poly_WXYZ.wav"))) << window->messages.front().text;

    Type(window->m_fluFrdText, work.File("four.wav"));
    EXPECT_FALSE(window->m_polyText->IsShown());
    EXPECT_TRUE(Record().m_channels.empty()) << "a 4-channel take is read whole";
    EXPECT_EQ(Note(), "");
}

TEST_F(SessionWindow, TwoDroppedPartsOfASplitTakeAreJoinedUntilTheUserUnticksIt)
{
    const std::uint64_t start = 48000 * 7200;
    WriteTake("take_001.wav", 4, 1500, start);
    WriteTake("take_002.wav", 4, 700, start + 1500);
    Open();
    EXPECT_FALSE(window->m_joinCheck->IsShown());
    wxFileDropTarget* anywhere = dynamic_cast<wxFileDropTarget*>(window->m_mainPanel->GetDropTarget());
    ASSERT_NE(anywhere, nullptr);
    wxArrayString paths;
    paths.Add(work.File("take_002.wav"));
    paths.Add(work.File("take_001.wav"));
    ASSERT_TRUE(anywhere->OnDropFiles(0, 0, paths));
    EXPECT_TRUE(window->messages.empty());

    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("take_001.wav")) << "the parts in the order of their names";
    EXPECT_TRUE(window->m_joinCheck->IsShown() && window->m_joinCheck->IsChecked());
    EXPECT_EQ(window->m_joinCheck->GetLabel(), "&Join the 2 parts: take_001.wav to take_002.wav");
    EXPECT_EQ(Record().m_joinedParts, std::vector<wxString>{work.File("take_002.wav")});
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Joined 2 parts: take_001.wav, take_002.wav");

    // Undone, and done again.
    Tick(window->m_joinCheck, false);
    EXPECT_TRUE(Record().m_joinedParts.empty());
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Parts not joined: only take_001.wav is converted");
    Tick(window->m_joinCheck, true);
    EXPECT_EQ(Record().Request().take.laterParts.size(), 1u);

    Click(window->m_convertButton);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_TRUE(window->messages[0].text.Contains("Joined from 2 parts")) << window->messages[0].text;
    EXPECT_EQ(ReadAudio(work.File("take_001_WXYZ.wav")).info.frames, 1500 + 700 + kTaps);

    // Another take, named in its field, has no parts.
    Type(window->m_fluFrdText, work.File("take_002.wav"));
    EXPECT_FALSE(window->m_joinCheck->IsShown());
    EXPECT_TRUE(Record().m_joinedParts.empty());
}

TEST_F(SessionWindow, TheFrontFilesAloneOfASplitPairRecordingAreJoinedWithTheirRearFiles)
{
    // What a user picks in File > Open: the front files of the parts; each finds its rear
    // file by name, as one take does.
    for (int part = 1; part <= 3; ++part) {
        const std::uint64_t start = 48000 * 3600 + 400 * static_cast<std::uint64_t>(part - 1);
        WriteTake("pair_00" + std::to_string(part) + "F.wav", 2, 400, start);
        WriteTake("pair_00" + std::to_string(part) + "R.wav", 2, 400, start);
    }
    Open();
    wxFileDropTarget* anywhere = dynamic_cast<wxFileDropTarget*>(window->m_mainPanel->GetDropTarget());
    ASSERT_NE(anywhere, nullptr);
    wxArrayString paths;
    for (const char* name : {"pair_003F.wav", "pair_001F.wav", "pair_002F.wav"})
        paths.Add(work.File(name));
    ASSERT_TRUE(anywhere->OnDropFiles(0, 0, paths));
    EXPECT_TRUE(window->messages.empty()) << window->messages.front().text;
    EXPECT_EQ(window->m_fluFrdText->GetValue(), work.File("pair_001F.wav"));
    EXPECT_EQ(window->m_bldBruText->GetValue(), work.File("pair_001R.wav"));
    EXPECT_EQ(Record().m_joinedParts, (std::vector<wxString>{work.File("pair_002F.wav"), work.File("pair_003F.wav")}));

    // Without their rear files beside them, the front files are no take.
    fs::remove(work.File("pair_002R.wav"));
    EXPECT_FALSE(anywhere->OnDropFiles(0, 0, paths));
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_TRUE(window->messages[0].text.StartsWith("3 files are no take")) << window->messages[0].text;
}

}  // namespace
