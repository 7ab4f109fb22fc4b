// What the movie tests check the writer's files with: FFmpeg's own programs (ffmpeg and
// ffprobe, run as separate processes) decode the audio, list the streams and checksum the
// video packets, and make the test clips, all at run time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

// Skips the test (with the reason) when ffmpeg or ffprobe is not installed.
#define VQ_REQUIRE_FFMPEG()                                                                 \
    do {                                                                                    \
        if (!vqtest::HaveFfmpeg())                                                          \
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed (Debian package ffmpeg)"; \
    } while (0)

bool HaveFfmpeg();

// Runs a shell command; its standard output, and whether it exited with 0.
struct ToolOutput {
    bool ok = false;
    std::string out;
};
ToolOutput RunCommand(const std::string& command);
std::string Quoted(const std::string& word);

// The audio of a file decoded by ffmpeg, interleaved: as 32-bit float, or as 16- or 32-bit
// integers (a 24-bit file's samples come left-justified in 32 bits).
std::vector<float> DecodeFloat(const std::string& path);
std::vector<std::int16_t> DecodeInt16(const std::string& path);
std::vector<std::int32_t> DecodeInt32(const std::string& path);

// ffprobe's "key=value" lines for the file's streams (-show_streams), e.g. to find
// "channel_layout=ambisonic 1".
std::string ProbeStreams(const std::string& path);

// The first picture of a file (a PNG, a clip's first frame) decoded by ffmpeg: its size, and
// 8-bit red, green and blue a pixel, row after row; empty when it cannot be decoded.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};
Picture DecodePicture(const std::string& path);

// The video packets of a file, each as "size,md5" from ffmpeg's framemd5 muxer with the
// packets copied (never decoded).
std::vector<std::string> VideoPacketChecksums(const std::string& path);

// A small clip made by ffmpeg: a test picture of 64 x 48 at `rate` frames a second ("25",
// "30000/1001"), H.264 with B-frames, and a stereo AAC sound of its own, `seconds` long.
void MakeClip(const std::string& path, double seconds, const std::string& rate = "25");

}  // namespace vqtest
