// libFuzzer target of the converter's command line: the input, split at NUL bytes and line
// ends, is the argument vector after the program's name. It goes through what
// vessarquilix-convert does before converting: the option parser (ParseConvertOptions with
// the format and decode options), the takes it names (CollectTakes) and the record of each
// take with the checks of the batch (Batch::Prepare), which write nothing. No conversion runs.
//
// Every input runs in the fuzz working directory, which holds a pair of takes (takeF.wav,
// takeR.wav), a whole take (whole.wav) and the folders kept/, out/ and filters/, so that
// relative names find real files. Arguments that reach into /dev, /proc or /sys are left
// out: a device there can block a reader, which would be the fuzzer's doing, not the
// program's. A final line end ends the last argument rather than adding an empty one.
#include "ScratchDir.h"

#include "Batch.h"
#include "ConvertOptions.h"
#include "TakeList.h"
#include "TerminalProgress.h"

#include <sndfile.h>
#include <unistd.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void WriteTake(const char* name, int channels)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(vqfuzz::ScratchPath(name).c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "vq-fuzz: cannot write %s\n", name);
        std::exit(1);
    }
    std::vector<short> silence(static_cast<std::size_t>(channels) * 64);
    sf_writef_short(file, silence.data(), 64);
    sf_close(file);
}

std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0' || data[i] == '\n')
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    if (arguments.size() > 1 && arguments.back().empty())
        arguments.pop_back();  // the end of the last line
    return arguments;
}

bool ReachesDevices(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        for (const char* place : {"/dev", "/proc", "/sys"})
            if (argument.find(place) != std::string::npos)
                return true;
    return false;
}

void PrepareBatch(std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(kConvertProgram)};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ConvertOptions options;
    const ParseError error = ParseConvertOptions(static_cast<int>(argv.size() - 1), argv.data(), &options);
    if (error.kind != ParseError::kNone)
        return;
    if (options.help) {
        ConvertUsage();
        return;
    }
    std::vector<Take> takes;
    if (!CollectTakes(options.arguments, options.rearGiven ? &options.rear : nullptr, FilesOfTakeStartingWith, &takes).empty())
        return;
    if (!options.outputs.empty() && takes.size() > 1)
        return;  // refused before the batch, as the converter does
    TerminalProgress progress(true);
    Batch batch(options, progress);
    batch.Prepare(takes, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A name "-" reads standard input: it must end at once, not wait for a terminal.
    if (!std::freopen("/dev/null", "r", stdin))
        return 1;
    wxInitialize();
    WriteTake("takeF.wav", 2);
    WriteTake("takeR.wav", 2);
    WriteTake("whole.wav", 4);
    for (const char* folder : {"kept", "out", "filters"})
        vqfuzz::EmptyScratchFolder(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments = SplitArguments(data, size);
    if (ReachesDevices(arguments))
        return 0;
    char* before = getcwd(nullptr, 0);
    if (!before || chdir(vqfuzz::ScratchDir().c_str()) != 0)
        std::abort();
    PrepareBatch(arguments);
    if (chdir(before) != 0)
        std::abort();
    std::free(before);
    return 0;
}
