// What one conversion is asked to do, as plain values: the take, the outputs, the B-format
// stage, the decode and how the run works. The window (through its record, VQParams), the
// command line and the settings file each map to and from these in one place; the run
// (ConversionRun.h) reads a const request and returns a result.
//
// Units: gains in dB (amplitude: -6 dB halves the signal), angles in degrees, frequencies
// in Hz, lengths in frames. The I/O buffer, kilobytes in the window and on the command line
// and bytes in the settings file, is frames here.
#pragma once

#include "common/Containers.h"
#include "common/OutputLayout.h"
#include "movie/MovieFormats.h"

#include <wx/string.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vq {

struct DecodeMode;

// How the channels of a 4-channel take are to be read.
enum class InputFormat {
    Auto,     // by the file's header: the Ambisonic B-format sub-format makes it FuMa B-format
    AFormat,  // capsule signals, whatever the header says
    FuMa,     // B-format W, X, Y, Z (Furse-Malham)
    AmbiX,    // B-format W, Y, Z, X (ACN, SN3D)
};

struct TakeSettings {
    InputFormat inputFormat = InputFormat::Auto;
    // Which channel of the take (counted across its files) holds FLU, FRD, BLD, BRU.
    int capsuleChannels[4] = {0, 1, 2, 3};
    // For one file of four or more channels (a recorder's poly file): the four channels, from
    // 0, that hold the capsules, in the order capsuleChannels counts them; empty: 0 to 3 of a
    // 4-channel file.
    std::vector<int> channels;
    // A recording the recorder split into several files, joined into one take: the parts
    // that follow the one takeFiles names, in order, each given as takeFiles is (its first
    // file is enough where the others are named after it). Empty: a take in one piece.
    std::vector<std::vector<wxString>> laterParts;
};

struct OutputSettings {
    int fileCount = 1;  // how many files the outputs are written as (the mode offers which)
    const Container* container = &Containers().front();
    SampleFormat sample = SampleFormat::Pcm16;
    bool formatOfTake = false;  // the take's own file format instead of `container` and `sample`
    bool sampleOfTake = false;  // `container` at the take's precision instead of `sample`
    BFormatConvention convention = BFormatConvention::FuMa;  // of B-format outputs
    bool dither = false;  // triangular dither before rounding to integers
    wxString folder;      // where derived output names go; empty: the working directory
    bool replace = true;  // an existing file of an output's name may be replaced
    wxString keepBFormat;  // a decode also keeps the B-format it decoded here (float WAV)
    // Output frame n lines up with input frame n: the filters' delay taken off the start,
    // every output exactly as long as the take.
    bool align = false;
};

struct BFormatSettings {
    double gainDb = -3.0;  // of the B-format outputs; a decode's B-format stays at -3 dB
    bool autorange = false;
    double highpassHz = 0.0;  // 10 to 200; 0: off
    double yaw = 0.0, pitch = 0.0, roll = 0.0;
};

struct DecodeSettings {
    const DecodeMode* mode = nullptr;  // null: B-format, the first mode
    // The decoder chosen for each mode that offers several (by the modes' names); a mode
    // without an entry uses its first.
    std::map<std::string, std::string> decoders;
    double gainDb = -3.0;
    bool autorange = false;
    int openingAngle = 60;  // 5.1 virtual microphones: degrees between L and R
    bool lowFreqsInLfe = false;
    double pairPattern = 0.5;  // stereo pair: omni share (0.5 cardioid, 0 figure-of-eight)
    double pairAngle = 90.0;   // stereo pair: degrees between the microphones
    double pairAim = 0.0;      // stereo pair: the axis, positive to the left
    wxString hrtfFile;         // headphones: a SOFA file; empty: the built-in head
    // Instead of autorange: one gain for every channel that brings the decode's integrated
    // loudness to normalizeLufs, lowered where needed to keep its true peak at or below
    // normalizeCeilingDbtp (no limiting).
    bool normalize = false;
    double normalizeLufs = -23.0;
    double normalizeCeilingDbtp = -1.0;

    const DecodeMode& Mode() const;
    // The decoder of the mode: one of its names, or empty when it has no choice.
    std::string Decoder() const;
};

// The frames of a block that fills an I/O buffer of `bytes` (one channel of 32-bit samples);
// the default block for a buffer too small to hold a frame.
std::int64_t BlockFramesOfBuffer(std::int64_t bytes);

struct RunSettings {
    wxString filtersDir;                // where FilterMatrix_<rate>.wav are
    std::int64_t blockFrames = 524288;  // frames read and written at a time
    int threads = 0;                    // threads computing the convolution; 0: one per core
    wxString fftWisdomFile;             // FFT plans kept between runs; empty: none
};

// A 360° movie, when the outputs' container is one (Container::movie): AmbiX B-format in one
// file, with the spatial-audio box.
struct MovieSettings {
    // The audio of an MP4: Aac or Opus. A MOV holds PCM of the outputs' sample format.
    MovieCodec compressed = MovieCodec::Aac;
    wxString videoClip;   // a clip whose video the movie carries (its own audio left out); empty: none
    wxString headLocked;  // a stereo file of the take's rate and length, as channels 5 and 6; empty: none
};

// The map of where the sound of the take comes from (spatial/DirectionMap.h), made from its
// B-format in the pass of the conversion (after the high-pass and the rotation).
struct MapSettings {
    wxString picture;  // a PNG of it; empty: none
    wxString data;     // its grid as CSV rows "azimuth,elevation,level_db"; empty: none
    bool keep = false;  // the result keeps its levels, for the window to show
    double lowHz = 200.0;  // the band it is made from
    double highHz = 4000.0;

    bool Wanted() const { return keep || !picture.empty() || !data.empty(); }
    // Whether the band lies between 0 Hz and half of `sampleRate`.
    bool BandFits(int sampleRate) const { return lowHz >= 0.0 && lowHz < highHz && highHz <= 0.5 * sampleRate; }
};

struct ConversionRequest {
    TakeSettings take;
    std::vector<wxString> takeFiles;  // the take's files, in the order its kind lays them out
    OutputSettings outputs;
    std::vector<wxString> outputNames;  // one per output file; empty: named after the take
    BFormatSettings bformat;
    DecodeSettings decode;
    RunSettings run;
    MovieSettings movie;
    MapSettings map;
};

// What a take's outputs are named after: its kind's rule on its first file (concertF.wav
// gives "concert", take.wav "take"). Empty when there is no file.
wxString TakeName(const ConversionRequest& request);
// The container the outputs are written in: the one chosen, but WAV for a decode when the
// choice is the B-format-only .amb.
const Container& OutputContainer(const ConversionRequest& request);
// The files of the outputs in the mode, file count and convention; empty for a combination
// that does not exist.
const OutputLayout& OutputFilesOf(const ConversionRequest& request);
// The outputs' paths: the names given, else the take's name with each file's suffix and the
// container's extension, in the output folder.
std::vector<wxString> OutputPaths(const ConversionRequest& request);
// Every file the run writes: the outputs, then the kept B-format of a decode.
std::vector<wxString> WrittenFiles(const ConversionRequest& request);
// The files of the direction map asked for: its picture, then its data.
std::vector<wxString> MapFiles(const ConversionRequest& request);
// The extension the container gives an output name: added when it has none, replaced when
// it names another container's; relative names are taken in the output folder.
wxString CompletedOutputPath(const ConversionRequest& request, const wxString& typed);

}  // namespace vq
