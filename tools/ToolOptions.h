// The options both tools take: the microphone (--radius, --pattern, --orientation) and
// where to write (--out, --force), plus --help.
#pragma once

#include "common/CommandLine.h"
#include "filters/ArrayModel.h"

#include <functional>
#include <string>
#include <vector>

namespace vq {

struct ToolOptions {
    ArrayGeometry geometry;
    std::string out = ".";
    bool force = false;
    bool help = false;
};

// Their lines of --help: the microphone's, and the output's with the exit status.
extern const char* const kMicrophoneHelp;
extern const char* const kOutputHelp;

// Reads the whole command line into `options`; `takeOwn` is asked about every other
// argument and answers whether it took it. False after a usage error (already reported).
bool ParseToolOptions(CommandLine& args, ToolOptions* options, const std::function<bool()>& takeOwn);

// Creates the output directory and checks that `paths` may be written (see MayWrite).
bool ReadyToWrite(const char* program, const ToolOptions& options, const std::vector<std::string>& paths);

}  // namespace vq
