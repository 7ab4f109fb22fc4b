// vessarquilix-convert writing movies for 360-degree video, as a user runs it: the spatial-audio
// box read by the tests' own box reader and by ffprobe, the PCM of a MOV against the AmbiX WAV
// of the same take, a clip's video copied packet for packet, the direction kept through AAC,
// the head-locked pair, and every bad input refused before any output exists.
#include "cli/CommandFixture.h"
#include "movie/BoxReader.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace vqtest {
namespace {

constexpr std::int64_t kTakeFrames = 24000;  // half a second at 48 kHz
constexpr std::size_t kClipFrames = 19200;    // the test clip's 0.4 s

// The samples of a 16- or 24-bit file as libsndfile gives them, left-justified in 32 bits.
std::vector<int> ReadInts(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path;
    if (!file)
        return {};
    std::vector<int> samples(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_int(file, samples.data(), info.frames), info.frames);
    sf_close(file);
    return samples;
}

class MovieCommand : public CommandTest {
protected:
    MovieCommand() { WriteTake("live", kTakeFrames, 3); }

    // One clip for every test that needs one (made by ffmpeg, which must be there), and the
    // checksums of its video packets.
    static const std::string& Clip()
    {
        static TempDir dir;
        static const std::string clip = dir.File("clip.mp4");
        if (!std::ifstream(clip))
            MakeClip(clip, static_cast<double>(kClipFrames) / 48000);
        return clip;
    }
    static const std::vector<std::string>& ClipPackets()
    {
        static const std::vector<std::string> packets = VideoPacketChecksums(Clip());
        return packets;
    }

    // Converts the take `live` with the filters and `args`.
    CommandResult ConvertLive(std::vector<std::string> args) const
    {
        args.insert(args.end(), {"--filters", "filters", "liveF.wav"});
        return Convert(args);
    }

