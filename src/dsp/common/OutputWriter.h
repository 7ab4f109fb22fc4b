// Writes the signals of a pass into the output files of a layout (OutputLayout.h): routes
// and weights every channel, applies the pass's scale and offset, converts to the file's
// sample format (rounded, saturated, optionally dithered), counts what was beyond full
// scale and keeps the peak and sum of what was written, and (when asked) measures the
// loudness of every file.
//
// Nothing appears under a final name until the whole result is there: each file is written
// as a pending file (PendingFile.h: unnamed where the file system allows, else a hidden
// temporary beside it) and published under its final name by Commit; Discard (or the
// destructor) removes them and leaves any earlier file of that name untouched.
#pragma once

#include "common/FailureDetail.h"
#include "common/OutputLayout.h"
#include "common/PendingFile.h"
#include "common/SampleQuantizer.h"
#include "deliver/OutputLoudness.h"
#include "deliver/OutputMetadata.h"

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vq {

struct WriterOptions {
    int format = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;  // libsndfile container and sample format
    int sampleRate = 48000;
    bool ambisonicHeader = false;  // mark WAVE-EX files as Ambisonic B-format (.amb)
    bool dither = false;           // triangular dither before rounding to integers
    // Whether Commit may replace an existing file of a final name. Without it, a name taken
    // while the run wrote fails the commit with kOutputExists and nothing is replaced.
    bool replace = true;
    // The recording's metadata (bext, iXML) carried onto every file, in the form its kind
    // of file has a place for.
    CarriedMetadata metadata;
    // Measure the loudness of every file (deliver/OutputLoudness.h) on the samples as they
    // go to it, before rounding, and of the whole layout as one programme.
    bool measureLoudness = false;
};

// What one written file holds, as the last pass wrote it.
struct OutputFigures {
    std::int64_t clippedSamples = 0;  // integer samples beyond full scale
    std::optional<Loudness> loudness;  // none when not measured, or nothing in it is (X alone)
};

class OutputWriter {
public:
    OutputWriter() = default;
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Creates a temporary for each file of `layout` (names[i] is file i's final name),
    // sized for `frames` frames (a WAV too long for its header becomes RF64), buffers for
    // writes of up to `maxFrames` frames. 0, kOutputOpenFailed (detail names the file and
    // why) or kOutOfMemory.
    int Open(const OutputLayout& layout, const std::vector<std::string>& names, const WriterOptions& options,
             std::int64_t frames, std::int64_t maxFrames, FailureDetail* detail);

    // Every written sample becomes scale * signal * weight - offset. Default 1 and 0.
    void SetScale(double scale, double offset);
    // Starts again from frame 0 of every file (a second pass); statistics and loudness are
    // cleared. 0, kOutputWriteFailed or kOutOfMemory.
    int Rewind(FailureDetail* detail);

    // Writes `frames` frames: signals[s][n] is signal s at frame n. 0 or kOutputWriteFailed.
    int Write(const double* const signals[], std::int64_t frames, FailureDetail* detail);

    // Finish, then Publish; the writer is closed after it either way.
    int Commit(FailureDetail* detail);
    // Completes every file (headers, data on the disk), still unnamed. 0 or kOutputWriteFailed.
    int Finish(FailureDetail* detail);
    // Gives every finished file its final name. 0, kOutputWriteFailed or (without
    // WriterOptions::replace) kOutputExists; on failure no file of this writer stays published.
    int Publish(FailureDetail* detail);
    // Without WriterOptions::replace: removes the files Publish gave a name, for a run whose
    // other outputs could not be published.
    void Unpublish();
    // Closes and removes the temporaries; final names are left as they were.
    void Discard();

    double Peak() const { return m_peak; }              // largest absolute written sample
    double Sum() const { return m_sum; }                // sum of all written samples
    std::int64_t Clipped() const { return m_clipped; }  // integer samples beyond full scale
    std::int64_t SamplesWritten() const { return m_samples; }
    bool IsOpen() const { return !m_files.empty(); }
    // Every file's figures, in layout order; kept after Commit or Discard until the next Open.
    std::vector<OutputFigures> Figures() const;
    // The loudness of all the files as one programme (OutputLoudness::Programme).
    std::optional<Loudness> ProgrammeLoudness() const { return m_loudness.Programme(); }

private:
    struct File {
        std::string finalName;
        std::unique_ptr<PendingFile> pending;
        SNDFILE* handle = nullptr;
        const OutputFile* layout = nullptr;
        int format = 0;  // as created (a WAV may have become RF64)
        OutputMetadata metadata;
        bool published = false;
    };

    int WriteFile(std::size_t index, const double* const signals[], std::int64_t frames, FailureDetail* detail);

    std::vector<File> m_files;
    WriterOptions m_options;
    bool m_integer = false;
    double m_scale = 1.0;
    double m_offset = 0.0;
    std::vector<double> m_interleaved;
    std::vector<int> m_integers;
    SampleQuantizer m_quantizer;
    double m_peak = 0.0;
    double m_sum = 0.0;
    std::int64_t m_clipped = 0;
    std::int64_t m_samples = 0;
    std::vector<std::int64_t> m_fileClipped;  // per file
    OutputLoudness m_loudness;
};

}  // namespace vq
