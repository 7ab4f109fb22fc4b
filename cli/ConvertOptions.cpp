#include "ConvertOptions.h"

#include "CommandLine.h"
#include "DecodeModes.h"
#include "FileSystemPath.h"
#include "TakeKinds.h"
#include "TakeList.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

using vq::ValueKind;

const std::vector<vq::Option> kBaseOptions = {
    {"mode", '\0', true, vq::DecodeModeNames()},
    {"files", '\0', true},
    {"output", 'o', true, {}, ValueKind::kFile},
    {"output-dir", 'd', true, {}, ValueKind::kFolder},
    {"rear", '\0', true, {}, ValueKind::kSoundFile},
    {"join", '\0', false},
    {"force", 'y', false},
    {"format", '\0', true, {"pcm16", "pcm24", "float", "take"}},
    {"gain", '\0', true},
    {"autorange", '\0', false},
    {"surround-gain", '\0', true},
    {"angle", '\0', true},
    {"lfe", '\0', false},
    {"surround-autorange", '\0', false},
    {"filters", '\0', true, {}, ValueKind::kFolder},
    {"buffer", '\0', true},
    {"quiet", 'q', false},
    {"help", 'h', false},
    {"version", '\0', false},
    {"filters-info", '\0', false},
};

}  // namespace

std::vector<vq::Option> ConvertOptionList()
{
    std::vector<vq::Option> options = kBaseOptions;
    for (const std::vector<vq::Option>& more :
         {FormatAndDecodeOptionList(), MovieOptionList(), DeliveryOptionList()})
        options.insert(options.end(), more.begin(), more.end());
    return options;
}

namespace {

// Beyond +-60 dB a gain is a typing error, not a level: a millionth or a million in power.
constexpr double kGainLimitDb = 60.0;

ParseError Usage(const std::string& text)
{
    return ParseError{ParseError::kUsage, text};
}

bool ParsePath(const std::string& bytes, wxString* path, ParseError* error)
{
    wxString text;
    if (FromFileSystemPath(bytes.c_str(), path ? path : &text))
        return true;
    *error = ParseError{ParseError::kUnreadablePath,
                        "the file name '" + bytes + "' is not valid in the file system's encoding (UTF-8)"};
    return false;
}

// "--files must be 1, 3 or 6 in 5.1 mode", from the file counts the mode offers.
std::string FileCountProblem(const vq::DecodeMode& mode)
{
    std::vector<int> counts = mode.fileCounts;
    std::sort(counts.begin(), counts.end());
    if (counts.size() == 1)
        return "--files must be " + std::to_string(counts.front()) + " in this mode (one " +
               (mode.channels == 2 ? "stereo " : "") + "file)";
    std::string list;
    for (std::size_t i = 0; i < counts.size(); ++i)
        list += (i == 0 ? "" : i + 1 == counts.size() ? " or " : ", ") + std::to_string(counts[i]);
    return "--files must be " + list + " in " + mode.outputsWord + " mode";
}

}  // namespace

