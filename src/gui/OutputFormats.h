// What the main window's output box offers, as data: the containers of a mode (from
// vq::Containers()), the sample formats a container holds, the file layouts of a mode and
// convention, the high-pass corners, the file types of the open and save dialogs, and how
// a chosen format is written into the record.
#pragma once

#include "common/Containers.h"
#include "common/OutputLayout.h"

#include <wx/string.h>

#include <vector>

class VQParams;
namespace vq {
struct DecodeMode;
}

namespace vqgui {

// Containers offered for the outputs: every one, but .amb (Furse-Malham B-format) in
// B-Format mode only.
std::vector<const vq::Container*> OfferedContainers(bool surround);
// 16-bit, 24-bit and, when the container holds it, float.
std::vector<vq::SampleFormat> OfferedSampleFormats(const vq::Container& container);
wxString SampleFormatLabel(vq::SampleFormat sample);  // "16-bit", "24-bit", "float"

// The record's file layouts (0 mono files, 1 stereo pairs, 2 one file) a mode offers in a
// convention: those with files to write (the stereo pairs of B-format are Furse-Malham only,
// the two-channel decodes are one stereo file).
std::vector<int> OfferedFileLayouts(const vq::DecodeMode& mode, vq::BFormatConvention convention);
wxString FileLayoutLabel(const vq::DecodeMode& mode, int layout);  // "4 mono files", ...

// The mode whose controls the decode box shows: the mode's own, or for B-format, which
// decodes nothing, the first decode's (greyed).
const vq::DecodeMode& DecodeBoxMode(const vq::DecodeMode& mode);

// The patterns the stereo pair offers, with the omni share of each.
struct MicPatternItem {
    const char* label;
    double omniShare;
};
const std::vector<MicPatternItem>& MicPatterns();

// High-pass corners in Hz; 0 is off.
const std::vector<int>& HighpassCorners();
wxString HighpassLabel(int cornerHz);  // "Off", "80 Hz"
// The offered corner nearest to `hz` (0 for anything below the lowest corner).
int NearestHighpassCorner(double hz);

wxString ConventionLabel(vq::BFormatConvention convention);  // "FuMa", "AmbiX"

// The output format of the record for its mode: the container and the sample format.
const vq::Container& OutputContainer(const VQParams& record);
vq::SampleFormat OutputSampleFormat(const VQParams& record);
// Writes a container and a sample format as the format of the outputs of both modes (the
// intermediate file of 5.1 mode is float whatever they say).
void SetOutputFormat(VQParams& record, const vq::Container& container, vq::SampleFormat sample);

// A file type of the save dialogs: a container with a sample format.
struct SaveFileType {
    const vq::Container* container;
    vq::SampleFormat sample;
};
std::vector<SaveFileType> SaveFileTypes(bool surround);
// "WAV 16-bit (*.wav)|*.wav|..." for those types.
wxString SaveWildcard(const std::vector<SaveFileType>& types);
// The open dialogs' types: every sound file the program reads, WAV, and all files.
wxString OpenWildcard();

}  // namespace vqgui
