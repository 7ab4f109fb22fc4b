// The loudness of the files of an output layout (common/OutputLayout.h) as they are
// written: each file on its own, by the BS.1770 role of each of its channels (the
// loudspeaker its header names), or of its W alone when it is B-format; and, when the
// measured channels lie in several files (5.1 as three pairs or six mono files), all of them
// together as one programme, which is what a delivery is measured as.
#pragma once

#include "common/OutputLayout.h"
#include "deliver/LoudnessMeter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vq {

// What of a file is measured: its channels (by their place in the file) and their roles. A
// file of loudspeaker feeds gives every channel, with the role of the speaker bits of its
// channel mask, lowest bit first (the LFE counts for the true peak only); a file that names
// no speakers is B-format, whose W alone is measured (none when it holds no W).
struct MeasuredChannels {
    std::vector<int> columns;
    std::vector<LoudnessRole> roles;
};
MeasuredChannels MeasuredChannelsOf(const OutputFile& file);

class OutputLoudness {
public:
    // Meters for the files of `layout` at `sampleRate` Hz, fed in pieces of up to `maxFrames`
    // frames. A file with nothing to measure (X, Y or Z alone, the LFE alone) gets no meter,
    // and a rate libebur128 does not take leaves every file unmeasured. kStatusOk or
    // kOutOfMemory.
    int Prepare(const OutputLayout& layout, int sampleRate, std::int64_t maxFrames);
    // Measures nothing from now on, and forgets what was measured.
    void Clear();
    // Starts every measurement again (a second pass writes the files afresh).
    int Restart();

    // The next `count` frames of file `index` as they go to it, interleaved. Allocates
    // nothing. kStatusOk or kOutOfMemory (libebur128 refused them).
    int AddFile(std::size_t index, const double* frames, std::int64_t count);
    // The next `frames` frames of the programme: signals[s][n] is signal s at frame n, each
    // channel written as scale * weight * signal - offset. Allocates nothing.
    int AddProgramme(const double* const signals[], std::int64_t frames, double scale, double offset);
    // Whether the programme needs signals of its own (AddProgramme).
    bool MeasuresProgramme() const { return m_programme != nullptr; }

    // The loudness of file `index` so far; none when it is not measured.
    std::optional<Loudness> File(std::size_t index) const;
    // The loudness of the whole programme so far: the files' measured channels together
    // (its true peak that of the LFE too), or the one file that is measured; none when no
    // file is.
    std::optional<Loudness> Programme() const;

private:
    struct Channel {
        int signal;
        double weight;
    };
    struct FileMeter {
        std::unique_ptr<LoudnessMeter> meter;  // null: the file is not measured
        std::vector<int> columns;              // its channels the meter takes
        std::size_t width = 0;                 // its channels in all
    };

    const OutputLayout* m_layout = nullptr;
    int m_sampleRate = 0;
    std::int64_t m_maxFrames = 0;
    std::vector<FileMeter> m_files;
    std::vector<double> m_picked;  // a piece of the measured channels of a file that has others
    std::unique_ptr<LoudnessMeter> m_programme;           // only for several measured files
    std::vector<Channel> m_programmeChannels;
    std::vector<double> m_programmeFrames;  // one piece, interleaved
};

}  // namespace vq
