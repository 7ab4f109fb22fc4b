#include "DecodeModes.h"

#include "ConversionRequest.h"
#include "FileSystemPath.h"
#include "StatusTable.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SofaHrirs.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/StereoPairDecoder.h"
#include "surround/UhjEncoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/ParametricFiveOneDecoder.h"

#include <algorithm>

namespace vq {

namespace {

const OutputLayout& BFormatFiles(int fileCount, BFormatConvention convention)
{
    return BFormatLayout(convention, fileCount);
}

const OutputLayout& SurroundFiles(int fileCount, BFormatConvention)
{
    return SurroundLayout(fileCount);
}

template <TwoChannelDecode kDecode>
const OutputLayout& StereoFile(int fileCount, BFormatConvention)
{
    static const OutputLayout kNone;
    return fileCount == 1 ? TwoChannelLayout(kDecode) : kNone;
}

int MakeFiveOne(const DecodeSettings& s, const DecoderContext&, std::unique_ptr<BFormatDecoder>* decoder,
                FailureDetail*)
{
    if (s.Decoder() == "energy")
        *decoder = std::make_unique<EnergyFiveOneDecoder>(s.lowFreqsInLfe);
    else if (s.Decoder() == "parametric")
        *decoder = std::make_unique<ParametricFiveOneDecoder>(s.lowFreqsInLfe);
    else
        *decoder = std::make_unique<VirtualMicFiveOneDecoder>(s.openingAngle > 0 ? s.openingAngle : 60,
                                                              s.lowFreqsInLfe);
    return kStatusOk;
}

int MakeStereoPair(const DecodeSettings& s, const DecoderContext&, std::unique_ptr<BFormatDecoder>* decoder,
                   FailureDetail* failure)
{
    const int status = StereoPairDecoder::CheckParameters(s.pairPattern, s.pairAngle, s.pairAim);
    if (status != kStatusOk) {
        failure->reason = "the stereo pair's pattern, angle or aim is out of range";
        return status;
    }
    *decoder = std::make_unique<StereoPairDecoder>(s.pairPattern, s.pairAngle, s.pairAim);
    return kStatusOk;
}

int MakeUhj(const DecodeSettings&, const DecoderContext&, std::unique_ptr<BFormatDecoder>* decoder, FailureDetail*)
{
    *decoder = std::make_unique<UhjEncoder>();
    return kStatusOk;
}

int MakeBinaural(const DecodeSettings& s, const DecoderContext& context, std::unique_ptr<BFormatDecoder>* decoder,
                 FailureDetail* failure)
{
    std::shared_ptr<const HrirSet> hrirs;
    if (s.hrtfFile.empty()) {
        hrirs = std::make_shared<SphericalHeadHrirs>();
    } else {
        std::string path;
        if (!ToFileSystemPath(s.hrtfFile, &path)) {
            *failure = {std::string(s.hrtfFile.utf8_str()), "the name has no form in the file system's encoding"};
            return kUnrepresentablePath;
        }
        auto sofa = std::make_shared<SofaHrirs>();
        const int status = sofa->Load(path, context.keepGoing);
        if (status != kStatusOk) {
            // The reader's reason names the file of a parse that did not end.
            *failure = {status == kHrtfUnreadable ? std::string() : path, sofa->Reason()};
            return status;
        }
        hrirs = sofa;
    }
    if (s.Decoder() == "parametric")
        *decoder = std::make_unique<ParametricBinauralDecoder>(hrirs);
    else
        *decoder = std::make_unique<BinauralDecoder>(hrirs);
    return kStatusOk;
}

const char* const kNumbers[] = {"", "one", "two", "three", "four", "five", "six", "seven", "eight"};

}  // namespace

bool DecodeMode::Offers(int fileCount) const
{
    return std::find(fileCounts.begin(), fileCounts.end(), fileCount) != fileCounts.end();
}

const std::vector<DecodeMode>& DecodeModes()
{
    static const std::vector<DecodeMode> kModes = {
        {"b-format", "B-Format", "B-format", "Converting to B-Format...", "B-Format Process Controls",
         ModePanel::BFormat, 4, {4, 2, 1}, {}, BFormatFiles, nullptr},
        {"5.1", "5.1", "5.1", "Converting to 5.1 format...", "5.1 Process Controls", ModePanel::Surround, 6,
         {6, 3, 1},
         {{"virtual-mics", "Virtual microphones"},
          {"energy", "Energy-preserving (ITU)"},
          {"parametric", "Parametric (directional)"}},
         SurroundFiles, MakeFiveOne},
        {"stereo", "Stereo", "stereo", "Converting to stereo...", "Stereo Process Controls", ModePanel::StereoPair, 2,
         {1}, {}, StereoFile<TwoChannelDecode::Stereo>, MakeStereoPair},
        {"uhj", "UHJ", "UHJ", "Converting to UHJ stereo...", "UHJ Process Controls", ModePanel::Uhj, 2, {1}, {},
         StereoFile<TwoChannelDecode::Uhj>, MakeUhj},
        {"binaural", "Binaural", "binaural", "Converting to binaural (headphones)...", "Binaural Process Controls",
         ModePanel::Headphones, 2, {1}, {{"linear", "Linear"}, {"parametric", "Parametric (directional)"}},
         StereoFile<TwoChannelDecode::Binaural>, MakeBinaural},
    };
    return kModes;
}

const DecodeMode* DecodeModeNamed(const std::string& name)
{
    for (const DecodeMode& mode : DecodeModes())
        if (name == mode.name)
            return &mode;
    return nullptr;
}

const DecodeMode& BFormatMode()
{
    return DecodeModes().front();
}

const DecodeMode& FirstDecodeMode()
{
    const std::vector<DecodeMode>& modes = DecodeModes();
    return *std::find_if(modes.begin(), modes.end(), [](const DecodeMode& mode) { return mode.Decodes(); });
}

int DecodeModeIndex(const std::string& name)
{
    const DecodeMode* mode = DecodeModeNamed(name);
    return mode ? static_cast<int>(mode - DecodeModes().data()) : -1;
}

std::vector<std::string> DecodeModeNames()
{
    std::vector<std::string> names;
    for (const DecodeMode& mode : DecodeModes())
        names.push_back(mode.name);
    return names;
}

int FileCountOfLayout(const DecodeMode& mode, int layout)
{
    // The counts run from most files to one file, the layouts' order; a mode with fewer
    // counts offers the last layouts.
    constexpr int kLayouts = 3;
    const int index = layout - (kLayouts - static_cast<int>(mode.fileCounts.size()));
    return index >= 0 && index < static_cast<int>(mode.fileCounts.size()) ? mode.fileCounts[static_cast<std::size_t>(index)]
                                                                          : 0;
}

std::string FileCountLabel(const DecodeMode& mode, int fileCount)
{
    if (fileCount <= 0 || mode.channels % fileCount != 0)
        return std::string();
    const int width = mode.channels / fileCount;
    const std::string count = std::to_string(fileCount);
    const std::string plural = fileCount > 1 ? "s" : "";
    if (width == 1)
        return count + " mono file" + plural;
    if (width == 2)
        return count + " stereo file" + plural;
    return count + " " + kNumbers[std::min(width, 8)] + " channels file" + plural;
}

}  // namespace vq
