#include "ConversionRequest.h"

#include "DecodeModes.h"
#include "TakeKinds.h"

#include <wx/filename.h>

namespace vq {

namespace {

// Frames of a block when the I/O buffer setting is not a usable size.
constexpr std::int64_t kDefaultBlockFrames = 0x80000;

// A block of this many bytes per frame fills the I/O buffer: one channel of 32-bit samples.
constexpr std::int64_t kBufferBytesPerFrame = 4;

}  // namespace

std::int64_t BlockFramesOfBuffer(std::int64_t bytes)
{
    return bytes >= kBufferBytesPerFrame ? bytes / kBufferBytesPerFrame : kDefaultBlockFrames;
}

const DecodeMode& DecodeSettings::Mode() const
{
    return mode ? *mode : BFormatMode();
}

std::string DecodeSettings::Decoder() const
{
    const DecodeMode& m = Mode();
    if (m.decoders.empty())
        return std::string();
    const auto chosen = decoders.find(m.name);
    if (chosen != decoders.end())
        for (const DecoderChoice& choice : m.decoders)
            if (chosen->second == choice.name)
                return choice.name;
    return m.decoders.front().name;
}

wxString TakeName(const ConversionRequest& request)
{
    if (request.takeFiles.empty())
        return wxString();
    const TakeKind* kind = KindOfTake(request);
    // A take that cannot be read yet is named as a front file is, the way it always was.
    const TakeKind& rule = kind ? *kind : TakeKindNamed("front-rear");
    return rule.takeName(request.takeFiles.front());
}

const Container& OutputContainer(const ConversionRequest& request)
{
    const Container& chosen = *request.outputs.container;
    return chosen.ambisonic && request.decode.Mode().Decodes() ? *ContainerNamed("wav") : chosen;
}

const OutputLayout& OutputFilesOf(const ConversionRequest& request)
{
    return request.decode.Mode().layout(request.outputs.fileCount, request.outputs.convention);
}

std::vector<wxString> OutputPaths(const ConversionRequest& request)
{
    const OutputLayout& files = OutputFilesOf(request);
    if (!request.outputNames.empty()) {
        std::vector<wxString> given = request.outputNames;
        given.resize(files.size());
        return given;
    }
    const wxString base = TakeName(request);
    std::vector<wxString> paths;
    for (const OutputFile& file : files) {
        wxFileName name;
        if (!request.outputs.folder.empty())
            name.AssignDir(request.outputs.folder);
        name.SetName(base + wxString::FromUTF8(file.suffix.c_str()));
        name.SetExt(OutputContainer(request).extension);
        paths.push_back(name.GetFullPath());
    }
    return paths;
}

std::vector<wxString> WrittenFiles(const ConversionRequest& request)
{
    std::vector<wxString> files = OutputPaths(request);
    if (request.decode.Mode().Decodes() && !request.outputs.keepBFormat.empty())
        files.push_back(request.outputs.keepBFormat);
    return files;
}

wxString CompletedOutputPath(const ConversionRequest& request, const wxString& typed)
{
    wxFileName name(typed);
    if (name.GetName().empty())
        return typed;
    const Container& container = OutputContainer(request);
    const Container* named = ContainerForExtension(std::string(name.GetExt().utf8_str()));
    if (name.GetExt().empty() || (named && named != &container))
        name.SetExt(container.extension);
    if (name.IsRelative() && !request.outputs.folder.empty())
        name.MakeAbsolute(request.outputs.folder);
    return name.GetFullPath();
}

}  // namespace vq
