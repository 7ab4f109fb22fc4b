#include "movie/MovieJob.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>

namespace vq {

namespace {

const char* const kTasks[] = {"check", "write", "frame"};

// A whole decimal integer, or false.
bool ParseInteger(const std::string& text, std::int64_t* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    *value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0';
}

std::string Fields(const std::vector<std::string>& fields)
{
    std::string message;
    for (const std::string& field : fields)
        message.append(field).push_back('\0');
    return message;
}

}  // namespace

std::vector<std::string> MovieJobArguments(const MovieJob& job)
{
    return {kTasks[static_cast<int>(job.task)],
            "--movie", job.movie,
            "--audio", job.audio,
            "--video", job.videoClip,
            "--head-locked", job.headLocked,
            "--container", MovieContainerInfo(job.container).name,
            "--codec", MovieCodecInfo(job.codec).name,
            "--rate", std::to_string(job.sampleRate),
            "--take-frames", std::to_string(job.takeFrames),
            "--dither", job.dither ? "1" : "0",
            "--timecode", job.timecode,
            "--frame", job.frame};
}

bool ParseMovieJob(const std::vector<std::string>& arguments, MovieJob* job)
{
    if (arguments.empty() || arguments.size() % 2 == 0)
        return false;
    MovieJob parsed;
    const auto task = std::find(std::begin(kTasks), std::end(kTasks), arguments[0]);
    if (task == std::end(kTasks))
        return false;
    parsed.task = static_cast<MovieJob::Task>(task - std::begin(kTasks));
    std::map<std::string, std::string> values;
    for (std::size_t i = 1; i < arguments.size(); i += 2)
        values[arguments[i]] = arguments[i + 1];
    const MovieContainerRow* container = MovieContainerNamed(values["--container"]);
    const MovieCodecRow* codec = MovieCodecNamed(values["--codec"]);
    std::int64_t rate = 0, dither = 0;
    if (values.size() != 11 || !container || !codec || !ParseInteger(values["--rate"], &rate) || rate <= 0 ||
        rate > 1 << 30 || !ParseInteger(values["--take-frames"], &parsed.takeFrames) ||
        !ParseInteger(values["--dither"], &dither))
        return false;
    parsed.movie = values["--movie"];
    parsed.audio = values["--audio"];
    parsed.videoClip = values["--video"];
    parsed.headLocked = values["--head-locked"];
    parsed.container = container->container;
    parsed.codec = codec->codec;
    parsed.sampleRate = static_cast<int>(rate);
    parsed.dither = dither != 0;
    parsed.timecode = values["--timecode"];
    parsed.frame = values["--frame"];
    *job = parsed;
    return true;
}

std::string ProgressMessage(int permille)
{
    return Fields({"P", std::to_string(permille)});
}

std::string AnswerMessage(const MovieAnswer& answer)
{
    return Fields({"A", std::to_string(answer.status), std::to_string(answer.frames), answer.failure.path,
                   answer.failure.reason, answer.note, std::to_string(answer.frameRate.num),
                   std::to_string(answer.frameRate.den)});
}

int MovieMessageReader::Take(const char* bytes, std::size_t count)
{
    int progress = -1;
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] != '\0') {
            m_field.push_back(bytes[i]);
            continue;
        }
        m_fields.push_back(m_field);
        m_field.clear();
        std::int64_t number = 0;
        if (m_fields[0] == "P" && m_fields.size() == 2) {
            if (ParseInteger(m_fields[1], &number))
                progress = static_cast<int>(number);
            m_fields.clear();
        } else if (m_fields[0] == "A" && m_fields.size() == 8) {
            std::int64_t status = 0, num = 0, den = 0;
            m_answered = ParseInteger(m_fields[1], &status) && ParseInteger(m_fields[2], &number) &&
                         ParseInteger(m_fields[6], &num) && ParseInteger(m_fields[7], &den);
            m_answer.status = static_cast<int>(status);
            m_answer.frames = number;
            m_answer.failure = {m_fields[3], m_fields[4]};
            m_answer.note = m_fields[5];
            m_answer.frameRate = {static_cast<int>(num), static_cast<int>(den)};
            m_fields.clear();
        } else if (m_fields[0] != "P" && m_fields[0] != "A") {
            m_fields.clear();  // no message begins so: left out
        }
    }
    return progress;
}

}  // namespace vq
