// vessarquilix-convert: converts A-format recordings to B-format or 5.1 from the command
// line, through the same record and conversion run as the window, with no display.
#include "ConvertOptions.h"
#include "Interrupt.h"
#include "TerminalProgress.h"

#include "VQConfig.h"
#include "VQParams.h"
#include "VqVersion.h"

#include <wx/init.h>

#include <cstdio>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

const char* const kProgram = "vessarquilix-convert";

int UsageError(const std::string& problem)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, problem.c_str(), kProgram);
    return kExitUsage;
}

void PrintText(std::FILE* stream, const wxString& text)
{
    std::fprintf(stream, "%s\n", static_cast<const char*>(text.utf8_str()));
}

}  // namespace

int main(int argc, char** argv)
{
    ConvertOptions options;
    const ParseError error = ParseConvertOptions(argc, argv, &options);
    if (error.kind == ParseError::kUsage)
        return UsageError(error.text);
    if (error.kind == ParseError::kUnreadablePath) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.text.c_str());
        return kExitFailed;
    }
    if (options.help) {
        std::fputs(ConvertUsage(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, vq::kVersionString);
        return kExitOk;
    }

    // The toolkit's base library only: no display is opened.
    wxInitializer toolkit;
    if (!toolkit.IsOk()) {
        std::fprintf(stderr, "%s: cannot initialise the toolkit\n", kProgram);
        return kExitFailed;
    }
    VQConfig config;
    VQParams params(&config);
    params.m_config = nullptr;  // the settings are read, never written, from here
    params.m_fftWisdomFile = VQParams::UserFftWisdomFile();
    const std::string problem = ApplyConvertOptions(options, &params);
    if (!problem.empty())
        return UsageError(problem);

    InstallInterruptHandler();
    TerminalProgress progress(options.quiet);
    params.m_progressView = &progress;
    if (InterruptRequested())
        return kExitCancelled;
    if (!params.Convert()) {
        PrintText(stderr, params.GetErrorMessage());
        return kExitFailed;
    }
    if (params.m_status == -1) {
        std::fprintf(stderr, "%s: cancelled; the output files hold what was converted so far.\n", kProgram);
        return kExitCancelled;
    }
    if (!options.quiet)
        for (int i = 0; i < params.OutputCount(); ++i)
            PrintText(stdout, "Wrote " + params.GetOutputPath(i));
    const wxString warning = params.GetClippingWarning();
    if (!warning.empty())
        PrintText(stderr, "Warning: " + warning);
    return kExitOk;
}
