#include "FormatAndDecodeOptions.h"

#include "DecodeModes.h"
#include "FileSystemPath.h"
#include "TakeKinds.h"

#include "bformat/HighPassFilter.h"
#include "common/Containers.h"
#include "surround/StereoPairDecoder.h"

#include <wx/filename.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char* const kCapsules[4] = {"FLU", "FRD", "BLD", "BRU"};

// "FLU,FRD,BLD,BRU" in the recorder's channel order: channels[capsule] = its channel.
bool ParseCapsuleOrder(const std::string& text, int channels[4])
{
    std::stringstream items(text);
    std::string item;
    int found[4] = {-1, -1, -1, -1};
    int channel = 0;
    while (std::getline(items, item, ',')) {
        std::transform(item.begin(), item.end(), item.begin(), [](unsigned char c) { return std::toupper(c); });
        const auto* at = std::find_if(kCapsules, kCapsules + 4, [&](const char* name) { return item == name; });
        if (channel >= 4 || at == kCapsules + 4 || found[at - kCapsules] >= 0)
            return false;
        found[at - kCapsules] = channel++;
    }
    if (channel != 4 || text.back() == ',')
        return false;
    std::copy(found, found + 4, channels);
    return true;
}

}  // namespace

bool TakePath(vq::CommandLine& args, wxString* path, std::string* badPath)
{
    std::string bytes;
    if (!args.Text(&bytes))
        return true;
    if (!FromFileSystemPath(bytes.c_str(), path))
        *badPath = bytes;
    return true;
}

const char* const kFormatAndDecodeHelp =
    "Takes and output files:\n"
    "  --input-format auto|a-format|fuma|ambix  how a 4-channel take is read: by its header\n"
    "                           (default auto: a .amb file's B-format header makes it\n"
    "                           Furse-Malham B-format, anything else is the four capsules),\n"
    "                           as capsules, or as B-format W, X, Y, Z (fuma) or W, Y, Z, X (ambix)\n"
    "  --container NAME         wav (RF64 past 4 GiB), amb (Furse-Malham B-format only), w64,\n"
    "                           caf, aiff, flac (16 or 24 bits), or a movie for 360-degree\n"
    "                           video, mov or mp4 (AmbiX only, below); default: the extension\n"
    "                           of the first -o name, else wav\n"
    "  --convention fuma|ambix  B-format convention (default fuma: W, X, Y, Z with W at -3 dB;\n"
    "                           ambix: ACN order W, Y, Z, X, SN3D; 1 or 4 files)\n"
    "  --capsule-order LIST     which capsule each channel of the take holds, in channel order\n"
    "                           (default FLU,FRD,BLD,BRU)\n"
    "  --channels LIST          the four channels, from 1, of a file of four or more channels\n"
    "                           that hold the capsules (a recorder's poly file: --channels\n"
    "                           3,4,5,6); --capsule-order then counts those four\n"
    "  --dither tpdf|none       triangular dither before rounding to 16 or 24 bits (default none)\n"
    "  --highpass HZ            high-pass against wind and rumble, 10 to 200 Hz (default off)\n"
    "  --rotate YAW,PITCH,ROLL  turn the sound field, degrees (positive yaw turns the front to\n"
    "                           the left, pitch the front up, roll the left side up)\n"
    "  --keep-bformat PATH      with a decode: also keep the B-format it decoded (float)\n"
    "  --align                  keep sync: output frame n is input frame n. The filters delay\n"
    "                           the B-format (by the delay written into the matrix, or as\n"
    "                           estimated from it) and add their length after the take; this\n"
    "                           takes the delay off the start and ends the outputs with the take\n"
    "Decodes:\n"
    "  --decoder NAME           5.1: virtual-mics (default), energy (energy-preserving, for the\n"
    "                           ITU layout +-30, 0, +-110 deg) or parametric; binaural: linear\n"
    "                           (default) or parametric. A parametric decode finds the direction\n"
    "                           and diffuseness of the sound in each band and renders the direct\n"
    "                           part from its direction and the diffuse part decorrelated\n"
    "  --pattern NAME|A         stereo pair: cardioid (default), supercardioid, hypercardioid,\n"
    "                           subcardioid, figure-of-eight (the Blumlein pair), omni, or the\n"
    "                           omni share A from 0 to 1\n"
    "  --spread DEG             stereo pair: degrees between the microphones, 0 to 180 (default\n"
    "                           90; also --pair-angle)\n"
    "  --azimuth DEG            stereo pair: direction of the pair's axis, -180 to 180, positive\n"
    "                           to the left (default 0; also --aim)\n"
    "  --hrtf FILE.sofa         binaural: measured HRIRs (default: a built-in spherical head)\n";

