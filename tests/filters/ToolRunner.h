// The tools run as separate programs, as a user runs them.
#pragma once

#include <string>

namespace vqtest {

struct ToolRun {
    int status;          // exit status; -1 when the program did not exit normally
    std::string output;  // standard output and standard error, interleaved
};

// Runs `tool arguments` through the shell.
ToolRun RunTool(const std::string& tool, const std::string& arguments);

}  // namespace vqtest
