#include "MovieOutput.h"

#include "DecodeModes.h"
#include "VQProgressAdaptor.h"
#include "VQProgressView.h"

#include "common/EngineStatus.h"
#include "common/PendingFile.h"
#include "common/SampleQuantizer.h"
#include "movie/HeadLockedStereo.h"

#include <sndfile.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace vq {

namespace {

// Frames muxed at a time.
constexpr std::int64_t kBlockFrames = 65536;

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

// A sound file open for reading, closed with its scope.
struct ReadFile {
    SF_INFO info{};  // before `file`, which fills it
    SNDFILE* file = nullptr;
    explicit ReadFile(const std::string& path) : file(sf_open(path.c_str(), SFM_READ, &info)) {}
    ~ReadFile()
    {
        if (file)
            sf_close(file);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;
};

// The two kinds of samples a movie takes: integers left-justified in 32 bits (16- and 24-bit
// PCM, as the engine rounded and dithered them) and doubles at full scale (float, AAC, Opus).
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

// Feeds `frames` frames of the AmbiX audio, with the head-locked pair after them (silence
// past its end) when `pair` is open, into the writer.
template <typename Sample>
int Feed(SNDFILE* audio, std::int64_t frames, const MovieFiles& files, ReadFile* pair, SampleQuantizer& quantizer,
         MovieWriter& writer, VQProgressView* progress, FailureDetail* detail)
{
    const int channels = writer.Channels();
    std::vector<Sample> ambix(static_cast<std::size_t>(4 * kBlockFrames));
    std::vector<Sample> frame(static_cast<std::size_t>(channels * kBlockFrames));
    std::vector<double> pairIn(pair ? static_cast<std::size_t>(2 * kBlockFrames) : 0);
    std::vector<Sample> pairOut(pairIn.size());
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t block = std::min(kBlockFrames, frames - done);
        if (ReadFrames(audio, ambix.data(), block) != block) {
            if (detail)
                *detail = {files.movie, std::string("its audio could not be read back: ") + sf_strerror(audio)};
            return kOutputWriteFailed;
        }
        const Sample* samples = ambix.data();
        if (pair) {
            std::fill(pairIn.begin(), pairIn.end(), 0.0);
            if (sf_readf_double(pair->file, pairIn.data(), block) < 0 || sf_error(pair->file) != SF_ERR_NO_ERROR) {
                if (detail)
                    *detail = {files.headLocked, sf_strerror(pair->file)};
                return kInputReadFailed;
            }
            Convert(pairIn.data(), pairOut.data(), 2 * block, quantizer);
            for (std::int64_t n = 0; n < block; ++n) {
                std::copy_n(&ambix[static_cast<std::size_t>(4 * n)], 4, &frame[static_cast<std::size_t>(6 * n)]);
                std::copy_n(&pairOut[static_cast<std::size_t>(2 * n)], 2, &frame[static_cast<std::size_t>(6 * n + 4)]);
            }
            samples = frame.data();
        }
        const int status = WriteFrames(writer, samples, block, detail);
        if (status != kStatusOk)
            return status;
        done += block;
        if (progress && !progress->Update(ProgressPermille(done, frames)))
            return kStatusCancelled;
    }
    return kStatusOk;
}

}  // namespace

MovieOutput::~MovieOutput()
{
    RemoveAudioFile();
}

int MovieOutput::Check(const ConversionRequest& request, const MovieFiles& files, int sampleRate,
                       std::int64_t takeFrames, int takeFormat, FailureDetail* detail)
{
    m_files = files;
    const std::string problem = FormProblem(request);
    if (!problem.empty()) {
        if (detail)
            *detail = {files.movie, problem};
        return kBadParameter;
    }
    const OutputSettings& out = request.outputs;
    const MovieContainerRow* container = MovieContainerNamed(OutputContainer(request).movie);
    if (!container)
        return kBadParameter;
    m_options.container = container->container;
    m_options.codec = container->container == MovieContainer::Mp4
                          ? request.movie.compressed
                          : PcmCodec(out.formatOfTake ? SampleFormatOf(takeFormat) : out.sample);
    m_options.sampleRate = sampleRate;
    m_options.headLocked = !files.headLocked.empty();
    m_options.videoClip = files.videoClip;
    m_dither = out.dither;
    if (m_options.headLocked) {
        const int status = CheckHeadLockedStereo(files.headLocked, sampleRate, takeFrames, detail);
        if (status != kStatusOk)
            return status;
    }
    return MovieWriter::Check(m_options, files.movie, detail);
}

int MovieOutput::AudioFormat() const
{
    switch (MovieCodecInfo(m_options.codec).integerBits) {
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
    const std::size_t slash = m_files.movie.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::string path = m_files.movie.substr(0, name) + "." + m_files.movie.substr(name) + ".XXXXXX";
    const int fd = mkostemp(&path[0], O_CLOEXEC);
    if (fd < 0) {
        if (detail)
            *detail = {m_files.movie, std::string("no file for its audio can be created beside it: ") +
                                          std::strerror(errno)};
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
    // Once open, the audio needs no name: a run that ends in any way leaves nothing of it.
    ReadFile audio(m_audioPath);
    const std::string unopened = audio.file ? std::string() : sf_strerror(nullptr);
    RemoveAudioFile();
    if (!audio.file || audio.info.channels != 4) {
        if (detail)
            *detail = {m_files.movie, "its audio could not be read back: " +
                                          (unopened.empty() ? std::string("not 4 channels") : unopened)};
        return kOutputWriteFailed;
    }
    std::unique_ptr<ReadFile> pair;
    if (m_options.headLocked) {
        pair = std::make_unique<ReadFile>(m_files.headLocked);
        if (!pair->file) {
            if (detail)
                *detail = {m_files.headLocked, sf_strerror(nullptr)};
            return kInputOpenFailed;
        }
    }
    SampleQuantizer quantizer;
    const int bits = MovieCodecInfo(m_options.codec).integerBits;
    quantizer.Configure(bits > 0 ? bits : 16, m_dither);

    PendingFile movie;
    int status = movie.Create(m_files.movie, detail);
    MovieWriter writer;
    if (status == kStatusOk)
        status = writer.Open(movie.Descriptor(), m_files.movie, m_options, detail);
    if (status != kStatusOk)
        return status;
    if (progress)
        progress->Begin("VessarQuilix", "Writing the movie...");
    status = writer.TakesIntegers()
                 ? Feed<int>(audio.file, audio.info.frames, m_files, pair.get(), quantizer, writer, progress, detail)
                 : Feed<double>(audio.file, audio.info.frames, m_files, pair.get(), quantizer, writer, progress, detail);
    if (status == kStatusOk)
        status = writer.Finish(detail);
    if (progress)
        progress->End();
    if (status != kStatusOk)
        return status;
    m_note = writer.Note();
    m_frames = writer.FramesWritten();
    return movie.Publish(replace, detail);
}

}  // namespace vq