    // Hidden files (a movie's audio, a pending output) left in the working directory.
    std::vector<std::string> HiddenFiles() const
    {
        std::vector<std::string> hidden;
        for (const std::string& name : Listing())
            if (name[0] == '.')
                hidden.push_back(name);
        return hidden;
    }
};

TEST_F(MovieCommand, MovSampleEntryCarriesFirstOrderAmbixBox)
{
    const CommandResult r = ConvertLive({"--convention", "ambix", "--container", "mov"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Wrote live_AmbiX.mov"), std::string::npos) << r.out;
    EXPECT_TRUE(HiddenFiles().empty());

    const MovieFile movie(File("live_AmbiX.mov"));
    ASSERT_EQ(movie.Problem(), "");
    ASSERT_EQ(movie.Tracks("soun").size(), 1u);
    EXPECT_TRUE(movie.Tracks("vide").empty());
    const FileBox* entry = movie.SampleEntry(*movie.Tracks("soun")[0]);
    ASSERT_NE(entry, nullptr);
    const FileBox* sa3d = entry->Child("SA3D");
    ASSERT_NE(sa3d, nullptr);
    const std::uint64_t at = sa3d->payload;
    EXPECT_EQ(sa3d->size, 8u + 12u + 4u * 4u);
    EXPECT_EQ(movie.U8(at), 0u) << "version";
    EXPECT_EQ(movie.U8(at + 1), 0u) << "ambisonic type: periphonic";
    EXPECT_EQ(movie.U32(at + 2), 1u) << "ambisonic order";
    EXPECT_EQ(movie.U8(at + 6), 0u) << "channel ordering: ACN";
    EXPECT_EQ(movie.U8(at + 7), 0u) << "normalisation: SN3D";
    ASSERT_EQ(movie.U32(at + 8), 4u) << "channels";
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(movie.U32(at + 12 + 4 * i), i) << "channel map entry " << i;
}

TEST_F(MovieCommand, FfprobeReadsTheMovAsAmbisonic)
{
    VQ_REQUIRE_FFMPEG();
    const CommandResult r = ConvertLive({"--convention", "ambix", "--container", "mov", "-o", "take.mov"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string streams = ProbeStreams(File("take.mov"));
    EXPECT_NE(streams.find("channel_layout=ambisonic 1\n"), std::string::npos) << streams;
}

// What ffmpeg decodes from the MOV is, sample for sample, the AmbiX WAV the same command line
// writes with the same format (dither included).
TEST_F(MovieCommand, PcmDecodesToTheAmbixWavSampleForSample)
{
    VQ_REQUIRE_FFMPEG();
    struct Case {
        const char* format;  // --format
        bool dither;
    };
    const std::size_t samples = static_cast<std::size_t>(4 * (kTakeFrames + kTaps));
    for (const Case& c : {Case{"pcm16", true}, Case{"pcm24", false}, Case{"float", false}}) {
        SCOPED_TRACE(c.format);
        const std::string wavName = std::string(c.format) + ".wav", movName = std::string(c.format) + ".mov";
        for (const std::string& name : {wavName, movName}) {
            std::vector<std::string> args = {"--convention", "ambix", "--format", c.format, "-o", name};
            if (c.dither)
                args.insert(args.end(), {"--dither", "tpdf"});
            const CommandResult r = ConvertLive(args);
            ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
        }
        if (std::string(c.format) == "float") {
            const Audio wav = ReadAudio(File(wavName));
            const std::vector<float> movie = DecodeFloat(File(movName));
            ASSERT_EQ(movie.size(), wav.samples.size());
            ASSERT_GE(movie.size(), samples);
            for (std::size_t i = 0; i < movie.size(); ++i)
                ASSERT_EQ(movie[i], static_cast<float>(wav.samples[i])) << "sample " << i;
            continue;
        }
        const std::vector<int> wav = ReadInts(File(wavName));
        std::vector<int> movie;
        if (std::string(c.format) == "pcm16") {
            for (std::int16_t s : DecodeInt16(File(movName)))
                movie.push_back(static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(s)) << 16));
        } else {
            const std::vector<std::int32_t> decoded = DecodeInt32(File(movName));
            movie.assign(decoded.begin(), decoded.end());
        }
        ASSERT_GE(wav.size(), samples);
        EXPECT_EQ(movie, wav);
    }
}

// Appends an iXML chunk to a finished WAV file, as a field recorder writes one.
void AppendIxml(const std::string& path, const std::string& xml)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary | std::ios::ate);
    const std::uint32_t bodySize = static_cast<std::uint32_t>(xml.size());
    std::string chunk = "iXML";
    for (int i = 0; i < 4; ++i)
        chunk += static_cast<char>(bodySize >> (8 * i));
    chunk += xml + std::string(xml.size() % 2, '\0');
    file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::uint32_t riffSize = static_cast<std::uint32_t>(file.tellp()) - 8;
    file.seekp(4);
    for (int i = 0; i < 4; ++i)
        file.put(static_cast<char>(riffSize >> (8 * i)));
}

// A recorder's session from end to end: a take of six channels (boom, lavalier, the four
// capsules) with bext and iXML, split by the recorder into three parts, joined, its capsule
// channels chosen, kept in sync and written as AmbiX in a MOV under a clip with a report. Its
// sound is, sample for sample, what the unsplit four-channel take converts to.
TEST_F(MovieCommand, ARecorderSessionSplitInThreeGivesTheUnsplitTakesMovie)
{
    VQ_REQUIRE_FFMPEG();
    const std::string filters = std::string(VQ_STAGE_DATA_DIR) + "/filters";
    // Parts of several read pieces each, split inside the engines' pieces and blocks.
    const std::vector<std::int64_t> bounds = {0, 40013, 90017, 120960};  // 2.52 s, 63 frames of the clip
    std::vector<Signal> poly = {Noise(bounds.back(), 61, 0.8), Noise(bounds.back(), 62, 0.8)};
    for (int k = 0; k < 4; ++k)
        poly.push_back(Noise(bounds.back(), 63 + k, 0.2));
    const int format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    const std::uint64_t start = 48000ull * 3600 * 10;  // ten o'clock
    std::vector<std::string> parts;
    for (std::size_t p = 0; p + 1 < bounds.size(); ++p) {
        std::vector<Signal> channels;
        for (const Signal& c : poly)
            channels.emplace_back(c.begin() + bounds[p], c.begin() + bounds[p + 1]);
        parts.push_back("SCENE12_T03_00" + std::to_string(p + 1) + ".wav");
        WriteTimedChannels(File(parts.back()), channels, start + static_cast<std::uint64_t>(bounds[p]), 48000, format);
        AppendIxml(File(parts.back()), "<BWFXML><SCENE>12</SCENE><TAKE>3</TAKE></BWFXML>");
    }
    WriteTimedChannels(File("unsplit.wav"), std::vector<Signal>(poly.begin() + 2, poly.end()), start, 48000, format);
    const std::string clip = File("session-clip.mp4");
    MakeClip(clip, 2.52);

    std::vector<std::string> args = {"--filters", filters, "--join", "--channels", "3,4,5,6", "--align",
                                     "--convention", "ambix", "--container", "mov", "--video", clip,
                                     "--report", "session.json", "-o", "session.mov"};
    args.insert(args.end(), parts.begin(), parts.end());
    const CommandResult session = Convert(args);
    ASSERT_EQ(session.exitCode, 0) << session.err;
    EXPECT_NE(session.out.find("Joined 3 parts into one take"), std::string::npos) << session.out;
    EXPECT_EQ(session.err.find("Warning"), std::string::npos) << "the parts follow on: " << session.err;
    const CommandResult unsplit = Convert({"--filters", filters, "--align", "--convention", "ambix", "--container",
                                           "mov", "--video", clip, "-o", "unsplit.mov", "unsplit.wav"});
    ASSERT_EQ(unsplit.exitCode, 0) << unsplit.err;

    const std::vector<std::int32_t> joined = DecodeInt32(File("session.mov"));
    ASSERT_EQ(joined.size(), 4u * static_cast<std::size_t>(bounds.back())) << "as long as the take and the clip";
    EXPECT_TRUE(joined == DecodeInt32(File("unsplit.mov"))) << "the joined parts give the unsplit take";
    EXPECT_EQ(VideoPacketChecksums(File("session.mov")), VideoPacketChecksums(clip));
    const std::string report = Bytes("session.json");
    for (const std::string& part : parts)
        EXPECT_NE(report.find(part), std::string::npos) << part << " in\n" << report;
    EXPECT_NE(report.find("session.mov"), std::string::npos) << report;
}

// The clip's video packets come out as they went in, and a shorter take is padded with
// silence to the video's length, a longer one cut, with a note.
TEST_F(MovieCommand, VideoCopiedAndTakeFittedToIt)
{
    VQ_REQUIRE_FFMPEG();
    struct Case {
        const char* take;
        std::int64_t frames;
        const char* note;
    };
    const Case cases[] = {
        {"short", 14400, "0.30 s) is shorter than the video (0.40 s): 0.10 s of silence follow it."},
        {"long", 24000, "0.50 s) is longer than the video (0.40 s): its last 0.10 s are left out."},
    };
    ASSERT_FALSE(ClipPackets().empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.take);
        WriteTake(c.take, c.frames, 11);
        const CommandResult r = Convert({"--filters", "filters", "--convention", "ambix", "--container", "mov",
                                         "--align", "--format", "float", "--video", Clip(), c.take + std::string("F.wav")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("Note: The take (") + c.note), std::string::npos) << r.out;

        const std::string movie = File(c.take + std::string("_AmbiX.mov"));
        EXPECT_EQ(VideoPacketChecksums(movie), ClipPackets());
        const std::vector<float> audio = DecodeFloat(movie);
        ASSERT_EQ(audio.size(), 4 * kClipFrames) << "as long as the video";
        const std::size_t taken = std::min(static_cast<std::size_t>(c.frames), kClipFrames);
        const auto loudest = [&](std::size_t from, std::size_t to) {
            float peak = 0;
            for (std::size_t i = 4 * from; i < 4 * to; ++i)
                peak = std::max(peak, std::fabs(audio[i]));
            return peak;
        };
        EXPECT_GT(loudest(0, taken), 0.01f);
        EXPECT_EQ(loudest(taken, kClipFrames), 0.0f) << "silence after the take";
    }
}

