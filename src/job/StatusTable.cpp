#include "StatusTable.h"

#include "common/EngineStatus.h"

namespace vq {

namespace {

struct StatusText {
    int code;
    const char* text;  // "%s" stands for the filter matrix's path
};

const char* const kMissingMatrix = "Missing filter matrix (%s).\nPlease check your filters directory.";
const char* const kMissingInputs = "Missing input file(s).";

const StatusText kTexts[] = {
    {kMissingFilterMatrix, kMissingMatrix},
    {kMissingInput, "Selected file doesn't exist."},
    {kUnrepresentablePath,
     "A file name cannot be written in the file system's encoding.\nPlease rename the file or choose another."},
    {kPartsDisagree,
     "The parts of the joined take do not belong together: they must be the same kind of take, with the same "
     "sample rate and channels.\nNothing was converted."},
    {kFilterMatrixNotOpen, kMissingMatrix},
    {kMissingInputFile, kMissingInputs},
    {kFilterMatrixChannels, "Filter matrix %s has wrong number of rows.\nMust be 4."},
    {kChannelCountMismatch, "The number of channels doesn't match.\nCheck the input file(s)."},
    {kSampleRateMismatch, "Selected file has different sampling frequency than others already stored."},
    {kLengthMismatch, "Selected file has different length than others already stored."},
    {kInputOpenFailed, "Error opening input file for reading."},
    {kOutputOpenFailed, "Error opening output file for writing."},
    {kFilterMatrixOpenFailed, "Error opening filter matrix file (%s)."},
    {kInputReadFailed, "Error reading an input file: it ended before its stated length.\nCheck the input file(s)."},
    {kOutputWriteFailed, "Error writing an output file (is the disk full?).\nNo output file was changed."},
    {kFilterMatrixReadFailed, "Error reading filter matrix file (%s)."},
    {kFilterMatrixLength,
     "Filter matrix %s has an unusable length.\nIt must hold 4 x L frames, with 1 to 1048576 taps per filter."},
    {kOutOfMemory, "Not enough memory for the conversion.\nPlease choose a smaller buffer size."},
    {kFftSetupFailed, "The FFT library could not prepare the transforms."},
    {kOutputOverwritesInput,
     "An output file is the same file as an input, the filter matrix, another output or the "
     "kept B-format.\nPlease choose other output names."},
    {kBadState, "Internal error: a conversion step was called out of order."},
    {kBadParameter, "A setting of the conversion is out of range."},
    {kNonFiniteInput,
     "A sample is not a number (NaN) or is infinite: the file is damaged or was not written as audio.\n"
     "Nothing was converted."},
    {kOutputExists, "An output file already exists and was left as it is."},
    {kHrtfOpenFailed, "Error opening the head-related impulse responses (HRTF) file."},
    {kHrtfRateUnusable, "The HRTF file's sample rate cannot be used for this recording."},
    {kHrtfNotSofa, "The HRTF file is not a SOFA file."},
    {kHrtfNotHrirs, "The HRTF file holds no head-related impulse responses for two ears."},
    {kHrtfMalformed, "The HRTF file is damaged."},
    {kHrtfUnreadable, "The SOFA file could not be read."},
    {kMovieCodecUnusable, "The movie's audio codec cannot encode this take."},
    {kMovieEncodeFailed, "The movie's audio could not be encoded.\nNo output file was changed."},
    {kVideoClipUnreadable, "The video clip cannot be read."},
    {kVideoClipNoVideo, "The video clip holds no video.\nPlease choose a clip with a video stream."},
    {kVideoClipUnusable, "The video clip's video cannot be carried in this kind of movie file.\nPlease choose the other container."},
    {kHeadLockedNotStereo, "The head-locked file must be a stereo file."},
    {kHeadLockedRateMismatch, "The head-locked stereo file has another sample rate than the take."},
    {kHeadLockedLengthMismatch, "The head-locked stereo file has another length than the take."},
    {kMovieWriterUnavailable, "The movie writer (vessarquilix-movie) could not be run.\nNo output file was changed."},
    {kDirectionMapFailed, "The map of where the sound comes from could not be made."},
};

// A word the shell passes on unchanged: quoted when it holds anything but plain characters.
std::string ShellWord(const std::string& word)
{
    if (!word.empty() &&
        word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+=,") ==
            std::string::npos)
        return word;
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Substitute(const char* text, const std::string& value)
{
    std::string message = text;
    const std::size_t at = message.find("%s");
    if (at != std::string::npos)
        message.replace(at, 2, value);
    return message;
}

}  // namespace

std::string StatusMessage(int code, const std::string& filterMatrix, const FailureDetail& detail)
{
    for (const StatusText& entry : kTexts) {
        if (entry.code != code)
            continue;
        std::string message = Substitute(entry.text, filterMatrix);
        if (!detail.path.empty() && !detail.reason.empty())
            message += "\n" + detail.path + ": " + detail.reason;
        else if (!detail.path.empty())
            message += "\n" + detail.path;
        else if (!detail.reason.empty())
            message += "\n" + detail.reason;
        return message;
    }
    return "Unknown error.";
}

std::string FilterMatrixHint(int sampleRate, const std::string& filtersDir)
{
    return "To make one: vessarquilix-mkfilters --rates " + std::to_string(sampleRate) + " --out " +
           ShellWord(filtersDir);
}

std::vector<int> StatusCodes()
{
    std::vector<int> codes;
    for (const StatusText& entry : kTexts)
        codes.push_back(entry.code);
    return codes;
}

}  // namespace vq
