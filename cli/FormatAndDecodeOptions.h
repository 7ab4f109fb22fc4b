// The options of vessarquilix-convert that say what the files hold and how the B-format is
// decoded: how a take is read, container, convention, capsule order, dither, high-pass, rotation and the
// decoders' settings. Parsed with the shared parser, checked, and moved into the request.
#pragma once

#include "CommandLine.h"
#include "ConversionRequest.h"

#include "common/OutputLayout.h"

#include <wx/string.h>

#include <string>
#include <vector>

struct FormatAndDecodeOptions {
    vq::InputFormat inputFormat = vq::InputFormat::Auto;
    std::string container;  // empty: from an explicit output name's extension, else wav
    vq::BFormatConvention convention = vq::BFormatConvention::FuMa;
    int capsuleChannels[4] = {0, 1, 2, 3};
    std::vector<int> channels;  // --channels, from 0
    bool dither = false;
    double highpassHz = 0.0;
    double yaw = 0.0, pitch = 0.0, roll = 0.0;
    std::string decoder;  // --decoder: one of the mode's; empty: its first
    double pairPattern = 0.5;
    double pairAngle = 90.0;
    double pairAim = 0.0;
    wxString hrtfFile;
    wxString keepBFormat;
    bool align = false;  // --align: output frame n is input frame n
};

// The option declarations these options add to the converter's.
std::vector<vq::Option> FormatAndDecodeOptionList();

// Takes the current option when it is one of these; false when it is not. A bad value is a
// usage error on `args`. Paths whose bytes have no text form set *badPath.
bool TakeFormatAndDecodeOption(vq::CommandLine& args, FormatAndDecodeOptions* o, std::string* badPath);

// The combinations that cannot be written: FLAC with float, .amb for anything but
// Furse-Malham B-format, AmbiX in stereo pairs. `files` is the number of output files,
// `floatAsked` whether float samples were asked for, `firstOutput` the first -o name (or
// empty). Returns the usage error, or empty.
std::string CheckFormatAndDecodeOptions(FormatAndDecodeOptions* o, const vq::DecodeMode& mode, int files,
                                        bool floatAsked, const wxString& firstOutput);

// Moves them into the request; its decode mode is set already.
void ApplyFormatAndDecodeOptions(const FormatAndDecodeOptions& o, vq::ConversionRequest* request);

// Their lines of --help.
extern const char* const kFormatAndDecodeHelp;
