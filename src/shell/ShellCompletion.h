// The bash completion of a program, written from its option declarations (vq::Option): its
// options, the words their values take, files, sound files and folders where a value or an
// argument names one, and words that depend on another option's value (--decoder after
// --mode 5.1 offers the 5.1 decoders).
#pragma once

#include "CommandLine.h"

#include <string>
#include <utility>
#include <vector>

namespace vq {

// Words of `option` that depend on the value of `on`: those of `byValue` for a value in it,
// nothing for another value, and the option's own words when `on` is not given.
struct DependentWords {
    std::string option;
    std::string on;
    std::vector<std::pair<std::string, std::vector<std::string>>> byValue;
};

struct ProgramCommandLine {
    std::string program;
    std::vector<Option> options;
    ValueKind arguments = ValueKind::kOther;  // what its arguments name; kOther: it takes none
    std::vector<DependentWords> dependent;
};

// The script for bash-completion's completions/ folder (loaded on demand by the program's
// name). `soundExtensions` are the extensions a sound file is offered by.
std::string BashCompletion(const ProgramCommandLine& program, const std::vector<std::string>& soundExtensions);

}  // namespace vq
