#include "MovieOutput.h"

#include "DecodeModes.h"
#include "MovieHelperProcess.h"
#include "VQProgressView.h"

#include "common/EngineStatus.h"
#include "common/PendingFile.h"

#include <sndfile.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vq {

namespace {

// What a movie cannot hold of the request; empty when it asks for AmbiX B-format in one file.
std::string FormProblem(const ConversionRequest& request)
{
    const DecodeMode& mode = request.decode.Mode();
    if (mode.Decodes())
        return std::string("a movie for 360-degree video holds AmbiX B-format, not ") + mode.outputsWord;
    if (request.outputs.convention != BFormatConvention::AmbiX)
        return "a movie for 360-degree video holds AmbiX B-format, not FuMa";
    if (request.outputs.fileCount != 1)
        return "a movie for 360-degree video holds the four AmbiX channels in one file, not in " +
               std::to_string(request.outputs.fileCount);
    return std::string();
}

MovieCodec PcmCodec(SampleFormat sample)
{
    return sample == SampleFormat::Pcm16 ? MovieCodec::Pcm16
           : sample == SampleFormat::Pcm24 ? MovieCodec::Pcm24
                                           : MovieCodec::Float;
}

int Failed(const MovieAnswer& answer, FailureDetail* detail)
{
    if (detail && answer.status != kStatusOk && answer.status != kStatusCancelled)
        *detail = answer.failure;
    return answer.status;
}

}  // namespace

MovieOutput::~MovieOutput()
{
    RemoveAudioFile();
}

int MovieOutput::Check(const ConversionRequest& request, const MovieFiles& files, int sampleRate,
                       std::int64_t takeFrames, int takeFormat, VQProgressView* progress, FailureDetail* detail)
{
    const std::string problem = FormProblem(request);
    const MovieContainerRow* container = MovieContainerNamed(OutputContainer(request).movie);
    if (!problem.empty() || !container) {
        if (detail)
            *detail = {files.movie, problem};
        return kBadParameter;
    }
    const OutputSettings& out = request.outputs;
    m_job.movie = files.movie;
    m_job.videoClip = files.videoClip;
    m_job.headLocked = files.headLocked;
    m_job.container = container->container;
    m_job.codec = container->container == MovieContainer::Mp4
                      ? request.movie.compressed
                      : PcmCodec(out.formatOfTake   ? SampleFormatOf(takeFormat)
                                 : out.sampleOfTake ? SampleFormatKeeping(takeFormat, OutputContainer(request))
                                                    : out.sample);
    m_job.sampleRate = sampleRate;
    m_job.takeFrames = takeFrames;
    m_job.dither = out.dither;
    m_job.task = MovieJob::Task::Check;
    const MovieAnswer answer =
        RunMovieHelper(m_job, -1, [progress](int) { return !progress || !progress->CancelRequested(); });
    m_clipFrameRate = answer.frameRate;
    return Failed(answer, detail);
}

int MovieOutput::AudioFormat() const
{
    switch (MovieCodecInfo(m_job.codec).integerBits) {
    case 16:
        return SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    case 24:
        return SF_FORMAT_WAVEX | SF_FORMAT_PCM_24;
    default:
        return SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    }
}

int MovieOutput::CreateAudioFile(FailureDetail* detail)
{
    RemoveAudioFile();
    // ".NAME.XXXXXX" beside the movie: on its file system, and hidden from a listing. The
    // engine replaces it with the audio in one step.
    const std::size_t slash = m_job.movie.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::string path = m_job.movie.substr(0, name) + "." + m_job.movie.substr(name) + ".XXXXXX";
    const int fd = mkostemp(&path[0], O_CLOEXEC);
    if (fd < 0) {
        if (detail)
            *detail = {m_job.movie,
                       std::string("no file for its audio can be created beside it: ") + std::strerror(errno)};
        return kOutputOpenFailed;
    }
    close(fd);
    m_audioPath = path;
    return kStatusOk;
}

void MovieOutput::RemoveAudioFile()
{
    if (!m_audioPath.empty())
        unlink(m_audioPath.c_str());
    m_audioPath.clear();
}

int MovieOutput::Write(VQProgressView* progress, bool replace, FailureDetail* detail)
{
    PendingFile movie;
    int status = movie.Create(m_job.movie, detail);
    if (status != kStatusOk) {
        RemoveAudioFile();
        return status;
    }
    m_job.task = MovieJob::Task::Write;
    m_job.audio = m_audioPath;
    if (progress)
        progress->Begin("VessarQuilix", "Writing the movie...");
    const MovieAnswer answer =
        RunMovieHelper(m_job, movie.Descriptor(), [progress](int permille) { return !progress || progress->Update(permille); });
    if (progress)
        progress->End();
    RemoveAudioFile();
    if (answer.status != kStatusOk)
        return Failed(answer, detail);
    m_note = answer.note;
    m_frames = answer.frames;
    return movie.Publish(replace, detail);
}

}  // namespace vq
