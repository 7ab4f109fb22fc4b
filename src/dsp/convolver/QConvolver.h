// QConvolver: turns the four A-format capsule signals (FLU, FRD, BLD, BRU) into the four
// B-format signals (W, X, Y, Z) through a 4x4 matrix of FIR filters read from a
// filter-matrix file. Output j is the sum over capsules k of filter(k -> j) convolved with
// capsule k. The capsules come from one 4-channel file, two stereo files (FLU+FRD and
// BLD+BRU) or four mono files; the B-format goes to the files of an output layout
// (common/OutputLayout.h): one 4-channel file, two stereo files or four mono files, in the
// Furse-Malham or the AmbiX convention.
//
// Lifecycle: construct; OpenInputFile for each input file; LoadFilterMatrix; set the public
// members and output names; Run; Autorange when m_autorange is set, or Normalize when
// m_decodedNormalize is; destroy. Every
// operation returns 0 or a status code (common/EngineStatus.h): an operation called out of
// order returns kBadState, a bad argument kBadParameter, and m_failure then says which file
// failed and why. Run and Autorange return -1 when the user cancelled through ProgressUpdate.
//
// The outputs appear under their names only when complete: at the end of Run, or of
// Autorange when m_autorange is set. A failed or cancelled run leaves existing files of
// those names as they were.
#pragma once

#include "bformat/FieldRotation.h"
#include "common/EngineProgress.h"
#include "common/EngineState.h"
#include "common/FailureDetail.h"
#include "common/OutputLayout.h"
#include "common/OutputWriter.h"
#include "deliver/LoudnessMeter.h"
#include "deliver/OutputMetadata.h"

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vq {
class BFormatDecoder;
class BlockConvolver;
class DecodeStage;
class DirectionMap;
class HighPassFilter;
class ConvolutionPass;
class InputSoundFile;
class JoinedSoundFile;
class OutputWriter;
class WorkerPool;
struct PassInputs;
}  // namespace vq

class QConvolver : public vq::EngineProgress {
public:
    static constexpr int kChannels = 4;
    static constexpr int kMaxInputFiles = 4;
    static constexpr int kMaxFilterLength = 1 << 20;  // taps per filter

    // outputFileCount: 1 (W,X,Y,Z), 2 (X,W and Z,Y) or 4 (W / X / Y / Z).
    explicit QConvolver(int outputFileCount);
    ~QConvolver() override;
    QConvolver(const QConvolver&) = delete;
    QConvolver& operator=(const QConvolver&) = delete;

    // Opens input file `index` (0 .. 3) for reading. The files must share rate, length and
    // channel count (1, 2 or 4), and hold four channels in all: kInputOpenFailed,
    // kSampleRateMismatch, kChannelCountMismatch, kLengthMismatch. A file refused is
    // closed again.
    int OpenInputFile(const char* path, int index);
    // The same for a recording the recorder split into several files: input `index` is the
    // parts, in order, read as one file (JoinedSoundFile). The parts of one input must
    // agree in rate and channel count, and every input must have as many parts, each as
    // long as the same part of the others (kLengthMismatch).
    int OpenInputParts(const std::vector<std::string>& parts, int index);
    // Opens the filter matrix: 4 channels, 4*L frames, filter k->j in frames k*L .. k*L+L-1
    // of channel j. kFilterMatrixOpenFailed, or kFilterMatrixLength for a frame count that
    // is not 4*L with L from 1 to kMaxFilterLength.
    int LoadFilterMatrix(const char* path);
    // Names output file `index` (0 .. m_outputFileCount-1).
    int SetOutputFileName(int index, const std::string& path);
    // Validates the setup before a run: kFilterMatrixNotOpen, kFilterMatrixChannels,
    // kSampleRateMismatch, kMissingInputFile, kChannelCountMismatch, kFilterMatrixLength,
    // kBadParameter (in that order).
    int CheckSetup();
    // Creates the outputs as temporaries: kOutputOverwritesInput when an output would
    // overwrite an input, the filter matrix or another output, kOutputOpenFailed when one
    // cannot be created.
    int OpenOutputFiles();
    void CloseFiles();

    // Convolves the whole recording into the outputs: 0, -1 (cancelled) or a code. A bad
    // setup is refused before any progress is shown; the progress stage then covers the
    // planning of the transforms too, which asks ProgressUpdate(0, total) between plans.
    // kNonFiniteInput when an input holds NaN or an infinity (m_failure names the file and
    // the frame).
    int Run();
    // Frames of every output: the take's with m_align, else the take's plus L.
    sf_count_t WrittenLength() const { return m_align ? m_inputInfo.frames : m_outputLength; }
    // After a finished Run: renders the outputs again, scaled by one factor so that the
    // largest absolute sample becomes 0.5 and with the mean of all output samples removed
    // (nothing clipped or quantised by the first pass is carried over). An all-zero result
    // is left as it is. 0, -1 or a code; kBadState before a finished Run or a second time.
    int Autorange();
    // After a finished Run with a decode and m_decodedNormalize: decodes again with one gain
    // for every channel that brings the decode's integrated loudness, as Run measured it, to
    // m_normalizeLufs, lowered where needed so that its true peak stays at or below
    // m_truePeakCeilingDbtp (no limiting), and leaves that gain in m_normalizeGain. A silent
    // decode is left as it is. 0, -1 or a code; kBadParameter when the loudness was not
    // measured (m_measureLoudness, or a rate libebur128 does not take), kBadState out of
    // order or a second time.
    int Normalize();

    // After Run (and Autorange or Normalize): what each file holds (OutputWriter::Figures),
    // the B-format ones (none unless written) and the decoded ones, in layout order.
    std::vector<vq::OutputFigures> BFormatFigures() const;
    std::vector<vq::OutputFigures> DecodedFigures() const;
    // The loudness of the decoded files as one programme; none without a decode or a measurement.
    std::optional<vq::Loudness> DecodedLoudness() const;

