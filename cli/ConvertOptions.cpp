#include "ConvertOptions.h"

#include "FileSystemPath.h"
#include "VQParams.h"

#include <getopt.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

enum LongOnly {
    kMode = 1000,
    kFiles,
    kFormat,
    kGain,
    kAutorange,
    kSurroundGain,
    kAngle,
    kLfe,
    kSurroundAutorange,
    kFilters,
    kBuffer,
    kHelp,
    kVersion,
};

const option kOptions[] = {
    {"mode", required_argument, nullptr, kMode},
    {"files", required_argument, nullptr, kFiles},
    {"format", required_argument, nullptr, kFormat},
    {"gain", required_argument, nullptr, kGain},
    {"autorange", no_argument, nullptr, kAutorange},
    {"surround-gain", required_argument, nullptr, kSurroundGain},
    {"angle", required_argument, nullptr, kAngle},
    {"lfe", no_argument, nullptr, kLfe},
    {"surround-autorange", no_argument, nullptr, kSurroundAutorange},
    {"filters", required_argument, nullptr, kFilters},
    {"buffer", required_argument, nullptr, kBuffer},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

bool ParseNumber(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*value);
}

bool ParseInteger(const char* text, long low, long high, int* value)
{
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

ParseError Usage(const std::string& text)
{
    return ParseError{ParseError::kUsage, text};
}

bool ParsePath(const char* bytes, wxString* path, ParseError* error)
{
    if (FromFileSystemPath(bytes, path))
        return true;
    *error = ParseError{ParseError::kUnreadablePath, std::string("the file name '") + bytes +
                                                         "' is not valid in the file system's encoding (UTF-8)"};
    return false;
}

// Layout index of the record for a number of files in a mode.
int LayoutFor(bool surround, int files)
{
    if (surround)
        return files == 6 ? 0 : files == 3 ? 1 : 2;
    return files == 4 ? 0 : files == 2 ? 1 : 2;
}

}  // namespace

const char* ConvertUsage()
{
    return "Usage: vessarquilix-convert [options] FLU_FRD.wav [BLD_BRU.wav]\n"
           "Converts an A-format recording (two stereo files: FLU+FRD and BLD+BRU) to B-format or 5.1.\n"
           "The second file defaults to the first with \"F.wav\" replaced by \"R.wav\".\n"
           "\n"
           "  --mode b-format|5.1      output mode (default b-format)\n"
           "  --files N                output files: 1, 2 or 4 for B-format; 1, 3 or 6 for 5.1 (default 1)\n"
           "  -o PATH                  an output file, once per output file in output order\n"
           "                           (default: named after the first input, in the current directory)\n"
           "  --format pcm16|pcm24|float  sample format of the outputs (default pcm16)\n"
           "  --gain DB                B-format gain in dB (default -3)\n"
           "  --autorange              bring the B-format peak to half full scale\n"
           "  --surround-gain DB       5.1 gain in dB (default -3)\n"
           "  --angle DEG              5.1 opening angle, 15 to 90 degrees (default 60)\n"
           "  --lfe                    fill the LFE channel with the low frequencies\n"
           "  --surround-autorange     bring the 5.1 peak to half full scale\n"
           "  --filters DIR            directory of the FilterMatrix_<rate>.wav files\n"
           "                           (default: the one set in the program's preferences)\n"
           "  --buffer KB              I/O buffer size in KB (default: the preferences' value)\n"
           "  -q, --quiet              no progress and no summary\n"
           "  --help                   show this help\n"
           "  --version                show the version\n"
           "\n"
           "Exit status: 0 done, 1 conversion failed, 2 usage error, 130 cancelled (Ctrl-C).\n";
}

