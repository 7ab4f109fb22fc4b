// VQParams: the window's record of everything a conversion needs (file names, gains,
// switches, output mode and layout, formats, buffer length) and the rule that derives the
// output names from the first input. Convert hands the run (ConversionRun.h) the request
// the record stands for (Request) and keeps its result. It uses the toolkit's base library
// only; the window reaches it through its status and progress views.
#pragma once

#include "ConversionRequest.h"
#include "ConversionResult.h"
#include "StatusTable.h"

#include "common/FailureDetail.h"
#include "common/OutputLayout.h"

#include <sndfile.h>
#include <wx/filename.h>
#include <wx/string.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class wxConfigBase;
class VQProgressView;
class VQStatusView;
namespace vq {
struct DecodeMode;
}

class VQParams {
public:
    // File-name slots.
    enum {
        kFluFrdInput = 0,
        kBldBruInput = 1,
        kFirstOutput = 2,  // outputs 1..6 in slots 2..7
        kFilterMatrix = 8,
        kHelpPage = 9,
        kSlotCount = 10
    };
    static constexpr int kMaxOutputs = 6;

    // Status codes of the run itself (StatusTable.h; the engines' are in EngineStatus.h).
    enum {
        kMissingFilterMatrix = vq::kMissingFilterMatrix,
        kMissingInput = vq::kMissingInput,
        kUnrepresentablePath = vq::kUnrepresentablePath,
    };

    // The I/O buffer setting when none is stored, in bytes (2048 KB).
    static constexpr int kDefaultIoBufferBytes = 0x200000;

    // Sample formats the save dialogs offer (WAVE-EX container).
    static constexpr int kFormatPcm16 = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    static constexpr int kFormatPcm24 = SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;
    static constexpr int kFormatFloat = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;

    // Sets the defaults, then (with a store) loads the three settings.
    explicit VQParams(wxConfigBase* config);
    // Saves the three settings when there is a store; the store must outlive the record.
    ~VQParams();
    VQParams(const VQParams&) = delete;
    VQParams& operator=(const VQParams&) = delete;

    void SetDefaults();
    void ResetFileNames();
    void LoadSettings();
    void SaveSettings();

    // Assigns a slot; assigning the first input rebuilds the output names (none without one).
    void SetFileName(int slot, const wxString& path);
    wxString GetFullPath(int slot) const;
    void UpdateOutputNames();
    void ClearOutputNames();
    // Output i (0..5): its full path, or a single blank when it has no name.
    wxString GetOutputPath(int i) const;
    void SetOutputPath(int i, const wxString& path);
    void SelectFilterMatrix(int sampleRate);

    void SetFiltersDir(const wxString& dir);
    wxString GetFiltersDir() const;
    void SetDocsDir(const wxString& dir);
    wxString GetDocsDir() const;

    // Whether the first input is the whole take (one 4-channel file of capsules or of
    // B-format): then no rear file is read and the output names keep its whole name.
    bool FirstInputIsWholeTake() const;
    // The row of the current mode (DecodeModes.h); 5.1 for any other nonzero mode, as the
    // record has always read it.
    const vq::DecodeMode& Mode() const;
    // The decoder of the current mode: one of its decoders' names, or empty when it has no choice.
    std::string Decoder() const;
    // What the record asks of a conversion run, as plain values.
    vq::ConversionRequest Request() const;
    // What every output name of the take begins with: "concert" for concertF.wav, "take" for
    // the whole take take.wav.
    wxString TakeName() const;
    // Every file the run writes: the outputs, then the kept B-format of a decode when asked.
    std::vector<wxString> WrittenFiles() const;

    // Output files of the convolution engine and of the decoder for the current mode
    // and layout (the decoder count is 0 in B-Format mode).
    int ConvolverOutputCount() const;
    int DecoderOutputCount() const;
    // Files of the outputs the mode makes in the file layout; the mode's one file where the
    // layout is not the mode's.
    int FileCount() const;
    // Output files the user gets: the B-format files or the decoded ones.
    int OutputCount() const;
    // Whether the mode decodes the B-format (anything but B-format).
    bool Decodes() const;
    // What the user's output files hold, by mode, layout and convention; empty for a
    // combination that does not exist.
    const vq::OutputLayout& OutputFiles() const;
    // The container of the current mode's outputs: the movie (m_movie) for AmbiX B-format
    // only, .amb (m_ambFile) for B-format only, else the sound file of the format code.
    const vq::Container& OutputContainer() const;
    // What completes a save dialog's title "Select Output File for channel" for output i.
    wxString OutputTitle(int i) const;
    // Frames per block the engines read and write at a time, from the I/O buffer setting:
    // a block of 32-bit samples of one channel fills the buffer (2048 KB: 524288 frames).
    std::int64_t BlockFrames() const;

