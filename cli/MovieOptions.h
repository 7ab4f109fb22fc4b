// The options of vessarquilix-convert for 360° video: the codec of an MP4, the clip whose
// video a movie carries and the head-locked stereo pair. A movie is chosen with --container
// mov or mp4 (FormatAndDecodeOptions.h); these are parsed with the shared parser, checked
// against it, and moved into the request.
#pragma once

#include "CommandLine.h"
#include "ConversionRequest.h"

#include <string>
#include <vector>

struct MovieCommandOptions {
    vq::MovieSettings settings;
    bool codecGiven = false;
};

// The option declarations these options add to the converter's.
std::vector<vq::Option> MovieOptionList();

// Takes the current option when it is one of these; false when it is not. A bad value is a
// usage error on `args`. Paths whose bytes have no text form set *badPath.
bool TakeMovieOption(vq::CommandLine& args, MovieCommandOptions* o, std::string* badPath);

// The usage error of a movie that cannot be written, or of movie options without a movie;
// empty when there is none. `container` is the --container chosen (a name of
// vq::Containers()), `files` the number of output files.
std::string CheckMovieOptions(const MovieCommandOptions& o, const std::string& container, const vq::DecodeMode& mode,
                              vq::BFormatConvention convention, int files);

// Moves them into the request.
void ApplyMovieOptions(const MovieCommandOptions& o, vq::ConversionRequest* request);

// Their lines of --help.
extern const char* const kMovieHelp;
