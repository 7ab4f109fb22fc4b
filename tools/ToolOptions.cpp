#include "ToolOptions.h"

#include "common/OutputFiles.h"
#include "filters/MicrophonePresets.h"

namespace vq {

namespace {

bool TakeMicrophoneOption(CommandLine& args, ToolOptions* options)
{
    ArrayGeometry* geometry = &options->geometry;
    std::string name;
    if (args.Is("preset")) {
        if (!args.Text(&name))
            return true;
        if (name == "list") {
            options->listPresets = true;
        } else if (const MicrophonePreset* preset = FindPreset(name)) {
            const Mounting mounting = geometry->mounting;
            *geometry = PresetGeometry(*preset);
            geometry->mounting = mounting;
            options->preset = preset->name;
        } else {
            args.BadValue("a preset's name (--preset list shows them)");
        }
    } else if (args.Is("radius")) {
        double millimetres = geometry->radius * 1000.0;
        if (args.Number(1.0, 100.0, &millimetres))
            geometry->radius = millimetres / 1000.0;
    } else if (args.Is("pattern")) {
        if (args.Text(&name) && !ParsePattern(name, &geometry->pattern))
            args.BadValue("cardioid, supercardioid, hypercardioid or subcardioid");
    } else if (args.Is("orientation")) {
        if (args.Text(&name) && !ParseMounting(name, &geometry->mounting))
            args.BadValue("upright, upside-down or endfire");
    } else if (args.Is("capsules")) {
        if (args.Text(&name) && !ParseCapsuleSet(name, &geometry->capsules))
            args.BadValue("FLU,FRD,BLD,BRU or FLD,FRU,BLU,BRD");
    } else {
        return false;
    }
    return true;
}

bool TakeOutputOption(CommandLine& args, ToolOptions* options)
{
    if (args.Is("out")) {
        if (args.Text(&options->out) && options->out.empty())
            args.BadValue("a directory name");
    } else if (args.Is("force")) {
        options->force = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace

const char* const kMicrophoneHelp =
    "  --preset NAME        a microphone's published geometry (radius, pattern,\n"
    "                       capsules); --preset list shows them. Options after it\n"
    "                       override its values\n"
    "  --radius MM          distance of each capsule from the centre, 1 to 100\n"
    "                       millimetres (default 15)\n"
    "  --pattern NAME       capsule pattern: cardioid (default), supercardioid,\n"
    "                       hypercardioid or subcardioid\n"
    "  --capsules LIST      the capsules of the four channels: FLU,FRD,BLD,BRU\n"
    "                       (default) or FLD,FRU,BLU,BRD\n"
    "  --orientation NAME   upright (default), upside-down (hanging, front marking to\n"
    "                       the front) or endfire (lying, top to the front, front\n"
    "                       marking up)\n";

const char* const kOutputHelp =
    "  --out DIR            output directory, created when missing (default: .)\n"
    "  --force              replace files that exist already\n"
    "  -h, --help           show this text\n"
    "  --version            show the version\n";

std::vector<Option> ToolOptionList(const std::vector<Option>& own)
{
    std::vector<std::string> presets = PresetNames();
    presets.push_back("list");
    std::vector<Option> list = {
        {"preset", '\0', true, presets},
        {"radius", '\0', true},
        {"pattern", '\0', true, PatternNames()},
        {"orientation", '\0', true, MountingNames()},
        {"capsules", '\0', true, CapsuleSetNames()},
        {"out", '\0', true, {}, ValueKind::kFolder},
        {"force", '\0', false},
        {"help", 'h', false},
        {"version", '\0', false},
    };
    list.insert(list.end(), own.begin(), own.end());
    return list;
}

std::vector<Option> MkFiltersOptionList()
{
    return ToolOptionList({{"taps", '\0', true},
                           {"rates", '\0', true},
                           {"measured", '\0', true, {}, ValueKind::kFile, "sofa"},
                           {"max-boost", '\0', true},
                           {"date", '\0', true}});
}

std::vector<Option> MkDemoOptionList()
{
    return ToolOptionList({{"name", '\0', true}});
}

bool ParseToolOptions(CommandLine& args, ToolOptions* options, const std::function<void()>& takeOwn)
{
    while (args.Next()) {
        if (args.Is("help") || args.Is("version")) {
            (args.Is("help") ? options->help : options->version) = true;
            return true;
        }
        if (!TakeMicrophoneOption(args, options) && !TakeOutputOption(args, options))
            takeOwn();
        if (options->listPresets)
            return true;
    }
    if (!args.Failed() && !args.Arguments().empty())
        args.UsageError("unexpected argument '" + args.Arguments().front() + "' (the tools take options only)");
    if (args.Failed()) {
        args.ReportUsage();
        return false;
    }
    return true;
}

bool ReadyToWrite(const char* program, const ToolOptions& options, const std::vector<std::string>& paths)
{
    return PrepareDirectory(program, options.out) && MayWrite(program, paths, options.force);
}

}  // namespace vq
