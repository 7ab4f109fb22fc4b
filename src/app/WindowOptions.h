// The command line of the window's program, vessarquilix: its options, declared as the
// converter and the tools declare theirs (the shell's completion and the manual read them),
// and its help. Plain C++: the program answers --help and --version before the toolkit starts.
#pragma once

#include "CommandLine.h"

#include <vector>

constexpr const char* kWindowProgram = "vessarquilix";

std::vector<vq::Option> WindowOptionList();

// The option `arg` names exactly ("--help", "-h"); null when it names none.
const vq::Option* WindowOption(const char* arg);

extern const char* const kWindowUsage;
