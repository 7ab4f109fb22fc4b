// A conversion started with the Convert button: its progress dialogs and their stages, the
// outcome boxes, a cancel from the dialog, and a window that takes no command while it runs.
#include "WindowDriver.h"

#include "VQParams.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/progdlg.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

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
        if (!dialog)
            return Event_Skip;
        messages.insert(dialog->GetMessage());
        if (seen)
            return Event_Skip;
        seen = true;
        title = dialog->GetTitle();
        converting = m_window->IsConverting();
        panelEnabled = m_window->m_mainPanel->IsEnabled();
        resetEnabled = m_window->m_menubar->IsEnabled(ID_MENU_RESET);
        Click(m_window->m_convertButton);  // a second run must not start
        m_window->questionAnswers = {quit};
        vetoedClose = !m_window->Close(false);
        quitAsked = m_window->questions.size() == 1;
        if (m_cancel)
            if (wxWindow* cancel = dialog->FindWindow(wxID_CANCEL))
                Click(cancel);
        return Event_Skip;
    }

    bool seen = false;
    wxString title;
    std::set<wxString> messages;  // of every dialog seen
    bool converting = false, panelEnabled = true, resetEnabled = true, vetoedClose = false;
    bool quit = false;  // the answer to "Cancel it and quit?"
    bool quitAsked = false;

private:
    ObservedWindow* m_window;
    bool m_cancel;
};

class ConvertFromWindow : public WindowTest {
protected:
    ConvertFromWindow()
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
        Open();
        Type(window->m_fluFrdText, work.File("liveF.wav"));
    }

    std::array<Signal, 4> capsules;
};

void WriteMarker(const std::string& path)
{
    std::ofstream(path) << "the user's own file";
}

bool HoldsMarker(const std::string& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) ==
           "the user's own file";
}

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
    EXPECT_TRUE(watcher.quitAsked);
    EXPECT_EQ(window->questions[0].text, "A conversion is running. Cancel it and quit?");

    EXPECT_EQ(watcher.messages, std::set<wxString>{"Converting to B-Format..."});
    ASSERT_EQ(window->messages.size(), 1u) << "one run, despite the second click";
    EXPECT_EQ(window->messages[0].title, "VessarQuilix");
    EXPECT_EQ(window->messages[0].text, "Conversion done with success!!\n\nWritten to " + work.Path() +
                                            ":\n    live_WXYZ.wav\n\n0:01.0 of float WAV at 48000 Hz");
    EXPECT_EQ(window->messages[0].style, wxOK | wxHELP | wxICON_INFORMATION);
    EXPECT_TRUE(window->opened.empty()) << "OK opens nothing";
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
    EXPECT_TRUE(window->m_menubar->IsEnabled(ID_MENU_RESET));
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Ready.");
    EXPECT_EQ(window->m_statusBar->GetStatusText(1), "48000 Hz");
    EXPECT_TRUE(std::filesystem::exists(work.File("live_WXYZ.wav")));
}

TEST_F(ConvertFromWindow, AnAutorangedRunSaysWhichStepRuns)
{
    Select(window->m_modeChoice, 1);
    Tick(window->m_surAutorangeCheck, true);
    ProgressWatcher watcher(window, false);
    Click(window->m_convertButton);
    ProcessIdle();
    EXPECT_EQ(watcher.messages,
              (std::set<wxString>{"Step 1 of 2: converting to 5.1 format...", "Step 2 of 2: autoranging..."}));
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0].text.BeforeFirst('\n'), "Conversion done with success!!");
    EXPECT_NE(window->messages[0].text.Find("\n    live_5.1.wav\n"), wxNOT_FOUND) << window->messages[0].text;
    EXPECT_TRUE(std::filesystem::exists(work.File("live_5.1.wav")));
}

TEST_F(ConvertFromWindow, ErrorsAreShownInTheErrorBox)
{
    Type(window->m_bldBruText, work.File("missingR.wav"));
    Click(window->m_convertButton);
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0].title, "VessarQuilix Error");
    EXPECT_EQ(window->messages[0].text,
              "Selected file doesn't exist.\n" + work.File("missingR.wav") + ": no such file");
    EXPECT_EQ(window->messages[0].style, wxOK | wxICON_ERROR);
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
}

TEST_F(ConvertFromWindow, ACancelEndsWithoutABox)
{
    ProgressWatcher watcher(window, true);
    Click(window->m_convertButton);
    ProcessIdle();
    ASSERT_TRUE(watcher.seen);
    EXPECT_TRUE(window->messages.empty());
    EXPECT_EQ(window->Params().m_status, -1);
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Aborted.");
    EXPECT_TRUE(window->m_mainPanel->IsEnabled());
}

