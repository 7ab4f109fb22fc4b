#include "MovieOptions.h"

#include "DecodeModes.h"
#include "FileSystemPath.h"

#include "common/Containers.h"

namespace {

bool TakePath(vq::CommandLine& args, wxString* path, std::string* badPath)
{
    std::string bytes;
    if (args.Text(&bytes) && !FromFileSystemPath(bytes.c_str(), path))
        *badPath = bytes;
    return true;
}

}  // namespace

const char* const kMovieHelp =
    "360-degree video (--container mov or mp4, with --convention ambix):\n"
    "  A movie 360-degree video players play as spatial audio: the AmbiX channels with the\n"
    "  spatial-audio box (SA3D). MOV holds PCM of --format (16, 24 bits or float), MP4 --codec.\n"
    "\n"
    "  --codec aac|opus         the audio of an MP4 (default aac; 128 kbit/s a channel)\n"
    "  --video CLIP             the movie carries the clip's video, its packets copied untouched,\n"
    "                           and its 360-degree metadata; the clip's own audio is left out. The\n"
    "                           movie is as long as the video: the take is cut or padded with\n"
    "                           silence, with a note\n"
    "  --head-locked FILE       a stereo file of the take's rate and length that turns with the\n"
    "                           viewer's head (music, narration), as channels 5 and 6\n"
    "  For example: vessarquilix-convert --convention ambix --container mp4 --video pano.mp4 takeF.wav\n";

std::vector<vq::Option> MovieOptionList()
{
    using vq::ValueKind;
    return {{"codec", '\0', true, {"aac", "opus"}},
            {"video", '\0', true, {}, ValueKind::kFile, "mp4,mov,mkv,webm,m4v"},
            {"head-locked", '\0', true, {}, ValueKind::kSoundFile}};
}

bool TakeMovieOption(vq::CommandLine& args, MovieCommandOptions* o, std::string* badPath)
{
    int choice = 0;
    if (args.Is("codec")) {
        if (args.Choice(&choice)) {
            o->settings.compressed = choice == 0 ? vq::MovieCodec::Aac : vq::MovieCodec::Opus;
            o->codecGiven = true;
        }
    } else if (args.Is("video")) {
        TakePath(args, &o->settings.videoClip, badPath);
    } else if (args.Is("head-locked")) {
        TakePath(args, &o->settings.headLocked, badPath);
    } else {
        return false;
    }
    return true;
}

std::string CheckMovieOptions(const MovieCommandOptions& o, const std::string& container, const vq::DecodeMode& mode,
                              vq::BFormatConvention convention, int files)
{
    const vq::Container* chosen = vq::ContainerNamed(container);
    const bool movie = chosen && chosen->movie;
    if (movie && (mode.Decodes() || convention != vq::BFormatConvention::AmbiX))
        return "--container " + container +
               " is a movie for 360-degree video: it holds AmbiX B-format only (--mode b-format --convention ambix)";
    if (movie && files != 1)
        return "--container " + container + " holds the four AmbiX channels in one file (--files 1)";
    if (o.codecGiven && !(movie && chosen->movie == std::string("mp4")))
        return "--codec chooses the audio of an MP4 (--container mp4); a MOV holds PCM of --format";
    if (!movie && !o.settings.videoClip.empty())
        return "--video goes with a movie (--container mov or mp4)";
    if (!movie && !o.settings.headLocked.empty())
        return "--head-locked goes with a movie (--container mov or mp4)";
    return std::string();
}

void ApplyMovieOptions(const MovieCommandOptions& o, vq::ConversionRequest* request)
{
    request->movie = o.settings;
}
