// VessarQuilixGUI: the logic half of the main window (VessarQuilixFrame is the layout
// half): it overrides the layout's event handlers. It owns the settings store and the one
// conversion record, fills the controls from the record, writes every change of a control
// into it (and into the settings file at once), picks files through dialogs, takes files
// dropped on the input fields, and runs the conversion.
#pragma once

#include "VessarQuilixFrame.h"
#include "WindowSettings.h"

#include "VQConfig.h"

#include <wx/aboutdlg.h>

#include <memory>
#include <set>
#include <vector>

#include "common/Containers.h"

class VQParams;
namespace vq {
struct DecodeMode;
struct FirstFileHeader;
}
class DirectionsDialog;
class VessarProgressDialog;
class VessarStatusBarView;
namespace vqgui {
struct OutputFolder;
}

class VessarQuilixGUI : public VessarQuilixFrame {
public:
    VessarQuilixGUI();
    ~VessarQuilixGUI() override;

    // A file dropped on input field `index` (0: FLU + FRD, 1: BLD + BRU). A "...F.wav"
    // dropped on the first field brings its "...R.wav" into the second. False while a
    // conversion runs.
    bool DropInputFile(int index, const wxString& path);
    // Files that make a take (TakeFiles.h), dropped or named on the command line: false,
    // saying why, when they make none; false while a conversion runs.
    bool OpenTakeFiles(const wxArrayString& paths);
    // What Help > About shows.
    static wxAboutDialogInfo AboutInfo();

    const VQParams& Params() const { return *m_params; }
    bool IsConverting() const { return m_converting; }
    // The window of the last map shown with the Directions button; null before the first.
    const DirectionsDialog* Directions() const { return m_directions; }

    // What the BLD + BRU field shows when the first input holds the whole take.
    static const char* const kRearNotNeeded;

protected:
    void OnClose(wxCloseEvent& event) override;
    void OnCharHook(wxKeyEvent& event) override;
    void OnReset(wxCommandEvent& event) override;
    void OnOpen(wxCommandEvent& event) override;
    void OnPreferences(wxCommandEvent& event) override;
    void OnQuit(wxCommandEvent& event) override;
    void OnHelpContents(wxCommandEvent& event) override;
    void OnAbout(wxCommandEvent& event) override;
    void OnModeChoice(wxCommandEvent& event) override;
    void OnFluFrdText(wxCommandEvent& event) override;
    void OnFluFrdButton(wxCommandEvent& event) override;
    void OnBldBruText(wxCommandEvent& event) override;
    void OnBldBruButton(wxCommandEvent& event) override;
    void OnInputFormatChoice(wxCommandEvent& event) override;
    void OnKeepSync(wxCommandEvent& event) override;
    void OnPolyText(wxCommandEvent& event) override;
    void OnJoinParts(wxCommandEvent& event) override;
    void OnBFormatGainSlider(wxCommandEvent& event) override;
    void OnHighpassChoice(wxCommandEvent& event) override;
    void OnBFormatAutorange(wxCommandEvent& event) override;
    void OnSurroundGainSlider(wxCommandEvent& event) override;
    void OnAngleSlider(wxCommandEvent& event) override;
    void OnSurroundAutorange(wxCommandEvent& event) override;
    void OnLowFreqsInLfe(wxCommandEvent& event) override;
    void OnDecodeSetting(wxCommandEvent& event) override;
    void OnFilesChoice(wxCommandEvent& event) override;
    void OnKeepBFormat(wxCommandEvent& event) override;
    void OnContainerChoice(wxCommandEvent& event) override;
    void OnSampleFormatChoice(wxCommandEvent& event) override;
    void OnDither(wxCommandEvent& event) override;
    void OnConventionChoice(wxCommandEvent& event) override;
    void OnFolderText(wxCommandEvent& event) override;
    void OnFolderButton(wxCommandEvent& event) override;
    void OnVideoText(wxCommandEvent& event) override;
    void OnVideoButton(wxCommandEvent& event) override;
    void OnOutputText(wxCommandEvent& event) override;
    void OnOutputButton(wxCommandEvent& event) override;
    void OnConvert(wxCommandEvent& event) override;
    void OnDirections(wxCommandEvent& event) override;