TEST_F(ConvertFromWindow, ClippedSamplesAreASuccessWithAWarning)
{
    // The box itself, as the toolkit shows it.
    window->realMessages = true;
    wxString title, text;
    long style = 0;
    DialogScript script([&](wxDialog* d) {
        wxMessageDialog* box = dynamic_cast<wxMessageDialog*>(d);
        if (box) {
            title = box->GetTitle();
            text = box->GetMessage();
            style = box->GetMessageDialogStyle();
        }
        return wxID_OK;
    });
    Slide(window->m_bfGainSlider, 15);
    Type(window->m_fluFrdText, work.File("loudF.wav"));
    Select(window->m_sampleChoice, "24-bit");  // the take's float would never clip
    Click(window->m_convertButton);
    EXPECT_EQ(script.dialogs, 1);
    EXPECT_EQ(title, "VessarQuilix Warning");
    EXPECT_TRUE(text.StartsWith("Conversion done with success!!\n\nWritten to ")) << text;
    EXPECT_TRUE(text.EndsWith("\n\n" + window->Params().GetClippingWarning())) << text;
    EXPECT_NE(text.Find(wxString::Format("%lld samples", static_cast<long long>(window->Params().m_clippedBFormat))),
              wxNOT_FOUND);
    EXPECT_GT(window->Params().m_clippedBFormat, 0);
    EXPECT_TRUE(style & wxICON_WARNING);
}

TEST_F(ConvertFromWindow, ExistingOutputsAreReplacedOnlyWhenTheUserSaysSo)
{
    Click(window->m_convertButton);
    EXPECT_TRUE(window->questions.empty()) << "nothing to replace on the first run";
    const std::string output = work.File("live_WXYZ.wav");
    WriteMarker(output);

    window->questionAnswers = {false};
    Click(window->m_convertButton);
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0].title, "VessarQuilix: Replace Files?");
    EXPECT_EQ(window->questions[0].text, "This file exists already:\n\n" + output + "\n\nReplace it?");
    EXPECT_EQ(window->questions[0].yes, "&Replace");
    EXPECT_EQ(window->questions[0].no, "Cancel");
    EXPECT_TRUE(HoldsMarker(output)) << "Cancel keeps the file";
    EXPECT_EQ(window->messages.size(), 1u) << "and converts nothing";
    EXPECT_EQ(window->m_statusBar->GetStatusText(0), "Nothing converted: the existing files are kept.");

    // The real box: Escape (Cancel) keeps the file, Replace replaces it.
    for (int pressed : {wxID_CANCEL, wxID_OK}) {
        wxString title;
        DialogScript script([&](wxDialog* d) {
            title = d->GetTitle();
            return pressed;
        });
        Click(window->m_convertButton);
        EXPECT_EQ(script.dialogs, 1);
        EXPECT_EQ(title, "VessarQuilix: Replace Files?");
        EXPECT_EQ(HoldsMarker(output), pressed == wxID_CANCEL);
    }
    EXPECT_EQ(window->messages.size(), 2u);
    EXPECT_EQ(window->messages.back().text.BeforeFirst('\n'), "Conversion done with success!!");
}

TEST_F(ConvertFromWindow, AllTheExistingFilesAreListedInOneQuestion)
{
    Select(window->m_filesChoice, "4 mono files");
    const std::vector<wxString> outputs = vq::WrittenFiles(window->Params().Request());
    ASSERT_EQ(outputs.size(), 4u);
    WriteMarker(std::string(outputs[1].utf8_str()));
    WriteMarker(std::string(outputs[3].utf8_str()));
    window->questionAnswers = {true};
    Click(window->m_convertButton);
    ASSERT_EQ(window->questions.size(), 1u);
    EXPECT_EQ(window->questions[0].text,
              "These files exist already:\n\n" + outputs[1] + "\n" + outputs[3] + "\n\nReplace them?");
    EXPECT_FALSE(HoldsMarker(std::string(outputs[3].utf8_str())));
}

