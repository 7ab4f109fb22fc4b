// The command line of vessarquilix-convert, parsed and checked.
#pragma once

#include "DeliveryOptions.h"
#include "FormatAndDecodeOptions.h"
#include "MovieOptions.h"

#include <wx/string.h>

#include <string>
#include <vector>

struct Take;

constexpr const char* kConvertProgram = "vessarquilix-convert";

struct ConvertOptions {
    std::vector<wxString> arguments;  // the takes as given (TakeList.h pairs them)
    bool rearGiven = false;           // --rear: the rear file of a single take
    wxString rear;
    bool join = false;  // --join: the takes are the parts of one split recording, in order
    bool outputDirGiven = false;  // -d/--output-dir: where derived output names go
    wxString outputDir;
    bool force = false;             // -y/--force: replace existing outputs
    int mode = 0;                   // --mode, the row of DecodeModes()
    int files = 1;                  // --files
    std::vector<wxString> outputs;  // -o/--output, in the order of the output slots
    bool formatGiven = false;       // --format; without it the take's own precision
    vq::SampleFormat format = vq::SampleFormat::Pcm16;
    double gain = -3.0;             // dB, -60 to 60
    double surroundGain = -3.0;
    int angle = 60;
    bool autorange = false;
    bool surroundAutorange = false;
    bool lfe = false;
    bool filtersGiven = false;
    wxString filters;
    bool bufferGiven = false;
    int bufferKB = 0;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool filtersInfo = false;  // --filters-info: describe the filter matrices instead
    FormatAndDecodeOptions formats;
    MovieCommandOptions movie;
    DeliveryOptions deliveries;
};

struct ParseError {
    enum Kind { kNone, kUsage, kUnreadablePath } kind = kNone;
    std::string text;  // what is wrong, without the program's name
};

// Parses argv with the programs' shared parser (vq::CommandLine): a usage error, or a file
// name whose bytes have no text form. --help and --version end the parsing.
ParseError ParseConvertOptions(int argc, char** argv, ConvertOptions* options);

// Moves the options and one take into a request: mode, file count, formats, output folder,
// the take's files, outputs given with -o, gains, switches, directories, buffer.
void ApplyConvertOptions(const ConvertOptions& options, const Take& take, vq::ConversionRequest* request);

std::string ConvertUsage();

// Every option the converter declares (the shell's completion and the manual read them too).
std::vector<vq::Option> ConvertOptionList();
