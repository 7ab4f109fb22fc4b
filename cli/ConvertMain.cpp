// vessarquilix-convert: converts A-format recordings to B-format or 5.1 from the command
// line, through the same record and conversion run as the window, with no display.
#include "CommandLine.h"
#include "ConvertOptions.h"
#include "Interrupt.h"
#include "TerminalProgress.h"

#include "VQConfig.h"
#include "VQParams.h"
#include "VqVersion.h"

#include <wx/init.h>

#include <cstdio>

namespace {

using vq::kExitFailure;
using vq::kExitOk;
constexpr int kExitCancelled = 130;

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

    // The toolkit's base library only: no display is opened.
    wxInitializer toolkit;
    if (!toolkit.IsOk()) {
        std::fprintf(stderr, "%s: cannot initialise the toolkit\n", kConvertProgram);
        return kExitFailure;
    }
    VQConfig config;
    VQParams params(&config);
    params.m_config = nullptr;  // the settings are read, never written, from here
    params.m_fftWisdomFile = VQParams::UserFftWisdomFile();
    const std::string problem = ApplyConvertOptions(options, &params);
    if (!problem.empty())
        return vq::ReportUsage(kConvertProgram, problem);

    InstallInterruptHandler();
    TerminalProgress progress(options.quiet);
    params.m_progressView = &progress;
    if (InterruptRequested())
        return kExitCancelled;
    if (!params.Convert()) {
        PrintText(stderr, params.GetErrorMessage());
        return kExitFailure;
    }
    if (params.m_status == -1) {
        std::fprintf(stderr, "%s: cancelled; the output files hold what was converted so far.\n", kConvertProgram);
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
