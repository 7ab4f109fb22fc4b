// What the output files of a conversion hold, as data: for each file, which signals in
// which order and with which weight, its name suffix, the title of its save dialog and the
// loudspeakers its header names. The engines route and write by it, the job names the
// files by it and the window titles its dialogs by it, so a new convention or layout is one
// more table, not a change in every place that writes, names or labels a file.
#pragma once

#include <string>
#include <vector>

namespace vq {

// The signals the engines produce, by index: B-format W, X, Y, Z (Furse-Malham weighted,
// X front, Y left, Z up), and the channels of a 5.1 decode.
enum BFormatSignal : int { kSignalW, kSignalX, kSignalY, kSignalZ, kBFormatSignals };
enum SurroundSignal : int { kSignalL, kSignalR, kSignalC, kSignalLfe, kSignalLs, kSignalRs, kSurroundSignals };

// The B-format convention of the files written: Furse-Malham (W, X, Y, Z, W at -3 dB), the
// classic one, or AmbiX (ACN order W, Y, Z, X with SN3D weights: W at 0 dB).
enum class BFormatConvention { FuMa, AmbiX };

struct OutputChannel {
    int signal;     // index of the signal it carries
    double weight;  // factor applied to that signal
};

struct OutputFile {
    std::string suffix;                   // appended to the take's name: "_WXYZ"
    std::string title;                    // completes "Select Output File for channel": "s W-X-Y-Z"
    std::vector<OutputChannel> channels;  // in file order
    // The WAVE channel mask (speaker bits: 0x1 front left, 0x2 front right, 0x4 front
    // centre, 0x8 low frequency, 0x10 back left, 0x20 back right); 0 for signals that are
    // no loudspeaker feeds, such as B-format.
    unsigned channelMask;
};

using OutputLayout = std::vector<OutputFile>;

// B-format in 1 file (4 channels), 2 files (the stereo pairs X,W and Z,Y; Furse-Malham
// only) or 4 mono files. Empty for a combination that does not exist.
const OutputLayout& BFormatLayout(BFormatConvention convention, int fileCount);

// 5.1 in 1 file (L, R, C, LFE, Ls, Rs), 3 stereo files (L,R / C,LFE / Ls,Rs) or 6 mono files.
const OutputLayout& SurroundLayout(int fileCount);

// The two-channel decodes, each one stereo file (left, right): a coincident stereo pair,
// UHJ stereo and headphones (binaural).
enum class TwoChannelDecode { Stereo, Uhj, Binaural };
const OutputLayout& TwoChannelLayout(TwoChannelDecode decode);

// The name an engine gives output file `index` until it is told another: out_000.wav, ...
std::string DefaultOutputName(int index);

// Number of signals a layout reads (the highest signal index + 1).
int SignalCount(const OutputLayout& layout);

}  // namespace vq