    // Runs the conversion. False when an error is to be reported (m_status holds its
    // code); true when it completed (m_status 0) or the user cancelled (m_status -1).
    bool Convert();
    // The message for m_status, with the file and the reason where the run knows them.
    wxString GetErrorMessage() const;
    // Empty, or what the user should know about samples clipped by the last run.
    wxString GetClippingWarning() const;

    int m_status = 0;
    int m_sampleRate = 0;  // of the last run's take
    // How the take's channels are read: by the header, as capsules, or as B-format.
    vq::InputFormat m_inputFormat = vq::InputFormat::Auto;
    bool m_bformatAutorange = false;
    double m_bformatGain = -3.0;         // dB
    int m_bformatFormat = kFormatPcm16;  // 0: the first input's format
    bool m_surroundAutorange = false;
    bool m_lowFreqsInLfe = false;
    double m_surroundGain = -3.0;         // dB
    int m_openingAngle = 60;              // degrees; 0 or less keeps the decoder's 60
    int m_surroundFormat = kFormatPcm16;  // 0: the same as m_bformatFormat
    // The "I/O buffer (KB)" preference, stored in bytes (settings key IOBufferLength).
    int m_ioBufferLength = kDefaultIoBufferBytes;
    int m_fileLayout = 2;  // 0 mono files, 1 stereo pairs, 2 one multichannel file
    // The B-format convention of the B-format output files (5.1 decodes whatever it is).
    vq::BFormatConvention m_convention = vq::BFormatConvention::FuMa;
    bool m_ambFile = false;     // B-format written as .amb (WAVE-EX with the B-format GUID)
    // AmbiX B-format written as a 360° movie: the container's name ("mov", "mp4"); empty: a
    // sound file. The format codes keep the sound file (and a MOV's sample format).
    std::string m_movie;
    vq::MovieSettings m_movieSettings;  // the movie's codec, video clip and head-locked pair
    bool m_dither = false;      // triangular dither before rounding to 16 or 24 bits
    double m_highpassHz = 0.0;  // high-pass corner in Hz (10 to 200); 0: off
    // Which channel of the take holds FLU, FRD, BLD, BRU (a permutation of 0 .. 3).
    int m_capsuleChannels[4] = {0, 1, 2, 3};
    // The four channels (from 0) of a poly file that hold the capsules; empty: 0 to 3.
    std::vector<int> m_channels;
    // Where derived output names go; empty: no directory, so the working directory.
    wxString m_outputDir;
    int m_outputMode = 0;          // the row of the table of modes (DecodeModes.h); 0 B-format
    // The decoder of each mode that offers several, by the modes' and decoders' names
    // (DecodeModes.h: "5.1" -> "energy"); a mode without an entry uses its first.
    std::map<std::string, std::string> m_decoders;
    double m_pairPattern = 0.5;    // stereo: the microphones' omni share (0.5 cardioid, 0 figure-of-eight)
    double m_pairAngle = 90.0;     // stereo: degrees between the two microphones
    double m_pairAim = 0.0;        // stereo: the pair's axis, degrees, positive to the left
    wxString m_hrtfFile;           // binaural: a SOFA file of HRIRs; empty: the built-in head model
    double m_yaw = 0.0, m_pitch = 0.0, m_roll = 0.0;  // rotation of the sound field, degrees
    // Where a decode keeps the B-format it decoded; empty: nowhere.
    wxString m_keepBFormat;
    // Keep sync: output frame n lines up with input frame n (the filters' delay taken off).
    bool m_align = false;
    // The run keeps the map of where the take's sound comes from, for the window to show.
    bool m_keepDirectionMap = false;
    // A recording the recorder split into several files, joined: the first files of the
    // parts that follow the take of the input slots, in order (each finds its other files
    // by its name, as the take's does). Empty: the take is in one piece.
    std::vector<wxString> m_joinedParts;
    // Whether the run may replace existing files of its outputs' names.
    bool m_replaceOutputs = true;
    wxFileName m_files[kSlotCount];
    VQStatusView* m_statusBar = nullptr;  // where the run writes its state; may be null
    wxConfigBase* m_config = nullptr;     // settings store, not owned; may be null

    // How the run shows progress; null shows none.
    VQProgressView* m_progressView = nullptr;
    // Threads that compute the convolution; 0: one per core.
    int m_threads = 0;
    // Samples the last run clipped in its B-format and 5.1 outputs.
    std::int64_t m_clippedBFormat = 0;
    std::int64_t m_clippedSurround = 0;
    // Which file the last run failed on, and why (shown with the message).
    vq::FailureDetail m_failure;
    // Where the FFT plans measured on this machine are kept between runs; empty: nowhere.
    wxString m_fftWisdomFile;
    // What the last run did.
    vq::ConversionResult m_result;

    // The user's cache file for FFT plans: $XDG_CACHE_HOME/VessarQuilix/fftw-wisdom.
    static wxString UserFftWisdomFile();
};
