// VQParams: the one record of everything a conversion needs (file names, gains, switches,
// output mode and layout, formats, buffer length), the rule that derives the output names
// from the first input, and the conversion run that drives the two engines.
#pragma once

#include <wx/filename.h>
#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

class wxConfigBase;
class wxStatusBar;
class VessarQConvolver;
class VessarSurrounder;
class VQProgressView;

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

    // Status codes of the run itself (the engines' codes are in EngineStatus.h).
    enum {
        kMissingFilterMatrix = 263,  // no FilterMatrix_<rate>.wav in the filters directory
        kMissingInputFile = 265,     // an input slot names no existing file
        kUnrepresentablePath = 267,  // a path has no form in the file system's encoding
    };

    // Sample formats the save dialogs offer (WAVE-EX container).
    static constexpr int kFormatPcm16 = 0x130002;
    static constexpr int kFormatPcm24 = 0x130003;
    static constexpr int kFormatFloat = 0x130006;

    // The intermediate B-format file of 5.1 mode, in the working directory.
    static const char* const kIntermediateFile;

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

    // Assigns a slot; assigning the first input rebuilds the output names.
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

    // Output files of the convolution engine and of the decoder for the current mode
    // and layout (the decoder count is 0 in B-Format mode).
    int ConvolverOutputCount() const;
    int DecoderOutputCount() const;
    // Output files the user gets: the B-format files or the 5.1 files.
    int OutputCount() const;

    // Runs the conversion. False when an error is to be reported (m_status holds its
    // code); true when it completed (m_status 0) or the user cancelled (m_status -1).
    bool Convert();
    // The message for m_status.
    wxString GetErrorMessage() const;
    // Empty, or what the user should know about samples clipped by the last run.
    wxString GetClippingWarning() const;

    int m_status = 0;
    VessarQConvolver* m_convolver = nullptr;
    VessarSurrounder* m_surrounder = nullptr;
    int m_sampleRate = 0;
    bool m_bformatAutorange = false;
    double m_bformatGain = -3.0;         // dB
    int m_bformatFormat = kFormatPcm16;  // 0: the first input's format
    bool m_surroundAutorange = false;
    bool m_lowFreqsInLfe = false;
    double m_surroundGain = -3.0;         // dB
    int m_openingAngle = 60;              // degrees; 0 or less keeps the decoder's 60
    int m_surroundFormat = kFormatPcm16;  // 0: the same as m_bformatFormat
    int m_ioBufferLength = 0x200000;
    int m_fileLayout = 2;  // 0 mono files, 1 stereo pairs, 2 one multichannel file
    int m_outputMode = 0;  // 0 B-Format, nonzero 5.1
    wxFileName m_files[kSlotCount];
    wxStatusBar* m_statusBar = nullptr;  // where the run writes its state; may be null
    wxConfigBase* m_config = nullptr;    // settings store, not owned; may be null

    // How the run shows progress: null for the engines' progress dialogs.
    VQProgressView* m_progressView = nullptr;
    // Samples the last run clipped in its B-format and 5.1 outputs.
    std::int64_t m_clippedBFormat = 0;
    std::int64_t m_clippedSurround = 0;
    // The path that the last run could not convert (code 267).
    wxString m_unrepresentablePath;
    // Where the FFT plans measured on this machine are kept between runs; empty: nowhere.
    wxString m_fftWisdomFile;

    // The user's cache file for FFT plans: $XDG_CACHE_HOME/VessarQuilix/fftw-wisdom.
    static wxString UserFftWisdomFile();

private:
    bool RunConversion();

    enum class Stage { Done, Cancelled, Failed };

    template <typename Engine>
    Stage RunEngine(Engine& engine);
    Stage RunSurroundStage(const std::vector<std::string>& outputs);
    bool CollectOutputs(const std::string inputs[2], const std::string& filter, std::vector<std::string>* outputs);
    bool ToFileSystemPath(const wxString& path, std::string* bytes);
    // Ends a run that failed before its engines ran: no status text is written.
    bool Abandon(int status);
    // Ends a run whose engine was cancelled ("Aborted.", true) or failed ("Error.", false).
    bool Conclude(Stage stage);
    void DeleteEngines();
    void SetStatusText(const wxString& text, int field);
};