TEST_F(ConvertFromWindow, AFileConfirmedInItsSaveDialogIsNotAskedAgain)
{
    const std::string picked = work.File("picked.wav");
    WriteMarker(picked);
    window->answers = {{true, picked, 0}};  // WAV 16-bit, replacing confirmed by the dialog
    Click(window->m_outButtons[0]);
    ASSERT_EQ(window->asked.size(), 1u);
    EXPECT_TRUE(window->asked[0].style & wxFD_OVERWRITE_PROMPT);
    Click(window->m_convertButton);
    EXPECT_TRUE(window->questions.empty());
    EXPECT_FALSE(HoldsMarker(picked));
    ASSERT_EQ(window->messages.size(), 1u);
}

TEST_F(ConvertFromWindow, ADecodeKeepsItsBFormatBesideItsOutputsOnlyWhenAsked)
{
    EXPECT_FALSE(window->m_keepBFormatCheck->IsEnabled()) << "B-Format mode writes the B-format anyway";
    Select(window->m_modeChoice, "Stereo");
    ASSERT_TRUE(window->m_keepBFormatCheck->IsEnabled());
    EXPECT_FALSE(window->m_keepBFormatCheck->IsChecked());
    Click(window->m_convertButton);
    EXPECT_TRUE(std::filesystem::exists(work.File("live_stereo.wav")));
    EXPECT_FALSE(std::filesystem::exists(work.File("live_WXYZ.wav")));
    EXPECT_FALSE(std::filesystem::exists(work.File("bformat.wav"))) << "no hidden leftovers";

    Tick(window->m_keepBFormatCheck, true);
    window->questionAnswers = {true};
    Click(window->m_convertButton);
    const wxString kept = work.File("live_WXYZ.wav");
    EXPECT_TRUE(std::filesystem::exists(work.File("live_WXYZ.wav")));
    EXPECT_EQ(window->Params().m_result.written, (std::vector<wxString>{work.File("live_stereo.wav"), kept}));
    ASSERT_EQ(window->messages.size(), 2u);
    EXPECT_NE(window->messages[1].text.Find("live_WXYZ.wav"), wxNOT_FOUND) << window->messages[1].text;
    EXPECT_FALSE(std::filesystem::exists(work.File("bformat.wav")));

    // A kept B-format that exists is asked about with the outputs.
    window->questionAnswers = {false};
    Click(window->m_convertButton);
    ASSERT_EQ(window->questions.size(), 2u);
    EXPECT_NE(window->questions[1].text.Find(kept), wxNOT_FOUND);

    Close();
    Open();
    EXPECT_TRUE(window->m_keepBFormatCheck->IsChecked()) << "remembered";
}

TEST_F(ConvertFromWindow, OpenFolderShowsWhereTheFilesWent)
{
    const std::string elsewhere = work.File("elsewhere");
    std::filesystem::create_directory(elsewhere);
    Type(window->m_folderText, elsewhere);
    // The box's own button, as the toolkit shows it.
    window->realMessages = true;
    wxString help;
    DialogScript script([&](wxDialog* d) {
        if (wxMessageDialog* box = dynamic_cast<wxMessageDialog*>(d))
            help = box->GetHelpLabel();
        return wxID_HELP;
    });
    Click(window->m_convertButton);
    EXPECT_TRUE(help.Contains("Open Folder")) << help;  // the toolkit writes its mnemonic its own way
    EXPECT_EQ(window->opened, std::vector<wxString>{elsewhere});
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_NE(window->messages[0].text.Find("Written to " + elsewhere + ":"), wxNOT_FOUND);

    // No file manager: the box says where the files are.
    window->realMessages = false;
    window->fileManagerStarts = false;
    window->questionAnswers = {true};
    window->messageAnswers = {wxID_HELP};
    Click(window->m_convertButton);
    ASSERT_EQ(window->messages.size(), 3u);
    EXPECT_EQ(window->messages[2].text, "No file manager could be started. The files are in:\n" + elsewhere);
}

TEST_F(ConvertFromWindow, ClosingDuringARunCancelsItAndQuitsWhenTheUserSaysSo)
{
    bool destroyed = false;
    window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        destroyed |= e.GetEventObject() == window;
        e.Skip();
    });
    ProgressWatcher watcher(window, false);
    watcher.quit = true;
    Click(window->m_convertButton);
    ASSERT_TRUE(watcher.seen);
    EXPECT_TRUE(watcher.quitAsked);
    EXPECT_TRUE(watcher.vetoedClose) << "the window waits for the run to stop";
    EXPECT_TRUE(window->messages.empty()) << "no box about a run the user ended";
    EXPECT_EQ(window->Params().m_status, -1) << "cancelled";
    EXPECT_FALSE(std::filesystem::exists(work.File("live_WXYZ.wav"))) << "and nothing half-written left";
    ProcessIdle();
    EXPECT_TRUE(destroyed);
    window = nullptr;
}

