// The output box in a real window system: the format, convention, dither and high-pass
// choices and what they write into the record, what each offers, the save dialog's file
// types, the output folder, the names the user gives, and which controls are enabled.
#include "WindowDriver.h"

#include "VQParams.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tokenzr.h>

using namespace vqtest;

namespace {

using Items = std::vector<wxString>;
using Windows = std::vector<wxWindow*>;

class OutputBox : public WindowTest {
protected:
    OutputBox()
    {
        Open();
        Type(window->m_fluFrdText, "/rec/concertF.wav");
    }
    Items ItemsOf(wxChoice* choice) const { return window->Items(choice); }
    wxString Note() const { return window->m_statusBar->GetStatusText(0); }
};

// The file type of a save dialog's wildcard that bears `description`, or -1.
int FileTypeIndex(const wxString& wildcard, const wxString& description)
{
    const wxArrayString parts = wxStringTokenize(wildcard, "|", wxTOKEN_RET_EMPTY_ALL);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        if (parts[i] == description)
            return static_cast<int>(i / 2);
    return -1;
}

TEST_F(OutputBox, AControlIsEnabledExactlyWhenItActs)
{
    // B-format gain, Autorange and the convention act on the B-format files only; the
    // high-pass filters the B-format, which 5.1 is decoded from; dither acts on integers.
    for (int mode : {0, 1})
        for (const char* sample : {"16-bit", "float"}) {
            SCOPED_TRACE(wxString::Format("mode %d, %s", mode, sample));
            Select(window->m_modeChoice, mode);
            Select(window->m_sampleChoice, sample);
            for (wxWindow* w : Windows{window->m_bfGainLabel, window->m_bfGainSlider, window->m_bfAutorangeCheck,
                                       window->m_conventionLabel, window->m_conventionChoice})
                EXPECT_EQ(w->IsEnabled(), mode == 0) << w->GetLabel();
            for (wxWindow* w : Windows{window->m_surroundBox, window->m_surGainLabel, window->m_surGainSlider,
                                       window->m_angleSlider, window->m_surAutorangeCheck, window->m_lfeCheck})
                EXPECT_EQ(w->IsEnabled(), mode == 1) << w->GetLabel();
            for (wxWindow* w : Windows{window->m_bformatBox, window->m_highpassLabel, window->m_highpassChoice,
                                       window->m_containerChoice, window->m_sampleChoice, window->m_filesChoice,
                                       window->m_folderText})
                EXPECT_TRUE(w->IsEnabled()) << w->GetLabel();
            EXPECT_EQ(window->m_ditherCheck->IsEnabled(), wxString(sample) != "float");
        }
}

TEST_F(OutputBox, FormatChoicesWriteTheRecordAndTheExtension)
{
    struct Case {
        int mode;
        const char* container;
        const char* sample;
        int format;  // libsndfile's container | sample format
        bool amb;
        const char* firstOutput;
    };
    const Case cases[] = {
        {0, "WAV", "24-bit", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, false, "concert_WXYZ.wav"},
        {0, "FuMa B-format AMB", "float", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, true, "concert_WXYZ.amb"},
        {0, "Sony Wave64", "16-bit", SF_FORMAT_W64 | SF_FORMAT_PCM_16, false, "concert_WXYZ.w64"},
        {1, "Core Audio CAF", "float", SF_FORMAT_CAF | SF_FORMAT_FLOAT, false, "concert_5.1.caf"},
        {1, "AIFF", "24-bit", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, false, "concert_5.1.aiff"},
        {0, "FLAC", "16-bit", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, false, "concert_WXYZ.flac"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.container);
        Select(window->m_modeChoice, c.mode);
        Select(window->m_containerChoice, c.container);
        Select(window->m_sampleChoice, c.sample);
        EXPECT_EQ(Record().m_bformatFormat, c.format);
        EXPECT_EQ(Record().m_surroundFormat, c.format);
        EXPECT_EQ(Record().m_ambFile, c.amb);
        EXPECT_EQ(window->Outputs()[0], c.firstOutput);
        EXPECT_EQ(Record().GetOutputPath(0), wxString("/rec/") + c.firstOutput);
    }
}

TEST_F(OutputBox, EachChoiceOffersOnlyWhatTheFormatsHold)
{
    const Items all = {"WAV", "FuMa B-format AMB", "Sony Wave64", "Core Audio CAF", "AIFF", "FLAC"};
    EXPECT_EQ(ItemsOf(window->m_containerChoice), all);
    EXPECT_EQ(ItemsOf(window->m_sampleChoice), (Items{"as the take", "16-bit", "24-bit", "float"}));
    EXPECT_EQ(ItemsOf(window->m_conventionChoice), (Items{"FuMa", "AmbiX"}));

    // FLAC holds no float: not offered, and float becomes 24-bit, saying so.
    Select(window->m_sampleChoice, "float");
    Select(window->m_containerChoice, "FLAC");
    EXPECT_EQ(ItemsOf(window->m_sampleChoice), (Items{"as the take", "16-bit", "24-bit"}));
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    EXPECT_EQ(Note(), "FLAC holds no float samples: 24-bit is written.");

    // .amb is FuMa B-format, in B-Format mode only.
    Select(window->m_containerChoice, "FuMa B-format AMB");
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(ItemsOf(window->m_containerChoice), (Items{"WAV", "Sony Wave64", "Core Audio CAF", "AIFF", "FLAC"}));
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_EQ(window->Outputs()[0], "concert_5.1.wav");
    Select(window->m_modeChoice, 0);
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "FuMa B-format AMB") << "kept for B-Format mode";