namespace {

std::vector<std::string> ContainerNames()
{
    std::vector<std::string> names;
    for (const vq::Container& c : vq::Containers())
        names.push_back(c.name);
    return names;
}

std::vector<std::string> InputFormatNames()
{
    std::vector<std::string> names;
    for (const vq::InputFormatChoice& format : vq::InputFormatChoices())
        names.push_back(format.name);
    return names;
}

// Every decoder of every mode; CheckFormatAndDecodeOptions checks it is the mode's.
std::vector<std::string> DecoderNames()
{
    std::vector<std::string> names;
    for (const vq::DecodeMode& mode : vq::DecodeModes())
        for (const vq::DecoderChoice& decoder : mode.decoders)
            if (std::find(names.begin(), names.end(), decoder.name) == names.end())
                names.push_back(decoder.name);
    return names;
}

}  // namespace

std::vector<vq::Option> FormatAndDecodeOptionList()
{
    using vq::ValueKind;
    return {
        {"container", '\0', true, ContainerNames()},
        {"convention", '\0', true, {"fuma", "ambix"}},
        {"capsule-order", '\0', true},
        {"dither", '\0', true, {"none", "tpdf"}},
        {"highpass", '\0', true},
        {"rotate", '\0', true},
        {"decoder", '\0', true, DecoderNames()},
        {"pattern", '\0', true, vq::MicPatternNames()},
        {"spread", '\0', true},
        {"azimuth", '\0', true},
        {"hrtf", '\0', true, {}, ValueKind::kFile, "sofa"},
        {"keep-bformat", '\0', true, {}, ValueKind::kFile},
        // The stereo pair's options under their first names.
        {"pair-angle", '\0', true},
        {"aim", '\0', true},
        {"input-format", '\0', true, InputFormatNames()},
        {"align", '\0', false},
        {"channels", '\0', true},
    };
}

bool TakeFormatAndDecodeOption(vq::CommandLine& args, FormatAndDecodeOptions* o, std::string* badPath)
{
    std::string text;
    int choice = 0;
    if (args.Is("channels")) {
        std::vector<double> numbers;
        if (args.NumberList(1.0, 1024.0, &numbers)) {
            std::vector<int> channels;
            for (const double n : numbers)
                if (n == std::floor(n) && std::find(channels.begin(), channels.end(), int(n) - 1) == channels.end())
                    channels.push_back(static_cast<int>(n) - 1);
            if (channels.size() != 4 || numbers.size() != 4)
                args.BadValue("four different channel numbers from 1, for example 3,4,5,6");
            else
                o->channels = channels;
        }
    } else if (args.Is("align")) {
        o->align = true;
    } else if (args.Is("input-format")) {
        if (args.Choice(&choice))
            o->inputFormat = vq::InputFormatChoices()[static_cast<std::size_t>(choice)].format;
    } else if (args.Is("container")) {
        args.Choice(&o->container);
    } else if (args.Is("convention")) {
        if (args.Choice(&choice))
            o->convention = choice ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    } else if (args.Is("capsule-order")) {
        if (args.Text(&text) && !ParseCapsuleOrder(text, o->capsuleChannels))
            args.BadValue("the four capsules FLU, FRD, BLD, BRU in any order, each once");
    } else if (args.Is("dither")) {
        if (args.Choice(&choice))
            o->dither = choice == 1;
    } else if (args.Is("highpass")) {
        args.Number(vq::HighPassFilter::kMinCornerHz, vq::HighPassFilter::kMaxCornerHz, &o->highpassHz);
    } else if (args.Is("rotate")) {
        std::vector<double> angles;
        if (args.NumberList(-360.0, 360.0, &angles)) {
            if (angles.size() != 3)
                args.BadValue("three angles in degrees, YAW,PITCH,ROLL");
            else
                o->yaw = angles[0], o->pitch = angles[1], o->roll = angles[2];
        }
    } else if (args.Is("decoder")) {
        args.Choice(&o->decoder);
    } else if (args.Is("pattern")) {
        if (args.Text(&text) && !vq::ParseMicPattern(text, &o->pairPattern)) {
            char* end = nullptr;
            const double share = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(share >= 0.0 && share <= 1.0))
                args.BadValue("a pattern name or an omni share from 0 to 1");
            else
                o->pairPattern = share;
        }
    } else if (args.Is("spread") || args.Is("pair-angle")) {
        args.Number(0.0, 180.0, &o->pairAngle);
    } else if (args.Is("azimuth") || args.Is("aim")) {
        args.Number(-180.0, 180.0, &o->pairAim);
    } else if (args.Is("hrtf")) {
        TakePath(args, &o->hrtfFile, badPath);
    } else if (args.Is("keep-bformat")) {
        TakePath(args, &o->keepBFormat, badPath);
    } else {
        return false;
    }
    return true;
}