// An MP4 of AAC under a clip's video decodes, and its W, Y, Z, X still point at the source:
// a B-format take of a plane wave, passed through without filters.
// A take's time reference (bext) is the movie's start timecode: under a clip, a timecode track
// at the clip's frame rate (half a second past the hour is frame 15 at 29.97 frames a second,
// counted as 30, and frame 12 at 25); without one, the movie's timecode tag at 25 frames a
// second. ffprobe reads it, and the report gives the same start.
TEST_F(MovieCommand, TheTakesTimeReferenceIsTheMoviesStartTimecode)
{
    VQ_REQUIRE_FFMPEG();
    struct Case {
        std::uint64_t reference;
        const char* clipRate;  // empty: no clip
        const char* container;
        const char* timecode;
        const char* reportedRate;
    };
    const Case cases[] = {
        {172800000, "25", "mov", "01:00:00:00", "25"},
        {172800000 + 24000, "30000/1001", "mov", "01:00:00:15", "30000/1001"},
        {172800000 + 24000, "30000/1001", "mp4", "01:00:00:15", "30000/1001"},
        {172800000 + 24000, "", "mov", "01:00:00:12", "25"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.container) + " " + c.timecode;
        for (const char* side : {"F", "R"})
            WriteTimedChannels(File(std::string("clock") + side + ".wav"),
                               {Noise(kTakeFrames, 1, 0.3), Noise(kTakeFrames, 2, 0.3)}, c.reference);
        std::vector<std::string> args = {"--convention", "ambix", "--container", c.container, "-y", "--filters",
                                         "filters", "--report", "run.json", "-o", std::string("clock.") + c.container};
        const std::string clip = File(std::string("clip") + (*c.clipRate ? "" : "-none") + ".mp4");
        if (*c.clipRate) {
            MakeClip(clip, 0.5, c.clipRate);
            args.insert(args.end(), {"--video", clip});
        }
        args.push_back("clockF.wav");
        const CommandResult r = Convert(args);
        ASSERT_EQ(r.exitCode, 0) << what << "\n" << r.err;

        const ToolOutput probe = RunCommand("ffprobe -v error -show_entries stream=codec_tag_string:stream_tags=timecode"
                                            ":format_tags=timecode -of compact " + Quoted(File(std::string("clock.") + c.container)));
        ASSERT_TRUE(probe.ok) << probe.out;
        const std::string tag = std::string("timecode=") + c.timecode;
        if (*c.clipRate) {
            EXPECT_NE(probe.out.find("codec_tag_string=tmcd|tag:" + tag), std::string::npos)
                << what << ": a timecode track, read back at its own rate\n" << probe.out;
        } else {
            EXPECT_NE(probe.out.find("format|tag:" + tag), std::string::npos) << what << "\n" << probe.out;
        }
        std::ifstream report(File("run.json"));
        const std::string json((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
        const std::string start = "\"start\": {\n            \"samples\": " + std::to_string(c.reference) +
                                  ",\n            \"timecode\": \"" + c.timecode +
                                  "\",\n            \"timecode_rate\": \"" + c.reportedRate + "\"";
        EXPECT_NE(json.find(start), std::string::npos) << what << "\n" << json;
    }
}

// With --video, --map draws the map over the frame from the middle of the clip, at the clip's
// size, blended: a source on the left (+90) covers the picture a quarter of the way across,
// at the horizon, and where nothing sounds the clip's picture shows through. The clip is a
// still test pattern, so that ffmpeg's first frame is the frame beneath.
TEST_F(MovieCommand, TheMapGoesOverAFrameOfTheClipAtItsSize)
{
    VQ_REQUIRE_FFMPEG();
    const std::string bars = File("bars.mp4");
    ASSERT_TRUE(RunCommand("ffmpeg -v error -y -f lavfi -i smptebars=size=320x160:rate=25:duration=1 -c:v libx264 "
                           "-pix_fmt yuv420p " + Quoted(bars)).ok);
    const std::array<Signal, 4> wxyz = FromDirection(Noise(48000, 9, 0.3), 90.0, 0.0);
    WriteChannels(File("left.wav"), {wxyz[0], wxyz[1], wxyz[2], wxyz[3]});
    const CommandResult r = Convert({"--input-format", "fuma", "--convention", "ambix", "--container", "mov",
                                     "--video", bars, "--map", "over.png", "left.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(HiddenFiles().empty()) << "the frame's file is gone";
    const Picture frame = DecodePicture(bars);
    const Picture over = DecodePicture(File("over.png"));
    ASSERT_EQ(over.width, 320);
    ASSERT_EQ(over.height, 160);
    ASSERT_EQ(frame.rgb.size(), over.rgb.size());
    // How much the picture differs from the frame around (x, y), on average over 9 x 9 pixels
    // (the marks' thin lines and their names at the top count for little there).
    const auto change = [&](int x, int y) {
        double sum = 0.0;
        for (int v = y - 4; v <= y + 4; ++v)
            for (int u = x - 4; u <= x + 4; ++u)
                for (int c = 0; c < 3; ++c)
                    sum += std::fabs(double(over.At(u, v)[c]) - frame.At(u, v)[c]);
        return sum / (81 * 3);
    };
    // Where the map covers the frame the most, below the names, and how much at -90 (the right).
    double most = -1.0;
    int mostX = 0, mostY = 0;
    for (int y = over.height / 4; y < over.height * 3 / 4; ++y)
        for (int x = 4; x < over.width - 4; ++x)
            if (change(x, y) > most)
                most = change(x, y), mostX = x, mostY = y;
    const double right = change(over.width * 3 / 4 + 10, over.height / 2);
    EXPECT_LT(mostX, over.width / 2) << "the left is on the left";
    EXPECT_NEAR(180.0 - (mostX + 0.5) * 360.0 / over.width, 90.0, 8.0);
    EXPECT_NEAR(90.0 - (mostY + 0.5) * 180.0 / over.height, 0.0, 8.0);
    EXPECT_GT(most, 2.0 * right) << "the source's colour over the frame, against " << right;
    EXPECT_LT(right, 40.0) << "the clip's picture shows through where nothing sounds";
}

TEST_F(MovieCommand, AacMp4UnderVideoPointsAtTheSource)
{
    VQ_REQUIRE_FFMPEG();
    const double az = 60 * M_PI / 180, el = 20 * M_PI / 180;
    const Signal s = Noise(static_cast<std::int64_t>(kClipFrames), 5, 0.3);
    std::vector<Signal> ambix(4, Signal(s.size()));
    const double gains[4] = {1.0, std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)};
    for (int c = 0; c < 4; ++c)
        std::transform(s.begin(), s.end(), ambix[c].begin(), [&](double x) { return gains[c] * x; });
    WriteChannels(File("wave.wav"), ambix);

    const CommandResult r = Convert({"--input-format", "ambix", "--convention", "ambix", "--gain", "0", "--container",
                                     "mp4", "--video", Clip(), "-o", "wave.mp4", "wave.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("Note:"), std::string::npos) << "take and video are equally long: " << r.out;
    EXPECT_NE(ProbeStreams(File("wave.mp4")).find("codec_name=aac\n"), std::string::npos);

    // AAC decodes in frames of 1024: the last one may run past the movie's end.
    const std::vector<float> decoded = DecodeFloat(File("wave.mp4"));
    ASSERT_GE(decoded.size(), 4 * kClipFrames);
    double intensity[3] = {0, 0, 0};  // the sums of W * X, W * Y, W * Z
    for (std::size_t n = 0; n < 4 * kClipFrames; n += 4) {
        intensity[0] += decoded[n] * decoded[n + 3];
        intensity[1] += decoded[n] * decoded[n + 1];
        intensity[2] += decoded[n] * decoded[n + 2];
    }
    const double source[3] = {std::cos(az) * std::cos(el), std::sin(az) * std::cos(el), std::sin(el)};
    const double length = std::sqrt(intensity[0] * intensity[0] + intensity[1] * intensity[1] + intensity[2] * intensity[2]);
    const double cosine = (intensity[0] * source[0] + intensity[1] * source[1] + intensity[2] * source[2]) / length;
    EXPECT_LT(std::acos(std::min(1.0, cosine)) * 180 / M_PI, 5.0);
}

// A head-locked stereo file becomes channels 5 and 6, sample for sample, with the 6-channel
// map in the spatial-audio box; after its end (the filters make the output longer) it is silent.
TEST_F(MovieCommand, HeadLockedPairIsChannelsFiveAndSix)
{
    VQ_REQUIRE_FFMPEG();
    WriteChannels(File("pair.wav"), {Noise(kTakeFrames, 21, 0.5), Noise(kTakeFrames, 22, 0.5)}, 48000,
                  SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const CommandResult r =
        ConvertLive({"--convention", "ambix", "--container", "mov", "--format", "pcm24", "--head-locked", "pair.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    const MovieFile movie(File("live_AmbiX.mov"));
    ASSERT_EQ(movie.Problem(), "");
    const FileBox* entry = movie.SampleEntry(*movie.Tracks("soun").at(0));
    ASSERT_NE(entry, nullptr);
    const FileBox* sa3d = entry->Child("SA3D");
    ASSERT_NE(sa3d, nullptr);
    EXPECT_EQ(movie.U8(sa3d->payload + 1), 0x80u) << "head-locked flag, periphonic";
    ASSERT_EQ(movie.U32(sa3d->payload + 8), 6u);
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(movie.U32(sa3d->payload + 12 + 4 * i), i) << "channel map entry " << i;

    const std::vector<int> pair = ReadInts(File("pair.wav"));
    const std::vector<std::int32_t> decoded = DecodeInt32(File("live_AmbiX.mov"));
    ASSERT_EQ(decoded.size(), 6u * static_cast<std::size_t>(kTakeFrames + kTaps));
    for (std::size_t n = 0; n < decoded.size() / 6; ++n)
        for (std::size_t c = 0; c < 2; ++c)
            ASSERT_EQ(decoded[6 * n + 4 + c], n < static_cast<std::size_t>(kTakeFrames) ? pair[2 * n + c] : 0)
                << "frame " << n << ", channel " << 5 + c;
}

struct BadInputCase {
    const char* name;
    std::vector<std::string> args;  // besides the filters and the take
    int exitCode;
    const char* message;  // a part of the message
    const char* file;     // the file the message names; "" for a usage error
};

void PrintTo(const BadInputCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::vector<std::string> kAmbixMov = {"--convention", "ambix", "--container", "mov"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A clip FFmpeg opens whose video cannot all be read (cut short, or four bytes of its index
// changed) gives no movie without its video: the take fails naming the clip, and nothing is
// left, hidden files included.
TEST_F(MovieCommand, ADamagedClipGivesNoMovieAndIsNamed)
{
    VQ_REQUIRE_FFMPEG();
    // The index first, so that a cut leaves it whole.
    const std::string indexed = File("indexed.mp4");
    ASSERT_TRUE(RunCommand("ffmpeg -v error -i " + Quoted(Clip()) + " -c copy -movflags +faststart " + Quoted(indexed)).ok);
    const std::string bytes = Bytes("indexed.mp4");
    const std::size_t media = bytes.find("mdat");
    const std::size_t offsets = bytes.find("stco");  // of the first track, the video's
    ASSERT_TRUE(media != std::string::npos && offsets != std::string::npos && offsets < media);
    std::ofstream(File("cut.mp4"), std::ios::binary) << bytes.substr(0, media + (bytes.size() - media) / 3);
    std::string changed = bytes;
    changed.replace(offsets + 12, 4, "\xFF\xFF\xFF\xFF");  // the first chunk's offset
    std::ofstream(File("changed.mp4"), std::ios::binary) << changed;
    std::remove(indexed.c_str());

    for (const std::string clip : {"cut.mp4", "changed.mp4"}) {
        ASSERT_NE(ProbeStreams(File(clip)).find("codec_type=video"), std::string::npos) << "FFmpeg opens " << clip;
        const std::vector<std::string> before = Listing();
        const CommandResult r = ConvertLive(With(kAmbixMov, {"--video", clip, "-o", "movie.mov"}));
        EXPECT_EQ(r.exitCode, 1) << clip << "\n" << r.err;
        EXPECT_NE(r.err.find("The video clip cannot be read.\n" + clip + ": "), std::string::npos) << r.err;
        EXPECT_EQ(Listing(), before) << clip;
    }
}

class BadMovieInput : public MovieCommand, public testing::WithParamInterface<BadInputCase> {
protected:
    BadMovieInput()
    {
        WriteChannels(File("sound.wav"), {Noise(100, 1)});
        std::ofstream(File("text.mp4")) << "not a movie\n";
        WriteChannels(File("pair44k.wav"), {Noise(kTakeFrames, 1), Noise(kTakeFrames, 2)}, 44100);
        WriteChannels(File("pairshort.wav"), {Noise(kTakeFrames - 1, 1), Noise(kTakeFrames - 1, 2)});
        WriteChannels(File("mono.wav"), {Noise(kTakeFrames, 1)});
        std::ofstream(File("exists.mov")) << "earlier";
    }
};

// Refused with a message naming the file, before any output exists: nothing new in the
// folder, hidden files included, and an earlier movie as it was.
TEST_P(BadMovieInput, RefusedBeforeAnyOutputExists)
{
    const BadInputCase& c = GetParam();
    const std::vector<std::string> before = Listing();
    const CommandResult r = ConvertLive(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
    EXPECT_EQ(Listing(), before);
    EXPECT_EQ(Bytes("exists.mov"), "earlier");
}

const BadInputCase kBadInputs[] = {
    {"ClipWithoutVideo", With(kAmbixMov, {"--video", "sound.wav"}), 1, "The video clip holds no video.", "sound.wav:"},
    {"ClipNotAMovie", With(kAmbixMov, {"--video", "text.mp4"}), 1, "The video clip cannot be read.", "text.mp4:"},
    {"ClipMissing", With(kAmbixMov, {"--video", "gone.mp4"}), 1, "No such file", "gone.mp4:"},
    {"HeadLockedOfAnotherRate", With(kAmbixMov, {"--head-locked", "pair44k.wav"}), 1, "another sample rate",
     "pair44k.wav: it is at 44100 Hz, the take at 48000 Hz"},
    {"HeadLockedOfAnotherLength", With(kAmbixMov, {"--head-locked", "pairshort.wav"}), 1, "another length",
     "pairshort.wav: it has 23999 frames, the take 24000"},
    {"HeadLockedInMono", With(kAmbixMov, {"--head-locked", "mono.wav"}), 1, "must be a stereo file", "mono.wav:"},
    {"MovieExists", With(kAmbixMov, {"-o", "exists.mov"}), 1, "already exists", "exists.mov"},
    {"FuMaMovie", {"--container", "mov"}, 2, "holds AmbiX B-format only", ""},
    {"DecodeIntoMp4", {"--mode", "binaural", "--container", "mp4"}, 2, "holds AmbiX B-format only", ""},
    {"MovieOfFourFiles", {"--convention", "ambix", "--files", "4", "--container", "mp4"}, 2, "in one file", ""},
    {"VideoWithoutMovie", {"--convention", "ambix", "--video", "text.mp4"}, 2, "--video goes with a movie", ""},
    {"CodecOfAMov", With(kAmbixMov, {"--codec", "opus"}), 2, "--codec chooses the audio of an MP4", ""},
};
INSTANTIATE_TEST_SUITE_P(Cases, BadMovieInput, testing::ValuesIn(kBadInputs), CaseName());

}  // namespace
}  // namespace vqtest
