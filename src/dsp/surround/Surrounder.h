// Surrounder: the engine of a B-format take (one file holding W, X, Y, Z, in the
// Furse-Malham or the AmbiX convention). Each block read is high-passed and turned when
// asked, then decoded; the outputs are exactly as long as the take.
//
// By default it decodes into 5.1 with virtual microphones: L and R aimed at plus and minus
// half the opening angle, Ls and Rs further back, C straight ahead, and an LFE channel that
// is either silent or W through a 120 Hz low-pass. Z is not used. The six channels L, R, C,
// LFE, Ls, Rs are written as one 6-channel file, three stereo files (L,R / C,LFE / Ls,Rs)
// or six mono files. Any other decoder (m_decoder) writes the files of m_decodedLayout;
// BFormatPassThrough with a B-format layout writes B-format again.
//
// Lifecycle: construct; OpenInputFile; set the public members and output names; Run;
// Autorange when m_autorange is set, or Normalize when m_normalize is; destroy. Every operation returns 0 or a status code
// (common/EngineStatus.h): an operation out of order returns kBadState, and m_failure then
// says which file failed and why. Run and Autorange return kStatusCancelled when the user
// cancelled through ProgressUpdate. The outputs appear under their names only when complete.
#pragma once

#include "bformat/FieldRotation.h"
#include "common/EngineProgress.h"
#include "common/EngineState.h"
#include "common/FailureDetail.h"
#include "common/FftwArray.h"
#include "common/OutputLayout.h"
#include "common/OutputWriter.h"
#include "deliver/LoudnessMeter.h"
#include "deliver/OutputMetadata.h"

#include <sndfile.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vq {
class BFormatDecoder;
class DecodeStage;
class DirectionMap;
class HighPassFilter;
class JoinedSoundFile;
}  // namespace vq

class Surrounder : public vq::EngineProgress {
public:
    static constexpr int kChannels = 6;       // L, R, C, LFE, Ls, Rs
    static constexpr int kInputChannels = 4;  // W, X, Y, Z

    // openingAngle in degrees between L and R; outputFileCount 1, 3 or 6.
    Surrounder(double openingAngle, int outputFileCount);
    ~Surrounder() override;
    Surrounder(const Surrounder&) = delete;
    Surrounder& operator=(const Surrounder&) = delete;

    // Opens the B-format input for reading: kInputOpenFailed when it cannot be opened.
    int OpenInputFile(const std::string& path = "bformat.wav");
    // The same for a recording split into several files, read as one (JoinedSoundFile): the
    // parts must agree in rate and channel count.
    int OpenInputParts(const std::vector<std::string>& parts);

    // Decodes the whole input into the outputs: 0, kStatusCancelled or a code.
    // kMissingInputFile (no input), kChannelCountMismatch (m_inputChannels are not four
    // different channels of the input), kBadParameter
    // (a high-pass corner out of range, or the layout does not fit the decoder),
    // kOutputOverwritesInput (an output names the input or another output),
    // kOutputOpenFailed and kOutOfMemory come before any progress is shown, the first four
    // before any output is created; kInputReadFailed and kOutputWriteFailed report a short
    // read or write, kNonFiniteInput a sample of the input that is NaN or infinite.
    int Run();
    // After a finished Run: decodes again with the gain scaled so that the largest absolute
    // sample of all outputs becomes 0.5; the same factor for every channel keeps their
    // balance. A silent result is left as it is. 0, -1 or a code.
    int Autorange();
    // After a finished Run with m_normalize: decodes again with one gain for every channel
    // that brings the integrated loudness of the outputs, as Run measured it, to
    // m_normalizeLufs, lowered where needed so that their true peak stays at or below
    // m_truePeakCeilingDbtp (no limiting), and leaves that gain in m_normalizeGain. A silent
    // result is left as it is. 0, -1 or a code; kBadParameter when the loudness was not
    // measured (m_measureLoudness, or a rate libebur128 does not take).
    int Normalize();

    // After Run (and Autorange or Normalize): what each output file holds
    // (OutputWriter::Figures), in layout order, and the loudness of all of them as one programme.
    std::vector<vq::OutputFigures> Figures() const;
    std::optional<vq::Loudness> ProgrammeLoudness() const;