    // What a file dialog is asked, and what the user answered.
    struct FileRequest {
        wxString title, directory, name, wildcard;
        int fileType = 0;  // the file type shown first
        long style = 0;    // wxFD_OPEN, or wxFD_SAVE | wxFD_OVERWRITE_PROMPT
    };
    struct FileChoice {
        bool chosen = false;  // false: cancelled
        wxString path;
        int fileType = 0;  // index of the file type picked
        wxArrayString paths{};  // every file picked where several may be (wxFD_MULTIPLE); may be empty
    };
    // The dialogs, message boxes and the browser, apart so that the window's reactions
    // can be watched.
    virtual FileChoice AskForFile(const FileRequest& request);
    // The folder chosen, or empty when cancelled.
    virtual wxString AskForFolder(const wxString& title, const wxString& directory);
    // The button pressed: wxID_OK, or wxID_HELP for the extra button of a box with wxHELP.
    virtual int ShowMessage(const wxString& title, const wxString& message, long style,
                            const wxString& helpLabel = wxEmptyString);
    // A question of two answers: true for `yes`, false for `no` (and for Escape).
    virtual bool AskQuestion(const wxString& title, const wxString& message, const wxString& yes,
                             const wxString& no);
    // The desktop's browser; false when none could be started.
    virtual bool LaunchBrowser(const wxString& url);
    // The desktop's file manager on a folder; false when none could be started.
    virtual bool OpenFolder(const wxString& folder);

private:
    // The first input changed: the rear file follows a paired name (pairRear), the output
    // folder follows unless the user chose one, the names the user gave the outputs go,
    // and the fields and the status bar show the new take (but the field the user is
    // typing in, which shows what was typed).
    void SetTake(const wxString& front, bool pairRear, bool typed = false);
    void TakeChanged(bool typed = false);
    // The take of a first start: the demo when the program has one (in the staged tree, or
    // installed with it), else none, and Convert waits for one.
    void OfferFirstTake();
    // Whether a take is named; Convert waits for one.
    bool HasTake() const;
    // Says in the status bar how to name a take while there is none, and where the outputs
    // go when the take's folder cannot be written to.
    void ShowTakeNote(const vqgui::OutputFolder& folder);
    void ShowInputFields(bool showFront = true);
    void ShowInputInfo();
    // The poly file's field of capsule channels: shown for a first input of more than four
    // channels, and read into the record.
    void ShowCapsuleChannels(const vq::FirstFileHeader& header);
    // The join box of the parts of a split recording, and the status bar's list of them.
    void ShowParts();
    void RememberInputFolder(const wxString& path);
    wxString AskForInput(const wxString& title);
    // The files picked in the open dialog of `style` (wxFD_MULTIPLE lets several be); empty
    // when cancelled.
    wxArrayString AskForInputs(const wxString& title, long style);
    // Opens the page in the browser, quietly: false when none could be started.
    bool OpenHelpPage(const wxString& path);

    // The output box (OutputBox.cpp).
    void FillOutputChoices();
    void UpdateModeControls();
    // Gives the process boxes the room of the largest mode's, so that the window keeps its
    // size whatever the mode.
    void ReserveRoomForEveryMode();
    // The decodes' and the rotation's controls from the record.
    void FillDecodeControls();
    // The decoders a mode offers, with the record's choice selected.
    void FillDecoderChoice(const vq::DecodeMode& mode);
    void UpdateSliderTips();
    void ApplyOutputFormat(const vq::Container& container, vq::SampleFormat sample);
    void ApplySaveFileType(int index);
    // The sample format that keeps the take's precision in `container`.
    vq::SampleFormat SampleFormatOfTake(const vq::Container& container) const;
    // With "as the take" chosen, the record's sample format becomes the take's.
    void FollowTheTakesSampleFormat();
    void RederiveOutputNames();
    void RefreshOutputs();
    wxString CompletedOutputPath(const wxString& typed) const;
    wxString OutputFieldText(int i) const;
    void SetOutputFolder(const wxString& folder);
    void Note(const wxString& text);

    void StartConversion();
    // The box that tells how the run ended: the error, or what was written.
    void ReportRun(bool completed);
    // Where a decode keeps its B-format when the user asks for it: named as the B-format
    // output of the take, in the output folder; empty when nothing is to be kept.
    wxString KeptBFormatPath() const;
    // Asks before files of the outputs' names are replaced (but those the user chose to
    // replace in the save dialog); false when the user keeps them.
    bool ConfirmReplacing();
    void SetConverting(bool converting);
    // Writes the window's settings to the settings file now, and shows what they do to
    // the sound.
    void RememberSettings();
    // Every control from the record and the window's choices.
    void ShowSettings();
    void ShowActiveProcessing();

    VQParams* m_params;
    VQConfig m_config;
    WindowChoices m_choices;
    // The first files of the parts that follow the take shown, when its files were opened
    // or dropped as the parts of a split recording (the record joins them while the join
    // box is ticked); empty otherwise.
    std::vector<wxString> m_parts;
    bool m_userNamed[kOutputRows] = {};  // the user typed or picked the output's name
    wxString m_userOutputs[kOutputRows];
    // What the choices offer, item by item.
    std::vector<int> m_layoutItems;
    std::vector<const vq::Container*> m_containerItems;
    std::vector<vq::SampleFormat> m_sampleItems;
    // Existing files the user chose to replace in an output row's save dialog.
    std::set<wxString> m_confirmedReplace;
    bool m_converting = false;
    bool m_quitAfterRun = false;  // the user closed the window during the run
    wxString m_takeNote;          // what the status bar says about the take, if anything
    std::unique_ptr<VessarStatusBarView> m_statusView;
    std::unique_ptr<VessarProgressDialog> m_progress;
    DirectionsDialog* m_directions = nullptr;  // a child window, made when first asked for
};
