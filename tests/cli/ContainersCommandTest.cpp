// The shortest outputs of every container hold exactly their frames, as FFmpeg decodes them,
// and the program reads each of them back as a take: an output (a kept B-format too) may be
// the next run's input.
#include "CommandFixture.h"

#include "movie/MovieTools.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vqtest;

namespace {

struct Output {
    const char* container;
    const char* format;
    double step;  // the size of the format's quantisation step at full scale (0: float)
};

const Output kOutputs[] = {
    {"wav", "float", 0.0},  {"amb", "float", 0.0},  {"w64", "float", 0.0},          {"caf", "float", 0.0},
    {"aiff", "float", 0.0}, {"aiff", "pcm16", 1.0 / 32768}, {"flac", "pcm24", 1.0 / 8388608},
};

std::vector<double> Widened(const std::vector<float>& samples)
{
    return std::vector<double>(samples.begin(), samples.end());
}

class ContainersCommand : public CommandTest {};

// With keep sync every output is as long as the take: 0, 1 or 2 frames here.
TEST_F(ContainersCommand, OutputsOfNoneOneAndTwoFramesHoldThemAndReadBackAsTakes)
{
    VQ_REQUIRE_FFMPEG();
    const std::string filters = std::string(VQ_STAGE_DATA_DIR) + "/filters";
    for (int frames = 0; frames <= 2; ++frames) {
        const std::string take = "take" + std::to_string(frames) + ".wav";
        WriteChannels(File(take), std::vector<Signal>(4, Noise(frames, 50 + frames, 0.5)));
        const std::string reference = "reference" + std::to_string(frames) + ".wav";
        const CommandResult r =
            Convert({"--filters", filters, "--align", "--format", "float", "-o", reference, take});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Audio expected = ReadAudio(File(reference));
        ASSERT_EQ(expected.info.frames, frames);
        for (const Output& o : kOutputs) {
            const std::string what = std::string(o.container) + " " + o.format + ", " + std::to_string(frames) +
                                     " frames";
            const std::string output = std::string("out") + std::to_string(frames) + o.format + "." + o.container;
            const CommandResult written = Convert({"--filters", filters, "--align", "--container", o.container,
                                                   "--format", o.format, "-o", output, take});
            ASSERT_EQ(written.exitCode, 0) << what << ": " << written.err;
            // (FFmpeg refuses a Wave64 file whose data chunk is empty.)
            const bool empty64 = frames == 0 && std::string(o.container) == "w64";
            const std::vector<double> decoded = empty64 ? std::vector<double>() : Widened(DecodeFloat(File(output)));
            ASSERT_EQ(decoded.size(), expected.samples.size()) << what;
            EXPECT_LE(MaxAbsDifference(decoded, expected.samples), 0.5 * o.step + 1e-7) << what;

            // The output read as a B-format take at 0 dB gives its samples again.
            const std::string again = "again" + std::to_string(frames) + o.format + o.container + ".wav";
            const CommandResult read = Convert({"--input-format", "fuma", "--gain", "0", "--format", "float", "-o",
                                                again, output});
            ASSERT_EQ(read.exitCode, 0) << what << ": " << read.err;
            const Audio back = ReadAudio(File(again));
            ASSERT_EQ(back.info.frames, frames) << what;
            EXPECT_LE(MaxAbsDifference(back.samples, decoded), 1e-7) << what;
        }
    }
}

}  // namespace
