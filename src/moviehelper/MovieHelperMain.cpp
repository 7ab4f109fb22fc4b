// vessarquilix-movie: the movie writer in a process of its own, for the converter and the
// window (src/dsp/movie/MovieJob.h). It takes one job as its arguments and answers on its
// standard output; it is not meant to be run by hand.
#include "MovieMux.h"

#include "common/ChildProcess.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Writes the whole message to the standard output; false once the reader has gone.
bool Send(const std::string& message)
{
    return vq::WriteAll(STDOUT_FILENO, message);
}

}  // namespace

int main(int argc, char** argv)
{
    vq::MovieJob job;
    if (!vq::ParseMovieJob(std::vector<std::string>(argv + 1, argv + argc), &job)) {
        std::fputs("vessarquilix-movie: writes movies for VessarQuilix's programs, which run it; it is not run by hand\n",
                   stderr);
        return 2;
    }
    // A program that stopped reading has cancelled: the writes fail, and the muxing stops.
    std::signal(SIGPIPE, SIG_IGN);
    int lastSent = -1;
    const vq::MovieAnswer answer =
        job.task == vq::MovieJob::Task::Check   ? vq::CheckMovie(job)
        : job.task == vq::MovieJob::Task::Frame ? vq::WriteClipFrame(job)
                                                : vq::MuxMovie(job, vq::kMovieJobDescriptor, [&lastSent](int permille) {
                                                      if (permille == lastSent)
                                                          return true;
                                                      lastSent = permille;
                                                      return Send(vq::ProgressMessage(permille));
                                                  });
    return Send(vq::AnswerMessage(answer)) ? 0 : 1;
}
