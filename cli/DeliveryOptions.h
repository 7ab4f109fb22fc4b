// The options of vessarquilix-convert for what a run delivers besides the sound files: the
// report of the run, the loudness normalisation of a decode and the map of where the sound
// comes from. Parsed with the shared parser, checked, and moved into each take's request.
#pragma once

#include "CommandLine.h"
#include "ConversionRequest.h"

#include <wx/string.h>

#include <string>
#include <vector>

namespace vq {
struct DecodeMode;
}

struct DeliveryOptions {
    wxString report;  // --report: the JSON record of the whole batch; empty: none
    bool normalize = false;  // --normalize LUFS
    double normalizeLufs = -23.0;
    wxString map;      // --map: the picture, a file, or a folder for every take's
    wxString mapData;  // --map-data: the CSV, a file or a folder
    bool bandGiven = false;  // --map-band LO,HI
    double lowHz = 200.0;
    double highHz = 4000.0;
};

// The option declarations these options add to the converter's.
std::vector<vq::Option> DeliveryOptionList();

// Takes the current option when it is one of these; false when it is not. A bad value is a
// usage error on `args`. Paths whose bytes have no text form set *badPath.
bool TakeDeliveryOption(vq::CommandLine& args, DeliveryOptions* o, std::string* badPath);

// What cannot go together: normalising without a decode or with --surround-autorange, a band
// without a map. Returns the usage error, or empty.
std::string CheckDeliveryOptions(const DeliveryOptions& o, const vq::DecodeMode& mode, bool surroundAutorange);

// Moves them into one take's request; `takeCount` takes share the command line. A map named
// as a folder (ending in /, or one that exists) gets the take's name: concert_map.png,
// concert_map.csv. Returns the usage error (one map file for several takes), or empty.
std::string ApplyDeliveryOptions(const DeliveryOptions& o, std::size_t takeCount, vq::ConversionRequest* request);

// Their lines of --help.
extern const char* const kDeliveryHelp;
