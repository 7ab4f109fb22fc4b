// QConvolver: turns the four A-format capsule signals (FLU, FRD, BLD, BRU, from two
// stereo files) into the four B-format signals (W, X, Y, Z) through a 4x4 matrix of FIR
// filters read from a filter-matrix file, writing one 4-channel, two stereo or four mono
// files. Output j is the sum over inputs k of filter(k -> j) convolved with input k.
//
// Lifecycle: construct; OpenInputFile(0), OpenInputFile(1); LoadFilterMatrix; set the
// public members and output names; Run; optionally Autorange; destroy (closes the files).
// Every operation returns 0 or a status code (common/EngineStatus.h); Run and Autorange
// return -1 when the user cancelled through ProgressUpdate.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vq {
class BlockConvolver;
class ConvolutionPass;
class WorkerPool;
struct PassFiles;
}  // namespace vq

class QConvolver {
public:
    static constexpr int kChannels = 4;
    static constexpr int kMaxFilterLength = 1 << 20;  // taps per filter

    // outputFileCount: 1 (W,X,Y,Z), 2 (X,W and Z,Y) or 4 (W / X / Y / Z).
    explicit QConvolver(int outputFileCount);
    virtual ~QConvolver();
    QConvolver(const QConvolver&) = delete;
    QConvolver& operator=(const QConvolver&) = delete;

    // Opens input file 0 (FLU, FRD) or 1 (BLD, BRU) for reading and checks it against the
    // other: 518 unreadable, 516 rate, 515 channels, 517 length; -1 for a bad index.
    int OpenInputFile(const char* path, int index);
    // Opens the filter matrix: 4 channels, 4*L frames, filter k->j in frames k*L .. k*L+L-1
    // of channel j. 520 unreadable, 524 fewer than 4 frames or L above kMaxFilterLength.
    int LoadFilterMatrix(const char* path);
    // Names output file `index` (ignored when index >= m_outputFileCount).
    void SetOutputFileName(int index, const std::string& path);
    // Validates the setup before a run: 512, 514, 516, 513, 515, 524 (in that order).
    int CheckSetup();
    // Creates the outputs (replacing existing files): 519 when one cannot be created,
    // 527 when an output would overwrite an input, the filter matrix or another output.
    int OpenOutputFiles();
    void CloseFiles();

    // Convolves the whole recording into the outputs: 0, -1 (cancelled) or a code.
    int Run();
    // After a finished Run: rescales the outputs by one factor so that the largest
    // absolute sample becomes 0.5 and removes the mean of all output samples, by
    // convolving again with the scaled filters (so nothing clipped or quantised by the
    // first pass is carried over). An all-zero output is left as it is. 0, -1 or a code.
    int Autorange();

    // Progress of Run and Autorange, called on the thread that called them.
    virtual void ProgressStart(const char* title, const char* message);
    // done of total units; false cancels. done == -1 means the work is complete.
    virtual bool ProgressUpdate(std::int64_t done, std::int64_t total);
    virtual void ProgressEnd();

    bool m_autorange = false;  // Autorange will follow Run
    int m_outputFileCount;
    std::string m_outputFileNames[kChannels];  // default out_000.wav .. out_003.wav

    int m_spectrumLength = 0;  // M = N/2 + 1
    int m_fftLength = 0;       // N, transform length chosen from L
    double m_fftScale = 0.0;   // 1/N

    SNDFILE* m_inputFiles[2] = {nullptr, nullptr};
    SNDFILE* m_filterFile = nullptr;
    SNDFILE* m_outputFiles[kChannels] = {nullptr, nullptr, nullptr, nullptr};
    SF_INFO m_inputInfo{};  // description of the inputs (both agree)
    SF_INFO m_filterInfo{};
    SF_INFO m_outputInfo{};  // samplerate, channels per file and format of the outputs

    sf_count_t m_outputLength = 0;                // T = input frames + L, frames of every output (0 for an empty input)
    int m_filterLength = 0;                       // L, taps per filter
    sf_count_t m_requestedBufferLength = 524288;  // R, frames read per chunk (bounded)
    sf_count_t m_bufferLength = 0;                // frames per input staging buffer in use (L + whole hops)

    double m_gain = 1.0;              // linear factor on every output sample
    double m_peak = 0.0;              // largest absolute output sample of Run
    double m_sum = 0.0;               // sum of all output samples of Run; Autorange leaves its offset here
    sf_count_t m_clippedSamples = 0;  // integer-format samples beyond full scale, saturated
    bool m_finished = false;
    bool m_aborted = false;

private:
    class ProgressBridge;

    void UpdateOutputLength();
    int AllocateBuffers();
    int TransformFilters();
    int RunPass(double offset);
    vq::PassFiles MakePassFiles() const;
    bool CountsClipping() const;

    std::string m_inputPaths[2];
    std::string m_filterPath;
    std::unique_ptr<vq::BlockConvolver> m_convolver;
    std::unique_ptr<vq::WorkerPool> m_pool;
    std::unique_ptr<vq::ConvolutionPass> m_pass;
};