    bool m_autorange = false;      // Autorange will follow Run
    bool m_lowFreqsInLfe = false;  // fill the LFE channel with low-passed W (else silent)
    bool m_dither = false;         // triangular dither before rounding to integer samples
    // Whether outputs may replace existing files; without it, a name taken while the run
    // wrote fails the run with kOutputExists and nothing is replaced.
    bool m_replaceOutputs = true;
    // The take's recorder metadata (bext, iXML) carried onto every output, with this
    // conversion's line of coding history.
    vq::CarriedMetadata m_metadata;
    int m_outputFileCount;
    std::string m_outputFileNames[kChannels];  // default out_000.wav .. out_005.wav

    // The convention of the input's channels (FuMa: W, X, Y, Z; AmbiX: W, Y, Z, X, SN3D).
    vq::BFormatConvention m_inputConvention = vq::BFormatConvention::FuMa;
    // The four channels of the input, from 0, that hold the B-format in that convention's
    // order: a file of more channels (a recorder's poly file) holds it in four of them.
    int m_inputChannels[kInputChannels] = {0, 1, 2, 3};
    // The decoder (not owned) and the files it writes; null: the virtual-microphone 5.1 of
    // m_openingAngle and m_lowFreqsInLfe into SurroundLayout(m_outputFileCount).
    vq::BFormatDecoder* m_decoder = nullptr;
    vq::OutputLayout m_decodedLayout;
    bool m_ambisonicHeader = false;  // mark WAVE-EX outputs as Ambisonic B-format (.amb)
    // Corner of the high-pass against wind and handling rumble, in Hz (10 to 200); 0: off.
    double m_highpassHz = 0.0;
    // Turns the sound field before it is decoded.
    vq::FieldRotation m_rotation;
    // Autorange also takes the mean of all output samples away (for B-format outputs).
    bool m_autorangeRemovesMean = false;
    // Measure the loudness of every output file as it is written (OutputWriter.h).
    bool m_measureLoudness = false;
    bool m_normalize = false;  // Normalize will follow Run
    double m_normalizeLufs = -23.0;
    double m_truePeakCeilingDbtp = -1.0;
    vq::NormalizeGain m_normalizeGain;  // what Normalize applied
    // Not owned, prepared by the caller: Run feeds it the B-format as it is decoded (after
    // the high-pass and the rotation).
    vq::DirectionMap* m_directionMap = nullptr;

    std::unique_ptr<vq::JoinedSoundFile> m_inputFile;  // null: not open
    SF_INFO m_inputInfo{};  // frames: of all the parts
    SF_INFO m_outputInfo{};  // samplerate, channels per file and format of the outputs

    sf_count_t m_length = 0;                      // frames of the input, and of every output
    sf_count_t m_requestedBufferLength = 524288;  // wished block length in frames (bounded)
    sf_count_t m_bufferLength = 0;                // N, block length in use (progress after each)

    double m_gain = 1.0;    // linear factor on every output channel
    double m_openingAngle;  // degrees between L and R
    double m_peak = 0.0;    // largest absolute output sample of Run
    double m_sum = 0.0;     // sum of all output samples of Run
    // Integer-format samples beyond full scale, saturated, in the last pass that wrote the files.
    sf_count_t m_clippedSamples = 0;
    bool m_finished = false;
    bool m_aborted = false;
    vq::FailureDetail m_failure;  // the file and the reason of the last failed operation

private:
    int CheckSetup();
    int OpenOutputFiles();
    void CloseFiles();
    int AllocateBuffers();
    int DecodePass(double gain, double offset, bool again, const char* title, const char* message);
    // The second pass: the outputs decoded afresh at `scale` times the gain.
    int Redecode(double scale, double offset, const char* message);
    // Reads and decodes `count` frames from frame `first` of the input.
    int DecodePiece(sf_count_t first, sf_count_t count);
    int Refuse(int status, const std::string& path, const std::string& reason);

    vq::EngineState m_state;
    sf_count_t m_pieceLength = 0;        // frames read and decoded at a time
    vq::FftwArray<double> m_readBuffer;  // one piece: interleaved W, X, Y, Z frames
    vq::FftwArray<double> m_bformat[4];  // one piece: W, X, Y, Z one after another
    std::unique_ptr<vq::BFormatDecoder> m_ownDecoder;  // the default 5.1 decoder
    std::unique_ptr<vq::HighPassFilter> m_highpass;
    std::unique_ptr<vq::DecodeStage> m_stage;
    std::string m_inputPath;
};
