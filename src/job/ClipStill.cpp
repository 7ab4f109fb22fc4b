#include "ClipStill.h"

#include "MovieHelperProcess.h"

#include "common/EngineStatus.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vq {

int ReadClipStill(const std::string& clip, const std::string& picture, const std::function<bool()>& keepGoing,
                  RgbImage* still, FailureDetail* detail)
{
    const std::size_t slash = picture.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::string path = picture.substr(0, name) + "." + picture.substr(name) + ".frame.XXXXXX";
    const int fd = mkostemp(&path[0], O_CLOEXEC);
    if (fd < 0) {
        *detail = {picture, std::string("no file for the clip's frame can be made beside it: ") + std::strerror(errno)};
        return kOutputOpenFailed;
    }
    close(fd);
    MovieJob job;
    job.task = MovieJob::Task::Frame;
    job.movie = picture;
    job.videoClip = clip;
    job.frame = path;
    const MovieAnswer answer = RunMovieHelper(job, -1, [&keepGoing](int) { return !keepGoing || keepGoing(); });
    std::string problem;
    int status = answer.status;
    if (status != kStatusOk)
        *detail = answer.failure;
    else if (!ReadPpm(path, still, &problem)) {
        *detail = {clip, "its frame came back unreadable: " + problem};
        status = kVideoClipUnreadable;
    }
    unlink(path.c_str());
    return status;
}

}  // namespace vq