std::string ConvertUsage()
{
    return std::string("Usage: vessarquilix-convert [options] TAKE...\n"
           "Converts A-format recordings to B-format or decodes of it, one take after the other.\n"
           "A take is a 4-channel file (FLU, FRD, BLD, BRU, or B-format: see --input-format), or a\n"
           "front file (FLU+FRD) whose rear file (BLD+BRU) has the same name with the final F before\n"
           "the extension turned into R: takeF.wav goes with takeR.wav (\"takeF.wav takeR.wav\" is\n"
           "one take as well), or four mono files named after their capsules, given by the first:\n"
           "takeFLU.wav goes with takeFRD.wav, takeBLD.wav and takeBRU.wav.\n"
           "\n"
           "  --mode MODE              b-format (default), 5.1, stereo (a coincident pair), uhj\n"
           "                           (UHJ stereo) or binaural (headphones)\n"
           "  --files N                output files: 1, 2 or 4 for B-format; 1, 3 or 6 for 5.1 (default 1)\n"
           "  -d, --output-dir DIR     where the outputs of every take go, named after the take\n"
           "                           (default: the current directory)\n"
           "  -o, --output PATH        an output file of a single take, once per output file in order\n"
           "  --rear FILE              the rear file (BLD+BRU) of a single take, named otherwise\n"
           "  --join                   the takes given are the parts of one recording the recorder\n"
           "                           split (at 2 or 4 GB): convert them as one take, in the order\n"
           "                           given, with the filters running on across the joins\n"
           "  -y, --force              replace output files that exist (without it, a take whose\n"
           "                           output exists fails and nothing of it is written)\n"
           "  --format pcm16|pcm24|float|take  sample format of the outputs (default take: the\n"
           "                           take's own, 16-bit, 24-bit or float; 24-bit where the\n"
           "                           container holds no float)\n"
           "  --gain DB                B-format gain in dB, -60 to 60 (default -3)\n"
           "  --autorange              bring the B-format peak to half full scale\n"
           "  --surround-gain DB       gain of a decode (5.1, stereo, UHJ, binaural) in dB, -60 to 60\n"
           "                           (default -3)\n"
           "  --angle DEG              5.1 opening angle, 15 to 90 degrees (default 60)\n"
           "  --lfe                    fill the LFE channel with the low frequencies\n"
           "  --surround-autorange     bring the peak of a decode to half full scale\n"
           "  --filters DIR            directory of the FilterMatrix_<rate>.wav files\n"
           "                           (default: the one set in the program's preferences)\n"
           "  --buffer KB              I/O buffer size in KB (default: the preferences' value)\n"
           "  --filters-info           describe the filter matrices (the microphone or measurement\n"
           "                           they were designed for, taps, delay, date) and convert nothing\n"
           "  -q, --quiet              no progress, no list of files written and no summary\n"
           "  -h, --help               show this help\n"
           "  --version                show the version\n") +
           kFormatAndDecodeHelp + kMovieHelp + kDeliveryHelp +
           std::string("\n"
           "An option's value may also follow an equals sign (--gain=-6) or a short option\n"
           "directly (-oout.wav); \"--\" ends the options.\n"
           "\n"
           "A failed take does not stop the others; a summary lists what became of each. Outputs\n"
           "get their names only when complete.\n"
           "\n"
           "Exit status:\n"
           "  0    every take done\n"
           "  1    a take failed\n"
           "  2    usage error (nothing was converted)\n"
           "  130  cancelled (Ctrl-C, or the signals TERM and HUP; the takes not yet done are left)\n"
           "\n"
           "Examples:\n"
           "  $ vessarquilix-convert -d converted recordings/*F.wav\n"
           "  $ vessarquilix-convert --mode binaural demo/demoF.wav\n"
           "  $ vessarquilix-convert --mode 5.1 --decoder energy --rotate 90,0,0 demo/demoF.wav\n"
           "  $ vessarquilix-convert --join --align take_001.wav take_002.wav take_003.wav\n"
           "  $ printf '%s\\0' recordings/*F.wav | xargs -0 -n 1 -P 4 vessarquilix-convert -q -d converted\n");
}

