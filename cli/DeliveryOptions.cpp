#include "DeliveryOptions.h"

#include "DecodeModes.h"
#include "FormatAndDecodeOptions.h"

#include <wx/filefn.h>
#include <wx/filename.h>

namespace {

// Integrated loudness targets from the quietest broadcast norm to the loudest streaming one,
// with room on both sides; beyond it a number is a typing error.
constexpr double kLowestTarget = -60.0;
constexpr double kHighestTarget = 0.0;

// A map option's file for one take: the name given, or the take's name in the folder given.
bool PlaceMapFile(const wxString& given, const char* option, const char* extension, std::size_t takeCount,
                  vq::ConversionRequest* request, wxString* place, std::string* problem)
{
    if (given.empty())
        return true;
    if (given.EndsWith("/") || wxDirExists(given)) {
        *place = wxFileName(given, vq::TakeName(*request) + "_map", extension).GetFullPath();
        return true;
    }
    if (takeCount > 1) {
        *problem = std::string(option) + " " + std::string(given.utf8_str()) + " names one file, and " +
                   std::to_string(takeCount) + " takes would each replace it: give a folder (ending in /) " +
                   "to have each take's map in it";
        return false;
    }
    *place = given;
    return true;
}

}  // namespace

const char* const kDeliveryHelp =
    "Deliveries:\n"
    "  --report FILE.json       write a record of the run: the version and the settings, each\n"
    "                           take with its rate and length, the filters and their delay, each\n"
    "                           output with its frames, clipped samples and loudness, the time\n"
    "  --normalize LUFS         a decode: bring its integrated loudness to LUFS (-60 to 0, for\n"
    "                           example -23 for EBU R 128) by one gain, lowered where needed to\n"
    "                           keep its true peak at or below -1 dBTP (no limiting)\n"
    "  --map FILE.png           a picture of where the sound comes from: the take's energy by\n"
    "                           direction, and its azimuth over time (a folder, ending in /, gets\n"
    "                           each take's TAKE_map.png); with --video, the map alone over the\n"
    "                           clip's middle frame, at its size\n"
    "  --map-data FILE.csv      the same map as rows azimuth,elevation,level_db on a 2-degree grid\n"
    "  --map-band LO,HI         the band the map is made from, Hz (default 200,4000)\n"
    "Every output's loudness (ITU-R BS.1770: integrated, range, true peak; W of B-format, the\n"
    "5.1 weights without the LFE) follows its name in the list of files written.\n";

std::vector<vq::Option> DeliveryOptionList()
{
    using vq::ValueKind;
    return {
        {"report", '\0', true, {}, ValueKind::kFile, "json"},
        {"normalize", '\0', true},
        {"map", '\0', true, {}, ValueKind::kFile, "png"},
        {"map-data", '\0', true, {}, ValueKind::kFile, "csv"},
        {"map-band", '\0', true},
    };
}

bool TakeDeliveryOption(vq::CommandLine& args, DeliveryOptions* o, std::string* badPath)
{
    if (args.Is("report")) {
        TakePath(args, &o->report, badPath);
    } else if (args.Is("normalize")) {
        o->normalize = args.Number(kLowestTarget, kHighestTarget, &o->normalizeLufs);
    } else if (args.Is("map")) {
        TakePath(args, &o->map, badPath);
    } else if (args.Is("map-data")) {
        TakePath(args, &o->mapData, badPath);
    } else if (args.Is("map-band")) {
        std::vector<double> band;
        if (args.NumberList(0.0, 1e6, &band)) {
            if (band.size() != 2 || !(band[0] < band[1]))
                args.BadValue("LO,HI in Hz with LO below HI, for example 200,4000");
            else
                o->bandGiven = true, o->lowHz = band[0], o->highHz = band[1];
        }
    } else {
        return false;
    }
    return true;
}

std::string CheckDeliveryOptions(const DeliveryOptions& o, const vq::DecodeMode& mode, bool surroundAutorange)
{
    if (o.normalize && !mode.Decodes())
        return "--normalize goes with a decode (--mode 5.1, stereo, uhj or binaural)";
    if (o.normalize && surroundAutorange)
        return "--normalize and --surround-autorange both set the decode's level: give one of them";
    if (o.bandGiven && o.map.empty() && o.mapData.empty())
        return "--map-band goes with --map or --map-data";
    return std::string();
}

std::string ApplyDeliveryOptions(const DeliveryOptions& o, std::size_t takeCount, vq::ConversionRequest* request)
{
    vq::DecodeSettings& decode = request->decode;
    decode.normalize = o.normalize;
    decode.normalizeLufs = o.normalizeLufs;
    vq::MapSettings& map = request->map;
    map.lowHz = o.lowHz;
    map.highHz = o.highHz;
    std::string problem;
    if (!PlaceMapFile(o.map, "--map", "png", takeCount, request, &map.picture, &problem) ||
        !PlaceMapFile(o.mapData, "--map-data", "csv", takeCount, request, &map.data, &problem))
        return problem;
    return std::string();
}