ParseError ParseConvertOptions(int argc, char** argv, ConvertOptions* o)
{
    ParseError pathError;
    bool filesGiven = false;
    opterr = 0;
    optind = 1;
    int c;
    while ((c = getopt_long(argc, argv, ":o:q", kOptions, nullptr)) != -1) {
        const char* arg = optarg;
        switch (c) {
        case kMode:
            if (!std::strcmp(arg, "b-format"))
                o->surround = false;
            else if (!std::strcmp(arg, "5.1"))
                o->surround = true;
            else
                return Usage(std::string("unknown mode '") + arg + "' (b-format or 5.1)");
            break;
        case kFiles:
            if (!ParseInteger(arg, 1, 6, &o->files))
                return Usage(std::string("bad number of files '") + arg + "'");
            filesGiven = true;
            break;
        case 'o': {
            wxString path;
            if (!ParsePath(arg, &path, &pathError))
                return pathError;
            o->outputs.push_back(path);
            break;
        }
        case kFormat:
            if (!std::strcmp(arg, "pcm16"))
                o->format = VQParams::kFormatPcm16;
            else if (!std::strcmp(arg, "pcm24"))
                o->format = VQParams::kFormatPcm24;
            else if (!std::strcmp(arg, "float"))
                o->format = VQParams::kFormatFloat;
            else
                return Usage(std::string("unknown format '") + arg + "' (pcm16, pcm24 or float)");
            break;
        case kGain:
        case kSurroundGain:
            if (!ParseNumber(arg, c == kGain ? &o->gain : &o->surroundGain))
                return Usage(std::string("bad gain '") + arg + "' (a number of dB)");
            break;
        case kAngle:
            if (!ParseInteger(arg, 15, 90, &o->angle))
                return Usage(std::string("bad opening angle '") + arg + "' (15 to 90 degrees)");
            break;
        case kAutorange:
            o->autorange = true;
            break;
        case kSurroundAutorange:
            o->surroundAutorange = true;
            break;
        case kLfe:
            o->lfe = true;
            break;
        case kFilters:
            if (!ParsePath(arg, &o->filters, &pathError))
                return pathError;
            o->filtersGiven = true;
            break;
        case kBuffer:
            if (!ParseInteger(arg, 1, INT_MAX / 1024, &o->bufferKB))
                return Usage(std::string("bad buffer size '") + arg + "' (KB, at least 1)");
            o->bufferGiven = true;
            break;
        case 'q':
            o->quiet = true;
            break;
        case kHelp:
            o->help = true;
            return ParseError{};
        case kVersion:
            o->version = true;
            return ParseError{};
        case ':':
            return Usage(std::string("option '") + argv[optind - 1] + "' needs a value");
        default:
            return Usage(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    const int positional = argc - optind;
    if (positional < 1)
        return Usage("no input file given");
    if (positional > 2)
        return Usage("too many input files (at most two: FLU_FRD.wav and BLD_BRU.wav)");
    for (int i = 0; i < positional; ++i)
        if (!ParsePath(argv[optind + i], &o->inputs[i], &pathError))
            return pathError;
    o->secondInputGiven = positional == 2;

    const bool filesOk = o->surround ? (o->files == 1 || o->files == 3 || o->files == 6)
                                     : (o->files == 1 || o->files == 2 || o->files == 4);
    if (filesGiven && !filesOk)
        return Usage(o->surround ? "--files must be 1, 3 or 6 in 5.1 mode"
                                 : "--files must be 1, 2 or 4 in B-format mode");
    if (!o->outputs.empty() && static_cast<int>(o->outputs.size()) != o->files)
        return Usage("give -o once per output file (" + std::to_string(o->files) + " here), or not at all");
    return ParseError{};
}

std::string ApplyConvertOptions(const ConvertOptions& o, VQParams* params)
{
    wxString second = o.inputs[1];
    if (!o.secondInputGiven) {
        second = o.inputs[0];
        if (second.Replace("F.wav", "R.wav") == 0)
            return "cannot tell the BLD+BRU file from '" + std::string(o.inputs[0].utf8_str()) +
                   "' (its name does not end in F.wav): give it as the second file";
    }
    params->m_outputMode = o.surround ? 1 : 0;
    params->m_fileLayout = LayoutFor(o.surround, o.files);
    params->SetFileName(VQParams::kFluFrdInput, o.inputs[0]);  // derives the output names
    params->SetFileName(VQParams::kBldBruInput, second);
    for (std::size_t i = 0; i < o.outputs.size(); ++i)
        params->SetOutputPath(static_cast<int>(i), o.outputs[i]);
    params->m_bformatFormat = params->m_surroundFormat = o.format;
    params->m_bformatGain = o.gain;
    params->m_surroundGain = o.surroundGain;
    params->m_openingAngle = o.angle;
    params->m_bformatAutorange = o.autorange;
    params->m_surroundAutorange = o.surroundAutorange;
    params->m_lowFreqsInLfe = o.lfe;
    if (o.filtersGiven)
        params->SetFiltersDir(o.filters);
    if (o.bufferGiven)
        params->m_ioBufferLength = o.bufferKB * 1024;
    return std::string();
}
