#include "common/SoundFileInput.h"

#include "common/EngineStatus.h"
#include "common/RiffAudioView.h"
#include "deliver/FlacComments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace vq {

namespace {

// More frames per byte than any codec delivers (FLAC's constant subframes give a few
// thousand): a length beyond it is not what the file holds.
constexpr std::int64_t kMaxFramesPerByte = 65536;

bool LengthIsCredible(const SF_INFO& info, const std::string& path)
{
    struct stat status {};
    if (info.frames < 0 || info.frames > kMaxInputFrames || stat(path.c_str(), &status) != 0)
        return false;
    return info.frames / kMaxFramesPerByte <= static_cast<std::int64_t>(status.st_size);
}

// Decodes the whole file to count its frames. kStatusOk, or kBadParameter past
// kMaxInputFrames.
int CountFrames(SNDFILE* file, int channels, std::int64_t* frames)
{
    constexpr sf_count_t kPiece = 4096;
    std::vector<float> buffer(static_cast<std::size_t>(kPiece) * static_cast<std::size_t>(channels));
    std::int64_t count = 0;
    for (;;) {
        const sf_count_t read = sf_readf_float(file, buffer.data(), kPiece);
        if (read <= 0)
            break;
        count += read;
        if (count > kMaxInputFrames)
            return kBadParameter;
    }
    *frames = count;
    return kStatusOk;
}

// A recording of no frames in a container that can only state an unknown length.
bool HoldsNoFrames(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool empty = FlacHoldsNoFrames(fd);
    close(fd);
    return empty;
}

}  // namespace

InputSoundFile::InputSoundFile() = default;

InputSoundFile::~InputSoundFile()
{
    Close();
}

void InputSoundFile::Close()
{
    if (m_file)
        sf_close(m_file);
    m_file = nullptr;
    m_view.reset();
    m_info = SF_INFO{};
}

int InputSoundFile::Fail(const std::string& why, std::string* reason)
{
    *reason = why;
    Close();
    return kInputOpenFailed;
}

bool InputSoundFile::Rewind()
{
    return m_info.frames == 0 || sf_seek(m_file, 0, SEEK_SET) == 0;
}

int InputSoundFile::Open(const std::string& path, Length length, std::string* reason)
{
    Close();
    m_file = sf_open(path.c_str(), SFM_READ, &m_info);
    const std::string refusal = m_file ? std::string() : sf_strerror(nullptr);
    // A sound file of the RIFF family that libsndfile refuses, or reads past its data into
    // the chunks after it, is read through a view of its format and data chunks. (A refused
    // file whose data chunk gives no frames, as an unfinished recording's may, stays refused.)
    auto view = std::make_unique<RiffAudioView>();
    if (view->Open(path) &&
        (m_file ? m_info.frames > view->Frames() && view->ChunksFollowData() : view->Frames() > 0)) {
        Close();
        m_file = view->OpenSoundFile(&m_info);
        m_view = std::move(view);
    }
    if (!m_file)
        return Fail(refusal.empty() ? sf_strerror(nullptr) : refusal, reason);
    if (length == Length::AsStated || LengthIsCredible(m_info, path))
        return kStatusOk;

    std::int64_t frames = 0;
    if (CountFrames(m_file, m_info.channels, &frames) != kStatusOk)
        return Fail("it holds more frames than any recording", reason);
    // The header promised frames (or could not say how many) and none decode: the file is
    // damaged, unless it is a recording of none that its format cannot state.
    if (frames == 0 && !HoldsNoFrames(path))
        return Fail("no audio could be decoded", reason);
    m_info.frames = frames;
    if (!Rewind())
        return Fail("its header gives no usable length and it cannot be read again from its start", reason);
    return kStatusOk;
}

}  // namespace vq