    Select(window->m_conventionChoice, "AmbiX");
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_EQ(Record().m_convention, vq::BFormatConvention::AmbiX);
    EXPECT_EQ(Note(), "The .amb file holds FuMa B-format only: AmbiX is written as WAV.");
    Select(window->m_containerChoice, "FuMa B-format AMB");
    EXPECT_EQ(window->m_conventionChoice->GetStringSelection(), "FuMa");
    EXPECT_EQ(Note(), "The .amb file holds FuMa B-format only: the convention is FuMa.");

    // The stereo pairs are FuMa only; 5.1 has its own.
    Select(window->m_containerChoice, "WAV");
    Select(window->m_filesChoice, "2 stereo files");
    Select(window->m_conventionChoice, "AmbiX");
    EXPECT_EQ(ItemsOf(window->m_filesChoice), (Items{"4 mono files", "1 four channels file"}));
    EXPECT_EQ(window->m_filesChoice->GetStringSelection(), "1 four channels file");
    EXPECT_EQ(Note(), "AmbiX has no stereo pairs: one four channels file is written.");
    Select(window->m_filesChoice, "4 mono files");
    EXPECT_EQ(window->Outputs(), (Items{"concert_AmbiX_W.wav", "concert_AmbiX_Y.wav", "concert_AmbiX_Z.wav",
                                        "concert_AmbiX_X.wav", "", ""}))
        << "AmbiX channel order";
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(ItemsOf(window->m_filesChoice), (Items{"6 mono files", "3 stereo files", "1 six channels file"}));
}

// The movies for 360-degree video hold AmbiX B-format: offered with AmbiX in B-Format mode
// only, each with the field of its video, and remembered for AmbiX when FuMa or a decode
// writes WAV meanwhile.
TEST_F(OutputBox, MoviesAreOfferedForAmbixWithTheirVideoField)
{
    const Items soundFiles = {"WAV", "Sony Wave64", "Core Audio CAF", "AIFF", "FLAC"};
    const Items withAmb = {"WAV", "FuMa B-format AMB", "Sony Wave64", "Core Audio CAF", "AIFF", "FLAC"};
    Items withMovies = withAmb;
    withMovies.insert(withMovies.end(), {"MOV for 360 video", "MP4 for 360 video"});
    const auto videoShown = [&] {
        const bool shown = window->m_videoText->IsShown();
        EXPECT_EQ(window->m_videoLabel->IsShown(), shown);
        EXPECT_EQ(window->m_videoButton->IsShown(), shown);
        return shown;
    };
    EXPECT_EQ(ItemsOf(window->m_containerChoice), withAmb);
    EXPECT_FALSE(videoShown());
    Select(window->m_conventionChoice, "AmbiX");
    EXPECT_EQ(ItemsOf(window->m_containerChoice), withMovies);
    EXPECT_FALSE(videoShown()) << "WAV is still chosen";

    Select(window->m_filesChoice, "4 mono files");
    Select(window->m_containerChoice, "MOV for 360 video");
    EXPECT_TRUE(videoShown());
    EXPECT_EQ(ItemsOf(window->m_filesChoice), (Items{"1 four channels file"})) << "a movie is one file";
    EXPECT_EQ(window->Outputs()[0], "concert_AmbiX.mov");
    EXPECT_EQ(std::string(Record().Request().outputs.container->name), "mov");
    EXPECT_EQ(ItemsOf(window->m_sampleChoice), (Items{"as the take", "16-bit", "24-bit", "float"})) << "PCM";
    EXPECT_TRUE(window->m_sampleChoice->IsEnabled());

    Select(window->m_containerChoice, "MP4 for 360 video");
    EXPECT_TRUE(videoShown());
    EXPECT_EQ(window->Outputs()[0], "concert_AmbiX.mp4");
    EXPECT_EQ(ItemsOf(window->m_sampleChoice), (Items{"AAC"}));
    EXPECT_FALSE(window->m_sampleChoice->IsEnabled());
    EXPECT_FALSE(window->m_ditherCheck->IsEnabled());

    window->answers = {{true, "/clips/pano.mp4", 0}};
    Click(window->m_videoButton);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_EQ(window->asked[0].style, wxFD_OPEN);
    EXPECT_NE(window->asked[0].wildcard.Find("*.mov"), wxNOT_FOUND) << window->asked[0].wildcard;
    EXPECT_EQ(window->m_videoText->GetValue(), "/clips/pano.mp4");
    EXPECT_EQ(Record().Request().movie.videoClip, "/clips/pano.mp4");
    Type(window->m_videoText, "/clips/other.mov");
    EXPECT_EQ(Record().Request().movie.videoClip, "/clips/other.mov");

    Select(window->m_conventionChoice, "FuMa");
    EXPECT_EQ(ItemsOf(window->m_containerChoice), withAmb);
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_EQ(Note(), "A movie for 360-degree video holds AmbiX only: FuMa is written as WAV.");
    EXPECT_FALSE(videoShown());
    EXPECT_EQ(window->Outputs()[0], "concert_WXYZ.wav");
    Select(window->m_conventionChoice, "AmbiX");
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "MP4 for 360 video") << "kept for AmbiX";
    EXPECT_TRUE(videoShown());

    Select(window->m_modeChoice, 1);
    EXPECT_EQ(ItemsOf(window->m_containerChoice), soundFiles);
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "WAV");
    EXPECT_FALSE(videoShown());
    EXPECT_EQ(window->Outputs()[0], "concert_5.1.wav");
    Select(window->m_modeChoice, 0);

    // Remembered, the video too, at the next start.
    Close();
    Open();
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "MP4 for 360 video");
    EXPECT_TRUE(videoShown());
    EXPECT_EQ(window->m_videoText->GetValue(), "/clips/other.mov");
}

