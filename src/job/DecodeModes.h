// The output modes of a conversion, as data: B-format, and each decode of it. What differs
// from one mode to another is a field of its row: its names, its files, its progress text,
// the box of the window that holds its settings and the factory of its decoder. The window,
// the command line, the settings file and the run read the table; a new decoder is its
// class in src/dsp, one row here and its panel of controls in the window.
#pragma once

#include "common/FailureDetail.h"
#include "common/OutputLayout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vq {

class BFormatDecoder;
struct DecodeSettings;

// The box of the window that holds a mode's own settings (besides the gain and Autorange
// every decode has).
enum class ModePanel { BFormat, Surround, StereoPair, Uhj, Headphones };

struct DecoderChoice {
    const char* name;   // on the command line (--decoder) and in the settings file
    const char* label;  // in the window
};

// What a decoder factory may need besides the settings.
struct DecoderContext {
    std::function<bool()> keepGoing;  // false cancels a long preparation (a SOFA file read)
};

struct DecodeMode {
    const char* name;          // on the command line (--mode) and in the settings file
    const char* label;         // in the window's mode choice
    const char* outputsWord;   // the outputs in messages: "samples of the 5.1 output"
    const char* stageMessage;  // what the progress says the pass does
    const char* panelTitle;    // the title of the window's box of the mode's settings
    ModePanel panel;
    int channels;                       // channels of the outputs in all
    std::vector<int> fileCounts;        // the numbers of output files offered, most files first
    std::vector<DecoderChoice> decoders;  // the decoders offered, the default first; empty: one
    // The files of `fileCount` outputs; empty for a combination that does not exist.
    const OutputLayout& (*layout)(int fileCount, BFormatConvention convention);
    // Makes the decoder: kStatusOk, kStatusCancelled or a code with `failure` saying why.
    // Null for B-format, which is written without a decode.
    int (*makeDecoder)(const DecodeSettings& settings, const DecoderContext& context,
                       std::unique_ptr<BFormatDecoder>* decoder, FailureDetail* failure);

    bool Decodes() const { return makeDecoder != nullptr; }
    // Whether `fileCount` is one of the counts offered.
    bool Offers(int fileCount) const;
};

const std::vector<DecodeMode>& DecodeModes();
// The row of a name; null when there is none.
const DecodeMode* DecodeModeNamed(const std::string& name);
// B-format, the first row.
const DecodeMode& BFormatMode();
// The first row that decodes (5.1): what the record's nonzero mode numbers beyond the table
// read as, and whose controls the window shows greyed in B-format mode.
const DecodeMode& FirstDecodeMode();
// The row of a name, by its place in the table (the window's record keeps the place); -1
// when there is none.
int DecodeModeIndex(const std::string& name);
// The names of the modes, for a choice: "b-format", "5.1", ...
std::vector<std::string> DecodeModeNames();
// The number of files the window's file layout (0 one file per channel, 1 stereo pairs, 2 one
// file) stands for in a mode; 0 when the mode does not offer it (a stereo decode is one file).
int FileCountOfLayout(const DecodeMode& mode, int layout);
// The label of a number of files in a mode: "4 mono files", "2 stereo files", "1 six
// channels file", "1 stereo file".
std::string FileCountLabel(const DecodeMode& mode, int fileCount);

}  // namespace vq