    bool m_autorange = false;  // Autorange will follow Run
    int m_outputFileCount;
    std::string m_outputFileNames[kChannels];  // default out_000.wav .. out_003.wav
    vq::BFormatConvention m_convention = vq::BFormatConvention::FuMa;
    bool m_ambisonicHeader = false;  // mark WAVE-EX outputs as Ambisonic B-format (.amb)
    bool m_dither = false;           // triangular dither before rounding to integer samples
    // Whether outputs may replace existing files; without it, a name taken while the run
    // wrote fails the run with kOutputExists and nothing is replaced.
    bool m_replaceOutputs = true;
    // The take's recorder metadata (bext, iXML) carried onto every output, with this
    // conversion's line of coding history.
    vq::CarriedMetadata m_metadata;
    // Sync: output frame n lines up with input frame n. The first m_alignDelay frames of the
    // B-format (the filter matrix's delay, 0 to L-1) are dropped, and every output is exactly
    // as long as the take (the filters' tail past its end is dropped too).
    bool m_align = false;
    int m_alignDelay = 0;
    // Which input channel (counted across the input files in order) holds each capsule
    // FLU, FRD, BLD, BRU: a permutation of 0 .. 3, or four different channels of one file
    // of more than four (a recorder's poly file).
    int m_capsuleChannels[kChannels] = {0, 1, 2, 3};
    int m_threads = 0;  // threads computing blocks; 0: one per core of the machine
    // Corner of the high-pass against wind and handling rumble, in Hz (10 to 200); 0: off.
    // It filters the B-format before it is written and before Autorange measures it.
    double m_highpassHz = 0.0;
    // Turns the sound field before the B-format is written or decoded.
    vq::FieldRotation m_rotation;
    // Measure the loudness of every output file as it is written (OutputWriter.h).
    bool m_measureLoudness = false;
    // Not owned, prepared by the caller: Run feeds it the B-format as it is written or
    // decoded (after the high-pass and the rotation, without the frames m_align drops).
    vq::DirectionMap* m_directionMap = nullptr;

    // A decode in the same pass (5.1, stereo, UHJ, binaural): each chunk of B-format is also
    // handed to m_decoder (not owned), whose outputs go to the files of m_decodedLayout.
    // Autorange then brings the decoded outputs to a peak of 0.5 (m_decodedAutorange); the
    // B-format outputs are written only when m_writeBFormat is set.
    vq::BFormatDecoder* m_decoder = nullptr;
    vq::OutputLayout m_decodedLayout;
    std::vector<std::string> m_decodedFileNames;
    int m_decodedFormat = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    double m_decodedGain = 1.0;
    bool m_decodedAutorange = false;
    bool m_writeBFormat = true;
    bool m_decodedNormalize = false;  // Normalize will follow Run
    double m_normalizeLufs = -23.0;
    double m_truePeakCeilingDbtp = -1.0;
    vq::NormalizeGain m_normalizeGain;       // what Normalize applied
    double m_decodedPeak = 0.0;              // largest absolute decoded sample of Run
    sf_count_t m_decodedClippedSamples = 0;  // decoded integer samples beyond full scale

    int m_fftLength = 0;  // N, transform length chosen from L

    std::unique_ptr<vq::JoinedSoundFile> m_inputFiles[kMaxInputFiles];  // null: not open
    std::unique_ptr<vq::InputSoundFile> m_filterFile;  // null: not open
    SF_INFO m_inputInfo{};  // description of the inputs (all agree): frames of all their parts
    SF_INFO m_filterInfo{};
    SF_INFO m_outputInfo{};  // samplerate, channels per file and format of the outputs

    sf_count_t m_outputLength = 0;                // T = input frames + L, frames of every output (0 for an empty input)
    int m_filterLength = 0;                       // L, taps per filter
    sf_count_t m_requestedBufferLength = 524288;  // R, frames read per chunk (bounded)

    double m_gain = 1.0;              // linear factor on every output sample
    double m_peak = 0.0;              // largest absolute output sample of Run
    double m_sum = 0.0;               // sum of all output samples of Run; Autorange leaves its offset here
    sf_count_t m_clippedSamples = 0;  // integer-format samples beyond full scale, saturated
    bool m_finished = false;
    bool m_aborted = false;
    vq::FailureDetail m_failure;  // the file and the reason of the last failed operation

private:
    class ProgressBridge;
    class Sink;

    int InputFileCount() const;
    // Every file the inputs read, their parts included.
    std::vector<std::string> InputPaths() const;
    void UpdateOutputLength();
    int AllocateBuffers();
    int TransformFilters();
    int ConvolveAll();
    int RunPass(const char* title, const char* message);
    // The second pass of a decode: the decoded files rendered afresh with their gain scaled.
    int Redecode(double scale, const char* message);
    int OpenDecodedFiles();
    int Commit();
    void Discard();
    vq::PassInputs MakePassInputs() const;
    int Refuse(int status, const std::string& path, const std::string& reason);

    vq::EngineState m_state;
    bool m_writingBFormat = true;  // this pass writes the B-format files
    std::string m_filterPath;
    std::unique_ptr<vq::BlockConvolver> m_convolver;
    std::unique_ptr<vq::WorkerPool> m_pool;
    std::unique_ptr<vq::ConvolutionPass> m_pass;
    std::unique_ptr<vq::OutputWriter> m_writer;
    std::unique_ptr<vq::HighPassFilter> m_highpass;
    std::unique_ptr<vq::DecodeStage> m_stage;
    std::unique_ptr<Sink> m_sink;
};
