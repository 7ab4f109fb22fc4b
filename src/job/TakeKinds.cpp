#include "TakeKinds.h"

#include "FileSystemPath.h"

#include "common/EngineStatus.h"
#include "common/SoundFileInput.h"

#include <sndfile.h>

#include <wx/filename.h>

#include <algorithm>

namespace vq {

namespace {

std::vector<wxString> NoCompanions(const wxString&)
{
    return {};
}

std::vector<wxString> RearCompanion(const wxString& first)
{
    return {RearFileName(first)};
}

// Four mono files named after their capsules: takeFLU.wav, takeFRD.wav, takeBLD.wav, takeBRU.wav
// (any case, the same case for all four).
const char* const kCapsuleNames[4] = {"FLU", "FRD", "BLD", "BRU"};

std::vector<wxString> CapsuleCompanions(const wxString& first)
{
    wxFileName name(first);
    const wxString base = name.GetName();
    std::vector<wxString> others(3);
    if (base.length() < 3 || base.Right(3).Upper() != kCapsuleNames[0])
        return others;
    const bool lower = base.Right(3) == wxString(kCapsuleNames[0]).Lower();
    for (int k = 1; k < 4; ++k) {
        const wxString capsule = lower ? wxString(kCapsuleNames[k]).Lower() : wxString(kCapsuleNames[k]);
        name.SetName(base.Left(base.length() - 3) + capsule);
        others[static_cast<std::size_t>(k - 1)] = name.GetFullPath();
    }
    return others;
}

wxString WholeName(const wxString& first)
{
    return wxFileName(first).GetName();
}

// The front marker of a pair goes: concertF.wav and concertR.wav give "concert".
wxString NameWithoutMarker(const wxString& first)
{
    wxString base = wxFileName(first).GetName();
    if (!base.empty())
        base.RemoveLast();
    return base;
}

// The capsule and a separator before it go: take_FLU.wav gives "take".
wxString NameWithoutCapsule(const wxString& first)
{
    wxString base = wxFileName(first).GetName();
    if (base.length() >= 3 && base.Right(3).Upper() == kCapsuleNames[0])
        base.RemoveLast(3);
    while (!base.empty() && (base.Last() == '_' || base.Last() == '-' || base.Last() == ' ' || base.Last() == '.'))
        base.RemoveLast();
    return base;
}

}  // namespace

const std::vector<TakeKind>& TakeKinds()
{
    static const std::vector<TakeKind> kKinds = {
        {"a-format", "one 4-channel A-format file", 1, 4, false, {"FLU, FRD, BLD, BRU", "", "", ""}, NoCompanions,
         WholeName},
        {"front-rear", "a front and a rear stereo file", 2, 2, false, {"FLU + FRD", "BLD + BRU", "", ""},
         RearCompanion, NameWithoutMarker},
        {"four-mono", "four mono files", 4, 1, false, {"FLU", "FRD", "BLD", "BRU"}, CapsuleCompanions,
         NameWithoutCapsule},
        {"b-format", "one B-format file", 1, 4, true, {"W, X, Y, Z", "", "", ""}, NoCompanions, WholeName},
    };
    return kKinds;
}

const std::vector<InputFormatChoice>& InputFormatChoices()
{
    static const std::vector<InputFormatChoice> kChoices = {
        {InputFormat::Auto, "auto", "Read as its header says"},
        {InputFormat::AFormat, "a-format", "Read as A-format capsules"},
        {InputFormat::FuMa, "fuma", "Read as B-format, FuMa"},
        {InputFormat::AmbiX, "ambix", "Read as B-format, AmbiX"},
    };
    return kChoices;
}

int InputFormatIndex(InputFormat format)
{
    const std::vector<InputFormatChoice>& choices = InputFormatChoices();
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].format == format)
            return static_cast<int>(i);
    return 0;
}

const TakeKind& TakeKindNamed(const std::string& name)
{
    const std::vector<TakeKind>& kinds = TakeKinds();
    return *std::find_if(kinds.begin(), kinds.end(), [&](const TakeKind& kind) { return name == kind.name; });
}

FirstFileHeader ReadFirstFileHeader(const wxString& path)
{
    FirstFileHeader header;
    std::string bytes;
    if (!ToFileSystemPath(path, &bytes))
        return header;
    InputSoundFile file;
    std::string problem;
    if (file.Open(bytes, InputSoundFile::Length::AsStated, &problem) != kStatusOk)
        return header;
    const SF_INFO& info = file.Info();
    header.readable = true;
    header.channels = info.channels;
    header.sampleRate = info.samplerate;
    header.frames = info.frames;
    header.ambisonic = sf_command(file.Handle(), SFC_WAVEX_GET_AMBISONIC, nullptr, 0) == SF_AMBISONIC_B_FORMAT;
    return header;
}

BFormatConvention ConventionOfTake(const FirstFileHeader&, InputFormat asked)
{
    return asked == InputFormat::AmbiX ? BFormatConvention::AmbiX : BFormatConvention::FuMa;
}

const TakeKind* KindOfTake(const FirstFileHeader& header, InputFormat asked, const wxString& path,
                           std::string* warning)
{
    if (!header.readable)
        return nullptr;
    const bool bformatAsked = asked == InputFormat::FuMa || asked == InputFormat::AmbiX;
    // A poly file (more than four channels) is a 4-channel take in the four chosen channels.
    const int channels = header.channels > 4 ? 4 : header.channels;
    for (const TakeKind& kind : TakeKinds()) {
        if (kind.channelsPerFile != channels)
            continue;
        if (channels == 4) {
            const bool bformat = bformatAsked || (asked == InputFormat::Auto && header.ambisonic);
            if (kind.bformat != bformat)
                continue;
            if (warning && asked == InputFormat::AFormat && header.ambisonic)
                *warning = std::string(path.utf8_str()) +
                           ": its header marks it as Ambisonic B-format (W, X, Y, Z), but it is read as the four "
                           "capsules of A-format as asked";
        }
        return &kind;
    }
    return nullptr;
}

const TakeKind* KindOfTake(const ConversionRequest& request, std::string* warning)
{
    if (request.takeFiles.empty())
        return nullptr;
    const wxString& first = request.takeFiles.front();
    return KindOfTake(ReadFirstFileHeader(first), request.take.inputFormat, first, warning);
}

wxString RearFileName(const wxString& frontPath)
{
    wxFileName name(frontPath);
    wxString base = name.GetName();
    if (base.empty() || (base.Last() != 'F' && base.Last() != 'f'))
        return wxEmptyString;
    base.Last() = base.Last() == 'F' ? 'R' : 'r';
    name.SetName(base);
    return name.GetFullPath();
}

}  // namespace vq