ParseError ParseConvertOptions(int argc, char** argv, ConvertOptions* o)
{
    vq::CommandLine args(kConvertProgram, ConvertOptionList(), argc, argv);
    ParseError pathError;
    std::string badPath;
    bool filesGiven = false;
    while (args.Next()) {
        std::string text;
        int choice = 0;
        if (args.Is("mode")) {
            if (args.Choice(&choice))
                o->mode = choice;
        } else if (TakeFormatAndDecodeOption(args, &o->formats, &badPath) ||
                   TakeMovieOption(args, &o->movie, &badPath) ||
                   TakeDeliveryOption(args, &o->deliveries, &badPath)) {
            if (!badPath.empty() && !ParsePath(badPath, nullptr, &pathError))
                return pathError;
        } else if (args.Is("files")) {
            filesGiven = args.Integer(1, 6, &o->files);
        } else if (args.Is("output")) {
            wxString path;
            args.Text(&text);
            if (!ParsePath(text, &path, &pathError))
                return pathError;
            o->outputs.push_back(path);
        } else if (args.Is("output-dir")) {
            args.Text(&text);
            if (!ParsePath(text, &o->outputDir, &pathError))
                return pathError;
            o->outputDirGiven = true;
        } else if (args.Is("rear")) {
            args.Text(&text);
            if (!ParsePath(text, &o->rear, &pathError))
                return pathError;
            o->rearGiven = true;
        } else if (args.Is("join")) {
            o->join = true;
        } else if (args.Is("force")) {
            o->force = true;
        } else if (args.Is("format")) {
            std::string name;
            if (args.Choice(&name)) {
                o->formatGiven = name != "take";
                vq::ParseSampleFormat(name, &o->format);
            }
        } else if (args.Is("gain")) {
            args.Number(-kGainLimitDb, kGainLimitDb, &o->gain);
        } else if (args.Is("surround-gain")) {
            args.Number(-kGainLimitDb, kGainLimitDb, &o->surroundGain);
        } else if (args.Is("angle")) {
            args.Integer(15, 90, &o->angle);
        } else if (args.Is("autorange")) {
            o->autorange = true;
        } else if (args.Is("surround-autorange")) {
            o->surroundAutorange = true;
        } else if (args.Is("lfe")) {
            o->lfe = true;
        } else if (args.Is("filters")) {
            args.Text(&text);
            if (!ParsePath(text, &o->filters, &pathError))
                return pathError;
            o->filtersGiven = true;
        } else if (args.Is("buffer")) {
            o->bufferGiven = args.Integer(1, INT_MAX / 1024, &o->bufferKB);
        } else if (args.Is("quiet")) {
            o->quiet = true;
        } else if (args.Is("help")) {
            o->help = true;
            return ParseError{};
        } else if (args.Is("version")) {
            o->version = true;
            return ParseError{};
        } else if (args.Is("filters-info")) {
            o->filtersInfo = true;
        }
    }
    if (args.Failed())
        return Usage(args.Problem());

    const std::vector<std::string>& arguments = args.Arguments();
    if (o->filtersInfo)
        return arguments.empty() ? ParseError{} : Usage("--filters-info takes no take");
    if (arguments.empty())
        return Usage("no take given");
    for (const std::string& argument : arguments) {
        wxString path;
        if (!ParsePath(argument, &path, &pathError))
            return pathError;
        o->arguments.push_back(path);
    }
    if (!o->outputs.empty() && o->outputDirGiven)
        return Usage("give either -o (the outputs of one take) or -d (the folder of every take's outputs)");

    const vq::DecodeMode& mode = vq::DecodeModes()[static_cast<std::size_t>(o->mode)];
    if (filesGiven && !mode.Offers(o->files))
        return Usage(FileCountProblem(mode));
    if (!o->outputs.empty() && static_cast<int>(o->outputs.size()) != o->files)
        return Usage("give -o once per output file (" + std::to_string(o->files) + " here), or not at all");
    std::string problem =
        CheckFormatAndDecodeOptions(&o->formats, mode, o->files, o->formatGiven && o->format == vq::SampleFormat::Float,
                                    o->outputs.empty() ? wxString() : o->outputs.front());
    if (problem.empty())
        problem = CheckMovieOptions(o->movie, o->formats.container, mode, o->formats.convention, o->files);
    if (!problem.empty())
        return Usage(problem);
    const std::string delivery = CheckDeliveryOptions(o->deliveries, mode, o->surroundAutorange);
    if (!delivery.empty())
        return Usage(delivery);
    return ParseError{};
}

void ApplyConvertOptions(const ConvertOptions& o, const Take& take, vq::ConversionRequest* request)
{
    request->decode.mode = &vq::DecodeModes()[static_cast<std::size_t>(o.mode)];
    vq::OutputSettings& out = request->outputs;
    out.fileCount = o.files;
    out.sample = o.format;
    out.sampleOfTake = !o.formatGiven;
    out.formatOfTake = false;
    if (o.outputDirGiven)
        out.folder = o.outputDir;
    out.replace = o.force;
    ApplyFormatAndDecodeOptions(o.formats, request);
    ApplyMovieOptions(o.movie, request);
    request->takeFiles = take.Files();
    request->outputNames = o.outputs;
    request->bformat.gainDb = o.gain;
    request->bformat.autorange = o.autorange;
    vq::DecodeSettings& decode = request->decode;
    decode.gainDb = o.surroundGain;
    decode.autorange = o.surroundAutorange;
    decode.openingAngle = o.angle;
    decode.lowFreqsInLfe = o.lfe;
    if (o.filtersGiven)
        request->run.filtersDir = o.filters;
    if (o.bufferGiven)
        request->run.blockFrames = vq::BlockFramesOfBuffer(std::int64_t{o.bufferKB} * 1024);
}