std::string CheckFormatAndDecodeOptions(FormatAndDecodeOptions* o, const vq::DecodeMode& mode, int files,
                                        bool floatAsked, const wxString& firstOutput)
{
    if (o->container.empty()) {
        const vq::Container* byName =
            firstOutput.empty() ? nullptr
                                : vq::ContainerForExtension(std::string(wxFileName(firstOutput).GetExt().utf8_str()));
        o->container = byName && !(byName->ambisonic && mode.Decodes()) ? byName->name : "wav";
    }
    const vq::Container& container = *vq::ContainerNamed(o->container);
    if (!container.holdsFloat && floatAsked)
        return std::string("--container ") + container.name + " holds 16 or 24 bits only, not --format float";
    if (container.ambisonic && (mode.Decodes() || o->convention != vq::BFormatConvention::FuMa))
        return "--container amb is for Furse-Malham B-format only (--mode b-format --convention fuma)";
    if (o->convention == vq::BFormatConvention::AmbiX && !mode.Decodes() && files == 2)
        return "--convention ambix is written as 1 or 4 files; the stereo pairs are Furse-Malham only";
    if (!o->decoder.empty() && std::none_of(mode.decoders.begin(), mode.decoders.end(),
                                            [&](const vq::DecoderChoice& d) { return o->decoder == d.name; })) {
        std::string offered;
        for (const vq::DecoderChoice& d : mode.decoders)
            offered += std::string(offered.empty() ? "" : ", ") + d.name;
        return "--decoder " + o->decoder + " is not a decoder of --mode " + mode.name +
               (offered.empty() ? std::string(" (it has one decoder)") : " (" + offered + ")");
    }
    if (!o->keepBFormat.empty() && !mode.Decodes())
        return "--keep-bformat goes with a decode (--mode 5.1, stereo, uhj or binaural)";
    return std::string();
}

void ApplyFormatAndDecodeOptions(const FormatAndDecodeOptions& o, vq::ConversionRequest* request)
{
    vq::TakeSettings& take = request->take;
    take.inputFormat = o.inputFormat;
    std::copy(o.capsuleChannels, o.capsuleChannels + 4, take.capsuleChannels);
    take.channels = o.channels;

    vq::OutputSettings& out = request->outputs;
    out.container = vq::ContainerNamed(o.container.empty() ? "wav" : o.container);
    out.convention = o.convention;
    out.dither = o.dither;
    out.keepBFormat = o.keepBFormat;
    out.align = o.align;

    vq::BFormatSettings& b = request->bformat;
    b.highpassHz = o.highpassHz;
    b.yaw = o.yaw;
    b.pitch = o.pitch;
    b.roll = o.roll;

    vq::DecodeSettings& d = request->decode;
    if (!o.decoder.empty())
        d.decoders[d.Mode().name] = o.decoder;
    d.pairPattern = o.pairPattern;
    d.pairAngle = o.pairAngle;
    d.pairAim = o.pairAim;
    d.hrtfFile = o.hrtfFile;
}
