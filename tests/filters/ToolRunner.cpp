#include "filters/ToolRunner.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace vqtest {

ToolRun RunTool(const std::string& tool, const std::string& arguments)
{
    ToolRun run{-1, ""};
    FILE* pipe = popen((tool + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace vqtest