int SubtypeOf(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return -1;
    sf_close(file);
    return info.format & SF_FORMAT_SUBMASK;
}

TEST_F(ConvertFromWindow, TheOutputsKeepTheTakesPrecisionUnlessAnotherIsChosen)
{
    struct Case {
        const char* take;
        int takeFormat;
        const char* container;
        const char* item;  // the sample choice's first item
        int written;
    };
    const Case cases[] = {
        {"sixteen", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "WAV", "as the take (16-bit)", SF_FORMAT_PCM_16},
        {"twentyfour", SF_FORMAT_WAV | SF_FORMAT_PCM_24, "WAV", "as the take (24-bit)", SF_FORMAT_PCM_24},
        {"floating", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "WAV", "as the take (float)", SF_FORMAT_FLOAT},
        {"floating", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "FLAC", "as the take (24-bit)", SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases) {
        const std::string front = work.File(std::string(c.take) + "F.wav");
        WriteAFormat(front, work.File(std::string(c.take) + "R.wav"), capsules, 48000, c.takeFormat);
        Type(window->m_fluFrdText, front);
        Select(window->m_containerChoice, c.container);
        EXPECT_EQ(window->m_sampleChoice->GetString(0), c.item);
        EXPECT_EQ(window->m_sampleChoice->GetSelection(), 0);
        window->questionAnswers = {true};
        Click(window->m_convertButton);
        ASSERT_FALSE(window->Params().m_result.written.empty()) << c.take;
        EXPECT_EQ(SubtypeOf(std::string(window->Params().m_result.written[0].utf8_str())), c.written) << c.take;
        Select(window->m_containerChoice, "WAV");
    }
    // An explicit choice stays whatever the take, also at the next start.
    Select(window->m_sampleChoice, "24-bit");
    Type(window->m_fluFrdText, work.File("sixteenF.wav"));
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    Close();
    Open();
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "24-bit");
    Select(window->m_sampleChoice, 0);
    Close();
    Open();
    Type(window->m_fluFrdText, work.File("sixteenF.wav"));
    EXPECT_EQ(window->m_sampleChoice->GetStringSelection(), "as the take (16-bit)");
}

}  // namespace

TEST_F(ConvertFromWindow, ATakeReadAsBFormatSkipsTheFilters)
{
    // AmbiX W, Y, Z, X with no Ambisonic mark in its header: by the header it would be capsules.
    std::vector<Signal> channels;
    for (int k = 0; k < 4; ++k)
        channels.push_back(Noise(4800, 40 + k, 0.1));
    WriteChannels(work.File("ambix.wav"), channels, 48000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Type(window->m_fluFrdText, work.File("ambix.wav"));
    Select(window->m_inputFormatChoice, "Read as B-format, AmbiX");
    EXPECT_EQ(Record().m_inputFormat, vq::InputFormat::AmbiX);
    EXPECT_FALSE(window->m_bldBruText->IsEnabled()) << "a whole take";
    Select(window->m_conventionChoice, "AmbiX");
    Slide(window->m_bfGainSlider, 0);
    Click(window->m_convertButton);
    ASSERT_EQ(window->Params().m_status, 0) << window->Params().GetErrorMessage();

    // No filter: the output is the take, sample for sample and frame for frame.
    const Audio out = ReadAudio(work.File("ambix_AmbiX.wav"));
    ASSERT_EQ(out.info.channels, 4);
    ASSERT_EQ(out.info.frames, 4800);
    for (int k = 0; k < 4; ++k)
        for (int n = 0; n < 4800; n += 97)
            EXPECT_NEAR(out.Channel(k)[static_cast<std::size_t>(n)],
                        channels[static_cast<std::size_t>(k)][static_cast<std::size_t>(n)], 1e-6)
                << "channel " << k << " frame " << n;

    // Remembered, and put back by Reset.
    EXPECT_NE(SettingsText().find("InputFormat=ambix\n"), std::string::npos);
    Close();
    Open();
    EXPECT_EQ(window->m_inputFormatChoice->GetStringSelection(), "Read as B-format, AmbiX");
    window->questionAnswers = {true};
    ChooseMenu(window, ID_MENU_RESET);
    EXPECT_EQ(window->m_inputFormatChoice->GetSelection(), 0);
    EXPECT_EQ(Record().m_inputFormat, vq::InputFormat::Auto);
}
