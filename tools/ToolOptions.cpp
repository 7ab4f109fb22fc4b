#include "ToolOptions.h"

#include "common/OutputFiles.h"

namespace vq {

namespace {

bool TakeMicrophoneOption(CommandLine& args, ArrayGeometry* geometry)
{
    std::string name;
    if (args.Is("--radius")) {
        double millimetres = geometry->radius * 1000.0;
        if (args.Number(1.0, 100.0, &millimetres))
            geometry->radius = millimetres / 1000.0;
    } else if (args.Is("--pattern")) {
        if (args.Text(&name) && !ParsePattern(name, &geometry->pattern))
            args.UsageError("unknown pattern '" + name + "' (cardioid, supercardioid, hypercardioid or subcardioid)");
    } else if (args.Is("--orientation")) {
        if (args.Text(&name) && !ParseMounting(name, &geometry->mounting))
            args.UsageError("unknown orientation '" + name + "' (upright, upside-down or endfire)");
    } else {
        return false;
    }
    return true;
}

bool TakeOutputOption(CommandLine& args, ToolOptions* options)
{
    if (args.Is("--out")) {
        if (args.Text(&options->out) && options->out.empty())
            args.UsageError("--out needs a directory name");
    } else if (args.Is("--force")) {
        options->force = true;
    } else if (args.Is("--help")) {
        options->help = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace

const char* const kMicrophoneHelp =
    "  --radius MM          distance of each capsule from the centre, in millimetres\n"
    "                       (default 15)\n"
    "  --pattern NAME       capsule pattern: cardioid (default), supercardioid,\n"
    "                       hypercardioid or subcardioid\n"
    "  --orientation NAME   upright (default), upside-down (hanging, front marking to\n"
    "                       the front) or endfire (lying, top to the front, front\n"
    "                       marking up)\n";

const char* const kOutputHelp =
    "  --out DIR            output directory, created when missing (default: .)\n"
    "  --force              replace files that exist already\n"
    "  --help               show this text\n"
    "\n"
    "Exit status: 0 done; 1 a file exists (without --force) or cannot be written;\n"
    "2 the command line is wrong.\n";

bool ParseToolOptions(CommandLine& args, ToolOptions* options, const std::function<bool()>& takeOwn)
{
    while (args.Next())
        if (!TakeMicrophoneOption(args, &options->geometry) && !TakeOutputOption(args, options) && !takeOwn())
            args.Unknown();
    return !args.Failed();
}

bool ReadyToWrite(const char* program, const ToolOptions& options, const std::vector<std::string>& paths)
{
    return PrepareDirectory(program, options.out) && MayWrite(program, paths, options.force);
}

}  // namespace vq
