// The options both tools take: the microphone (--preset, --radius, --pattern, --capsules,
// --orientation; later ones override earlier ones) and where to write (--out, --force),
// plus -h/--help.
#pragma once

#include "CommandLine.h"
#include "filters/ArrayModel.h"

#include <functional>
#include <string>
#include <vector>

namespace vq {

struct ToolOptions {
    ArrayGeometry geometry;
    std::string preset;  // the --preset the geometry started from; empty for none
    std::string out = ".";
    bool force = false;
    bool help = false;
    bool version = false;
    bool listPresets = false;  // --preset list
};

// Their lines of --help: the microphone's, and the output's with --help and --version.
extern const char* const kMicrophoneHelp;
extern const char* const kOutputHelp;

// The options every tool declares, followed by a tool's `own`.
std::vector<Option> ToolOptionList(const std::vector<Option>& own);
// Those of each tool (the shell's completion and the manual read them too).
std::vector<Option> MkFiltersOptionList();
std::vector<Option> MkDemoOptionList();

// Reads the whole command line into `options`, handing each of the tool's own options to
// `takeOwn`; --help, --version and --preset list end the reading. False after a usage error, which it has reported.
bool ParseToolOptions(CommandLine& args, ToolOptions* options, const std::function<void()>& takeOwn);

// Creates the output directory and checks that `paths` may be written (see MayWrite).
bool ReadyToWrite(const char* program, const ToolOptions& options, const std::vector<std::string>& paths);

}  // namespace vq
