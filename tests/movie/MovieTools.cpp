#include "movie/MovieTools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

namespace vqtest {

namespace {

template <typename Sample>
std::vector<Sample> Decode(const std::string& path, const char* codec, const char* format)
{
    const ToolOutput result =
        RunCommand("ffmpeg -v error -i " + Quoted(path) + " -map 0:a -c:a " + codec + " -f " + format + " -");
    EXPECT_TRUE(result.ok) << "ffmpeg cannot decode " << path;
    std::vector<Sample> samples(result.out.size() / sizeof(Sample));
    if (!samples.empty())
        std::memcpy(samples.data(), result.out.data(), samples.size() * sizeof(Sample));
    return samples;
}

}  // namespace

bool HaveFfmpeg()
{
    return RunCommand("command -v ffmpeg && command -v ffprobe").ok;
}

ToolOutput RunCommand(const std::string& command)
{
    ToolOutput result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, got);
    result.ok = pclose(pipe) == 0;
    return result;
}

std::string Quoted(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<float> DecodeFloat(const std::string& path)
{
    return Decode<float>(path, "pcm_f32le", "f32le");
}

std::vector<std::int16_t> DecodeInt16(const std::string& path)
{
    return Decode<std::int16_t>(path, "pcm_s16le", "s16le");
}

std::vector<std::int32_t> DecodeInt32(const std::string& path)
{
    return Decode<std::int32_t>(path, "pcm_s32le", "s32le");
}

Picture DecodePicture(const std::string& path)
{
    Picture picture;
    const ToolOutput size = RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=width,height "
                                       "-of csv=p=0:s=x " + Quoted(path));
    const ToolOutput pixels =
        RunCommand("ffmpeg -v error -i " + Quoted(path) + " -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    if (!size.ok || !pixels.ok || std::sscanf(size.out.c_str(), "%dx%d", &picture.width, &picture.height) != 2 ||
        pixels.out.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
        return Picture();
    picture.rgb.assign(pixels.out.begin(), pixels.out.end());
    return picture;
}

std::string ProbeStreams(const std::string& path)
{
    const ToolOutput result = RunCommand("ffprobe -v error -show_streams " + Quoted(path));
    EXPECT_TRUE(result.ok) << "ffprobe cannot read " << path;
    return result.out;
}

std::vector<std::string> VideoPacketChecksums(const std::string& path)
{
    const ToolOutput result = RunCommand("ffmpeg -v error -i " + Quoted(path) + " -map 0:v -c copy -f framemd5 -");
    EXPECT_TRUE(result.ok) << "ffmpeg cannot read the video of " << path;
    // Lines "stream, dts, pts, duration, size, md5"; '#' starts a comment.
    std::vector<std::string> packets;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t md5 = line.rfind(',');
        const std::size_t size = line.rfind(',', md5 - 1);
        packets.push_back(line.substr(size + 1));
    }
    return packets;
}

void MakeClip(const std::string& path, double seconds, const std::string& rate)
{
    const std::string length = std::to_string(seconds);
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=" + rate + ":duration=" + length +
                                " -f lavfi -i sine=frequency=330:sample_rate=48000:duration=" + length +
                                " -c:v libx264 -preset veryfast -bf 2 -pix_fmt yuv420p -c:a aac -ac 2 " + Quoted(path);
    ASSERT_TRUE(RunCommand(command).ok) << command;
}

}  // namespace vqtest
