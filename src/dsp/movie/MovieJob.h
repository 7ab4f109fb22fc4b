// What a program asks of the movie helper (vessarquilix-movie), which runs the movie writer in
// a process of its own, and what the helper answers. FFmpeg's libraries load the system's
// graphics libraries (X11, through the video acceleration and SVG decoders), which the
// command-line converter must run without; in a helper they are loaded only to write a movie,
// and a clip that crashes them harms the helper alone.
//
// The job crosses as the helper's arguments; progress and the answer come back on its
// standard output as messages of fields, each ended by a NUL byte (paths may hold any other
// byte): "P", permille; then once "A", status, frames, path, reason, note, frame rate.
#pragma once

#include "common/FailureDetail.h"
#include "deliver/Timecode.h"
#include "movie/MovieFormats.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vq {

struct MovieJob {
    enum class Task {
        Check,  // everything that can be checked before any output exists
        Write,  // mux the audio file into the movie, open as kMovieJobDescriptor
        Frame,  // write the clip's middle frame as a PPM picture to `frame`
    };
    Task task = Task::Check;
    std::string movie;  // the movie's name, for messages
    std::string audio;  // Write: the AmbiX sound file (W, Y, Z, X); its name is removed once it is open
    std::string videoClip;   // a clip whose video the movie carries; empty: none
    std::string headLocked;  // a stereo file as channels 5 and 6; empty: none
    MovieContainer container = MovieContainer::Mov;
    MovieCodec codec = MovieCodec::Pcm24;
    int sampleRate = 48000;
    std::int64_t takeFrames = 0;  // the length the head-locked file must have
    bool dither = false;          // TPDF dither when the head-locked pair is rounded to 16 or 24 bits
    std::string timecode;  // Write: the movie's start timecode, HH:MM:SS:FF; empty: none
    std::string frame;     // Frame: where the picture goes
};

// The descriptor a Write job finds the movie at, open for reading and writing.
constexpr int kMovieJobDescriptor = 3;

// The helper's arguments for `job`, and back; false for arguments that are no job.
std::vector<std::string> MovieJobArguments(const MovieJob& job);
bool ParseMovieJob(const std::vector<std::string>& arguments, MovieJob* job);

struct MovieAnswer {
    int status = 0;          // kStatusOk or a status code, with the file and the reason
    FailureDetail failure;
    std::int64_t frames = 0;  // Write: the audio frames in the movie
    std::string note;         // Write: what fitting the take to a video did (VideoLengthNote)
    FrameRate frameRate{0, 1};  // Check: the clip's video frame rate; 0 frames without a clip
};

std::string ProgressMessage(int permille);
std::string AnswerMessage(const MovieAnswer& answer);

// Reads the helper's messages from its output as the bytes come.
class MovieMessageReader {
public:
    // Takes `count` bytes. Returns the permille of the last progress message they completed,
    // or -1 when they completed none.
    int Take(const char* bytes, std::size_t count);
    bool Answered() const { return m_answered; }
    const MovieAnswer& Answer() const { return m_answer; }

private:
    std::string m_field;                // the bytes of a field not ended yet
    std::vector<std::string> m_fields;  // the fields of the message not complete yet
    bool m_answered = false;
    MovieAnswer m_answer;
};

}  // namespace vq
