// vessarquilix-convert: converts A-format and B-format takes to B-format or its decodes from
// the command line, take after take, through the same request and conversion run as the window, with no
// display.
#include "Batch.h"
#include "CommandLine.h"
#include "ConvertOptions.h"
#include "Interrupt.h"
#include "TakeList.h"
#include "TerminalProgress.h"

#include "FilterSetInfo.h"
#include "VQConfig.h"
#include "VQParams.h"
#include "VqVersion.h"

#include <wx/init.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using vq::kExitFailure;
using vq::kExitOk;

// The toolkit reports a working directory that was deleted as an undecodable name; say
// what it is, once.
bool WorkingDirectoryExists()
{
    char* cwd = getcwd(nullptr, 0);
    if (cwd) {
        std::free(cwd);
        return true;
    }
    if (errno == ENOENT)
        std::fprintf(stderr,
                     "%s: the current directory no longer exists (it was deleted or moved); "
                     "change to an existing directory and start again\n",
                     kConvertProgram);
    else
        std::fprintf(stderr, "%s: cannot tell the current directory: %s\n", kConvertProgram, std::strerror(errno));
    return false;
}

// --filters-info: what each filter matrix of the filters directory says about itself.
int PrintFiltersInfo(const ConvertOptions& options, wxConfigBase* settings)
{
    VQParams record(settings);
    record.m_config = nullptr;  // the settings are read, never written, from here
    const wxString dir = options.filtersGiven ? options.filters : record.GetFiltersDir();
    const std::vector<int> rates = FilterSetRates(dir);
    if (rates.empty()) {
        std::fprintf(stderr, "%s: no filter matrices (FilterMatrix_<rate>.wav) in %s\n", kConvertProgram,
                     static_cast<const char*>(dir.utf8_str()));
        return kExitFailure;
    }
    std::printf("Filter matrices in %s:\n", static_cast<const char*>(dir.utf8_str()));
    for (const int rate : rates)
        std::fputs(DescribeFilterMatrix(dir, rate).c_str(), stdout);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    ConvertOptions options;
    const ParseError error = ParseConvertOptions(argc, argv, &options);
    if (error.kind == ParseError::kUsage)
        return vq::ReportUsage(kConvertProgram, error.text);
    if (error.kind == ParseError::kUnreadablePath) {
        std::fprintf(stderr, "%s: %s\n", kConvertProgram, error.text.c_str());
        return kExitFailure;
    }
    if (options.help) {
        std::fputs(ConvertUsage().c_str(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s %s\n", kConvertProgram, vq::kVersionString);
        return kExitOk;
    }
    InstallSignalHandlers();
    if (!WorkingDirectoryExists())
        return kExitFailure;

    // The toolkit's base library only: no display is opened.
    wxInitializer toolkit;
    if (!toolkit.IsOk()) {
        std::fprintf(stderr, "%s: cannot initialise the toolkit\n", kConvertProgram);
        return kExitFailure;
    }
    VQConfig config;
    if (config.IsDamaged())
        std::fprintf(stderr, "%s: warning: the settings file %s is damaged; using the default settings\n",
                     kConvertProgram, static_cast<const char*>(VQConfig::LocalFilePath().utf8_str()));

    if (options.filtersInfo)
        return PrintFiltersInfo(options, config.IsDamaged() ? nullptr : &config);

    std::vector<Take> takes;
    std::string problem =
        CollectTakes(options.arguments, options.rearGiven ? &options.rear : nullptr, FilesOfTakeStartingWith, &takes);
    if (problem.empty() && !options.outputs.empty() && takes.size() > 1 && !options.join)
        problem = "-o names the outputs of a single take; with several takes, give their folder with -d";
    if (problem.empty() && !options.movie.settings.headLocked.empty() && takes.size() > 1)
        problem = "--head-locked is the stereo pair of a single take, as long as it; convert the takes one at a time";
    if (!problem.empty())
        return vq::ReportUsage(kConvertProgram, problem);
    // Takes that look like one split recording are said so, never joined unasked.
    if (!options.join)
        for (const std::string& hint : SplitRecordingHints(takes))
            std::fprintf(stderr, "%s: hint: %s\n", kConvertProgram, hint.c_str());

    TerminalProgress progress(options.quiet);
    Batch batch(options, progress);
    problem = batch.Prepare(takes, config.IsDamaged() ? nullptr : &config);
    if (!problem.empty())
        return vq::ReportUsage(kConvertProgram, problem);
    return batch.Run();
}
