#include "MovieMux.h"

#include "common/EngineStatus.h"
#include "common/SampleQuantizer.h"
#include "movie/ClipFrame.h"
#include "common/SoundFileInput.h"
#include "movie/HeadLockedStereo.h"
#include "movie/MovieWriter.h"

#include <sndfile.h>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace vq {

namespace {

// Frames muxed at a time.
constexpr std::int64_t kBlockFrames = 65536;

MovieOptions OptionsOf(const MovieJob& job)
{
    MovieOptions options;
    options.container = job.container;
    options.codec = job.codec;
    options.sampleRate = job.sampleRate;
    options.headLocked = !job.headLocked.empty();
    options.videoClip = job.videoClip;
    options.timecode = job.timecode;
    return options;
}

MovieAnswer Answer(int status, const FailureDetail& failure = FailureDetail())
{
    MovieAnswer answer;
    answer.status = status;
    answer.failure = failure;
    return answer;
}

// The two kinds of samples a movie takes: integers left-justified in 32 bits (16- and 24-bit
// PCM, as the conversion rounded and dithered them) and doubles at full scale (float, AAC, Opus).
sf_count_t ReadFrames(SNDFILE* file, int* to, sf_count_t frames)
{
    return sf_readf_int(file, to, frames);
}
sf_count_t ReadFrames(SNDFILE* file, double* to, sf_count_t frames)
{
    return sf_readf_double(file, to, frames);
}
int WriteFrames(MovieWriter& writer, const int* samples, std::int64_t frames, FailureDetail* detail)
{
    return writer.WriteIntegers(samples, frames, detail);
}
int WriteFrames(MovieWriter& writer, const double* samples, std::int64_t frames, FailureDetail* detail)
{
    return writer.Write(samples, frames, detail);
}
// The head-locked pair, read as doubles, in the movie's kind of samples.
void Convert(const double* in, int* out, std::int64_t count, SampleQuantizer& quantizer)
{
    quantizer.Quantize(in, out, count);
}
void Convert(const double* in, double* out, std::int64_t count, SampleQuantizer&)
{
    std::copy(in, in + count, out);
}

// Feeds the audio file, with the head-locked pair after each frame when `pair` is open, into
// the writer.
template <typename Sample>
int Feed(const InputSoundFile& audio, const InputSoundFile* pair, const MovieJob& job, MovieWriter& writer,
         const std::function<bool(int permille)>& progress, FailureDetail* detail)
{
    SampleQuantizer quantizer;
    const int bits = MovieCodecInfo(job.codec).integerBits;
    quantizer.Configure(bits > 0 ? bits : 16, job.dither);
    const int channels = writer.Channels();
    std::vector<Sample> ambix(static_cast<std::size_t>(4 * kBlockFrames));
    std::vector<Sample> frames(static_cast<std::size_t>(channels * kBlockFrames));
    std::vector<double> pairIn(pair ? static_cast<std::size_t>(2 * kBlockFrames) : 0);
    std::vector<Sample> pairOut(pairIn.size());
    const std::int64_t total = audio.Info().frames;
    for (std::int64_t done = 0; done < total;) {
        const std::int64_t block = std::min(kBlockFrames, total - done);
        if (ReadFrames(audio.Handle(), ambix.data(), block) != block) {
            *detail = {job.movie, std::string("its audio could not be read back: ") + sf_strerror(audio.Handle())};
            return kOutputWriteFailed;
        }
        const Sample* samples = ambix.data();
        if (pair) {
            std::fill(pairIn.begin(), pairIn.end(), 0.0);
            if (sf_readf_double(pair->Handle(), pairIn.data(), block) < 0 ||
                sf_error(pair->Handle()) != SF_ERR_NO_ERROR) {
                *detail = {job.headLocked, sf_strerror(pair->Handle())};
                return kInputReadFailed;
            }
            Convert(pairIn.data(), pairOut.data(), 2 * block, quantizer);
            for (std::size_t n = 0; n < static_cast<std::size_t>(block); ++n) {
                std::copy_n(&ambix[4 * n], 4, &frames[6 * n]);
                std::copy_n(&pairOut[2 * n], 2, &frames[6 * n + 4]);
            }
            samples = frames.data();
        }
        const int status = WriteFrames(writer, samples, block, detail);
        if (status != kStatusOk)
            return status;
        done += block;
        if (!progress(static_cast<int>(done * 1000 / total)))
            return kStatusCancelled;
    }
    return kStatusOk;
}

}  // namespace

MovieAnswer CheckMovie(const MovieJob& job)
{
    FailureDetail detail;
    int status = kStatusOk;
    if (!job.headLocked.empty())
        status = CheckHeadLockedStereo(job.headLocked, job.sampleRate, job.takeFrames, &detail);
    VideoClipInfo clip;
    if (status == kStatusOk)
        status = MovieWriter::Check(OptionsOf(job), job.movie, &detail, &clip);
    MovieAnswer answer = Answer(status, detail);
    answer.frameRate = clip.frameRate;
    return answer;
}

MovieAnswer WriteClipFrame(const MovieJob& job)
{
    RgbImage still;
    FailureDetail detail;
    int status = ReadMiddleFrame(job.videoClip, &still, &detail);
    if (status == kStatusOk)
        status = WritePpm(still, job.frame, &detail);
    return Answer(status, detail);
}

MovieAnswer MuxMovie(const MovieJob& job, int fd, const std::function<bool(int permille)>& progress)
{
    InputSoundFile audio;
    std::string unopened;
    audio.Open(job.audio, InputSoundFile::Length::Counted, &unopened);
    // Once open, the audio needs no name: a run that ends in any way leaves nothing of it.
    unlink(job.audio.c_str());
    if (!audio.IsOpen() || audio.Info().channels != 4)
        return Answer(kOutputWriteFailed, {job.movie, "its audio could not be read back: " +
                                                          (unopened.empty() ? std::string("not 4 channels") : unopened)});
    std::unique_ptr<InputSoundFile> pair;
    if (!job.headLocked.empty()) {
        pair = std::make_unique<InputSoundFile>();
        std::string problem;
        if (pair->Open(job.headLocked, InputSoundFile::Length::Counted, &problem) != kStatusOk)
            return Answer(kInputOpenFailed, {job.headLocked, problem});
        // Checked before the take ran, and read here in pairs: a file changed since is refused.
        if (pair->Info().channels != 2)
            return Answer(kHeadLockedNotStereo, {job.headLocked, "it has " + std::to_string(pair->Info().channels) +
                                                                     " channels"});
    }
    FailureDetail detail;
    MovieWriter writer;
    int status = writer.Open(fd, job.movie, OptionsOf(job), &detail);
    if (status == kStatusOk)
        status = writer.TakesIntegers() ? Feed<int>(audio, pair.get(), job, writer, progress, &detail)
                                        : Feed<double>(audio, pair.get(), job, writer, progress, &detail);
    if (status == kStatusOk)
        status = writer.Finish(&detail);
    MovieAnswer answer = Answer(status, detail);
    if (status == kStatusOk) {
        answer.frames = writer.FramesWritten();
        answer.note = writer.Note();
    }
    return answer;
}

}  // namespace vq