TEST_F(OutputBox, HighpassAndDitherWriteTheRecord)
{
    const Items corners = ItemsOf(window->m_highpassChoice);
    ASSERT_FALSE(corners.empty());
    EXPECT_EQ(corners.front(), "Off");
    EXPECT_EQ(corners.back(), "200 Hz");
    EXPECT_EQ(corners[1], "10 Hz");
    for (const auto& [item, hz] :
         std::vector<std::pair<wxString, double>>{{"120 Hz", 120}, {"10 Hz", 10}, {"Off", 0}}) {
        Select(window->m_highpassChoice, item);
        EXPECT_EQ(Record().m_highpassHz, hz) << item;
    }
    Tick(window->m_ditherCheck, true);
    EXPECT_TRUE(Record().m_dither);
    Tick(window->m_ditherCheck, false);
    EXPECT_FALSE(Record().m_dither);
}

TEST_F(OutputBox, TheSaveDialogOffersEveryFormatAndItsChoiceIsShown)
{
    Type(window->m_fluFrdText, work.File("concertF.wav"));
    Select(window->m_modeChoice, 1);
    Select(window->m_filesChoice, "3 stereo files");
    const wxString aiff24 = "AIFF 24-bit (*.aiff)";
    window->answers = {{false, "", 0}};
    Click(window->m_outButtons[1]);
    ASSERT_EQ(window->asked.size(), 1u);
    const auto& asked = window->asked[0];
    EXPECT_EQ(asked.title, "Select Output File for channels CF-Lfe");
    EXPECT_EQ(asked.directory, work.Path());
    EXPECT_EQ(asked.name, "concert_CLfe.wav");
    EXPECT_TRUE(asked.wildcard.StartsWith("WAV 16-bit (*.wav)|*.wav|WAV 24-bit (*.wav)|*.wav|WAV float (*.wav)|*.wav|"))
        << asked.wildcard;
    EXPECT_EQ(asked.fileType, 0) << "the format of now is shown first";
    EXPECT_EQ(FileTypeIndex(asked.wildcard, "FLAC float (*.flac)"), -1);
    EXPECT_EQ(asked.wildcard.Find("AMB"), wxNOT_FOUND) << "no .amb in 5.1 mode";
    const int aiffType = FileTypeIndex(asked.wildcard, aiff24);
    ASSERT_GE(aiffType, 0);
    EXPECT_GE(FileTypeIndex(asked.wildcard, "FLAC 24-bit (*.flac)"), 0);

    window->answers = {{true, work.File("mine_CLfe"), aiffType}};
    Click(window->m_outButtons[1]);
    EXPECT_EQ(window->m_containerChoice->GetStringSelection(), "AIFF");
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    EXPECT_EQ(Record().m_surroundFormat, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(window->Outputs(), (Items{"concert_LR.aiff", "mine_CLfe.aiff", "concert_LsRs.aiff", "", "", ""}));
    EXPECT_EQ(Record().GetOutputPath(1), work.File("mine_CLfe.aiff")) << "the extension of the type picked";

    // In B-Format mode .amb is offered, and the format of now comes first.
    Select(window->m_modeChoice, 0);
    window->answers = {{false, "", 0}};
    Click(window->m_outButtons[0]);
    ASSERT_EQ(window->asked.size(), 3u);
    EXPECT_GE(FileTypeIndex(window->asked[2].wildcard, "FuMa B-format AMB float (*.amb)"), 0);
    EXPECT_EQ(window->asked[2].fileType, FileTypeIndex(window->asked[2].wildcard, aiff24));
}

// The outputs go beside the take, unless the user chose a folder for this take: a new
// front file brings its own folder back.
TEST_F(OutputBox, TheOutputFolderIsTheTakesUnlessTheUserChoseOneForIt)
{
    Type(window->m_fluFrdText, "/rec/a/concertF.wav");
    EXPECT_EQ(window->m_folderText->GetValue(), "/rec/a");
    EXPECT_EQ(Record().GetOutputPath(0), "/rec/a/concert_WXYZ.wav");

    window->folderAnswers = {"/mnt/out", ""};
    Click(window->m_folderButton);
    EXPECT_EQ(window->m_folderText->GetValue(), "/mnt/out");
    EXPECT_EQ(Record().GetOutputPath(0), "/mnt/out/concert_WXYZ.wav");
    EXPECT_EQ(window->Outputs()[0], "concert_WXYZ.wav") << "the folder shows above, the name in the row";
    Click(window->m_folderButton);  // cancelled
    EXPECT_EQ(window->m_folderText->GetValue(), "/mnt/out");

    Type(window->m_bldBruText, "/rec/a/concertR2.wav");
    EXPECT_EQ(window->m_folderText->GetValue(), "/mnt/out") << "the same take with another rear file";

    // A new front file, by the dialog, a drop or typed in: its own folder.
    window->answers = {{true, "/rec/b/otherF.wav", 0}};
    Click(window->m_fluFrdButton);
    EXPECT_EQ(window->m_folderText->GetValue(), "/rec/b");
    EXPECT_EQ(Record().GetOutputPath(0), "/rec/b/other_WXYZ.wav");
    Type(window->m_folderText, "/mnt/out");
    EXPECT_EQ(Record().GetOutputPath(0), "/mnt/out/other_WXYZ.wav");
    Type(window->m_folderText, "");
    EXPECT_EQ(Record().GetOutputPath(0), "/rec/b/other_WXYZ.wav") << "an empty folder follows the take again";
    Type(window->m_fluFrdText, "/rec/c/thirdF.wav");
    EXPECT_EQ(window->m_folderText->GetValue(), "/rec/c");
    Type(window->m_folderText, "/x");
    EXPECT_EQ(Record().GetOutputPath(0), "/x/third_WXYZ.wav");
}

TEST_F(OutputBox, NamesTheUserGaveStayUntilTheTakeChanges)
{
    Select(window->m_filesChoice, "4 mono files");
    Type(window->m_outTexts[1], "mine");
    EXPECT_EQ(Record().GetOutputPath(1), "/rec/mine.wav") << "the folder and the extension are added";
    EXPECT_EQ(window->m_outTexts[1]->GetValue(), "mine") << "what is typed stays as typed";
    Type(window->m_outTexts[2], "/elsewhere/y.wav");

    Select(window->m_containerChoice, "FLAC");
    EXPECT_EQ(window->Outputs(), (Items{"concert_W.flac", "mine.flac", "/elsewhere/y.flac", "concert_Z.flac", "", ""}));
    Select(window->m_modeChoice, 1);
    EXPECT_EQ(window->Outputs()[1], "mine.flac");
    EXPECT_EQ(window->Outputs()[2], "/elsewhere/y.flac");
    EXPECT_EQ(window->Outputs()[3], "concert_Lfe.flac");

    Type(window->m_folderText, "/out");
    EXPECT_EQ(Record().GetOutputPath(1), "/out/mine.flac") << "a name without a folder goes to the output folder";
    EXPECT_EQ(Record().GetOutputPath(2), "/elsewhere/y.flac");

    Type(window->m_fluFrdText, "/rec/liveF.wav");
    EXPECT_EQ(window->Outputs()[1], "live_R.flac") << "a new take, new names";
    EXPECT_EQ(window->Outputs()[2], "live_C.flac");
}

}  // namespace
