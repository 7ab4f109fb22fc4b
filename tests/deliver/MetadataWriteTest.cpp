// Recorder metadata written onto outputs: read back by the test's own chunk reader, by
// libsndfile and by ffprobe; in every container with a place for it; the same bytes on
// every run.
#include "common/EngineStatus.h"
#include "deliver/OutputMetadata.h"
#include "deliver/RiffBytes.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace vqtest;

namespace {

const std::string kHistory = "A=PCM,F=48000,W=24,M=4chn,T=SoundDev 788T\r\n";
const std::string kIxml = "<?xml version=\"1.0\"?><BWFXML><SCENE>7</SCENE><TAKE>2</TAKE></BWFXML>\n";  // odd length
constexpr std::uint64_t kTimeReference = 172800000;

vq::CodingHistoryEntry Entry()
{
    return {48000, 24, "4chn", "0.7.1b", "A-format to B-format, FuMa"};
}

// A take with both chunks, read with the program's reader as the job will.
vq::OutputMetadata TakeMetadata(const TempDir& dir, const Bytes& bext = BextBody("Scene 7", "SoundDev", kTimeReference, kHistory))
{
    const std::string take = dir.File("take.wav");
    WriteBytes(take, RecorderFile(Wave::Riff, {{"bext", bext}, {"iXML", AsBytes(kIxml)}}, {}));
    std::vector<vq::MetadataWarning> warnings;
    return {vq::ReadRecorderMetadata(take, &warnings), vq::FormatCodingHistoryLine(Entry())};
}

// Creates `path` as the writer does (a descriptor libsndfile leaves open), prepares it,
// writes `frames` frames of noise, closes it and completes it on the descriptor.
void WriteOutput(const std::string& path, int format, int channels, int frames, const vq::OutputMetadata& metadata)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    vq::FailureDetail detail;
    ASSERT_EQ(vq::PrepareOutputMetadata(file, format, metadata, &detail), vq::kStatusOk) << detail.reason;
    const Signal samples = Noise(static_cast<std::int64_t>(frames) * channels, 7, 0.4);
    ASSERT_EQ(sf_writef_double(file, samples.data(), frames), frames);
    ASSERT_EQ(sf_close(file), 0);
    EXPECT_EQ(vq::CompleteOutputMetadata(fd, path, format, metadata, &detail), vq::kStatusOk) << detail.reason;
    close(fd);
}

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

struct WaveCase {
    const char* name;
    int format;
    int channels;
    int frames;
};

class RiffOutputs : public testing::TestWithParam<WaveCase> {};

TEST_P(RiffOutputs, CarryTheBextWithOneAddedLineAndTheIxmlUnchanged)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    const WaveCase& c = GetParam();
    const std::string out = dir.File("out");
    WriteOutput(out, c.format, c.channels, c.frames, metadata);

    auto chunks = ChunksOf(ReadBytes(out));
    ASSERT_EQ(chunks["bext"].size(), 1u);
    const Bytes& bext = chunks["bext"][0];
    const Bytes recorded = BextBody("Scene 7", "SoundDev", kTimeReference, "");
    ASSERT_GT(bext.size(), 602u);
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), bext.begin())) << "every fixed field as recorded";
    std::uint64_t timeReference = 0;
    for (int i = 7; i >= 0; --i)
        timeReference = timeReference << 8 | bext[338 + i];
    EXPECT_EQ(timeReference, kTimeReference);
    const std::string history(bext.begin() + 602, bext.end());
    const std::string added = "A=PCM,F=48000,W=24,M=4chn,T=VessarQuilix 0.7.1b; A-format to B-format; FuMa\r\n";
    EXPECT_EQ(history, kHistory + added);
    ASSERT_EQ(chunks["iXML"].size(), 1u);
    EXPECT_EQ(Text(chunks["iXML"][0]), kIxml);

    // libsndfile reads the file, its samples and (in WAV and RF64) its broadcast info back.
    SF_INFO info{};
    SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.frames, c.frames);
    EXPECT_EQ(info.format, c.format);
    std::vector<double> samples(static_cast<std::size_t>(c.frames) * c.channels);
    EXPECT_EQ(sf_readf_double(file, samples.data(), c.frames), c.frames);
    EXPECT_LT(MaxAbsDifference(samples, Noise(static_cast<std::int64_t>(samples.size()), 7, 0.4)), 1e-6);
    if ((c.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_W64) {
        SF_BROADCAST_INFO_VAR(4096) broadcast{};
        ASSERT_EQ(sf_command(file, SFC_GET_BROADCAST_INFO, &broadcast, sizeof broadcast), SF_TRUE);
        EXPECT_EQ(broadcast.time_reference_low, kTimeReference);
        EXPECT_STREQ(broadcast.description, "Scene 7");
    }
    sf_close(file);
}

INSTANTIATE_TEST_SUITE_P(Containers, RiffOutputs,
                         testing::Values(WaveCase{"WaveEx", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 4, 1000},
                                         WaveCase{"WavOddData", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 333},
                                         WaveCase{"Rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 4, 1000},
                                         WaveCase{"Rf64Float", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 2, 777},
                                         WaveCase{"Wave64", SF_FORMAT_W64 | SF_FORMAT_FLOAT, 4, 1000},
                                         WaveCase{"Wave64Odd", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 1, 333}),
                         CaseName());

TEST(OutputMetadata, FfprobeFindsTheBextOfWavAndRf64Outputs)
{
    if (std::system("ffprobe -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    for (const int format : {SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, SF_FORMAT_RF64 | SF_FORMAT_PCM_16}) {
        const std::string out = dir.File("probe.wav");
        WriteOutput(out, format, 2, 4800, metadata);
        const std::string command =
            "ffprobe -v error -show_entries format_tags=time_reference -of default=nw=1:nk=1 '" + out + "'";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        char line[64] = {};
        ASSERT_NE(std::fgets(line, sizeof line, pipe.get()), nullptr) << std::hex << format;
        EXPECT_EQ(std::string(line), "172800000\n");
    }
}

// The entries of a FLAC file's VORBIS_COMMENT block, read from its bytes.
std::vector<std::string> FlacComments(const Bytes& file)
{
    auto number = [&](std::size_t at, int bytes, bool bigEndian) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= std::uint32_t(file.at(at + i)) << (8 * (bigEndian ? bytes - 1 - i : i));
        return value;
    };
    std::vector<std::string> entries;
    EXPECT_EQ(Text(Bytes(file.begin(), file.begin() + 4)), "fLaC");
    for (std::size_t at = 4;;) {
        const int type = file.at(at) & 0x7F;
        const bool last = file.at(at) & 0x80;
        const std::size_t length = number(at + 1, 3, true);
        if (type == 4) {
            std::size_t p = at + 4;
            p += 4 + number(p, 4, false);  // vendor
            const std::uint32_t count = number(p, 4, false);
            p += 4;
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t size = number(p, 4, false);
                entries.emplace_back(file.begin() + p + 4, file.begin() + p + 4 + size);
                p += 4 + size;
            }
            EXPECT_EQ(p, at + 4 + length) << "the entries fill the block";
        }
        at += 4 + length;
        if (last)
            break;
    }
    return entries;
}

TEST(OutputMetadata, FlacGetsVorbisCommentsWithItsFramesIntact)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    const int flac = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    // Prepared, the block is reserved and filled in place; unprepared, the frames move.
    WriteOutput(dir.File("reserved.flac"), flac, 4, 30000, metadata);
    WriteOutput(dir.File("moved.flac"), flac, 4, 30000, vq::OutputMetadata{});
    vq::FailureDetail detail;
    ASSERT_EQ(vq::CompleteOutputMetadata(dir.File("moved.flac"), "moved.flac", flac, metadata, &detail), vq::kStatusOk)
        << detail.reason;
    for (const char* name : {"reserved.flac", "moved.flac"}) {
        // No reservation left behind.
        EXPECT_EQ(FlacComments(ReadBytes(dir.File(name))),
                  (std::vector<std::string>{"DESCRIPTION=Scene 7", "ORIGINATOR=SoundDev", "DATE=2024-05-06T09:10:11",
                                            "TIME_REFERENCE=172800000"}))
            << name;
        const Audio back = ReadAudio(dir.File(name));
        EXPECT_EQ(back.info.frames, 30000) << name;
        EXPECT_LT(MaxAbsDifference(back.samples, Noise(4 * 30000, 7, 0.4)), 1e-6) << name;
        // FLAC checks its own frames: a moved frame that lost a byte fails its CRC.
        if (std::system("ffmpeg -version > /dev/null 2>&1") != 0)
            continue;
        const std::string decode = std::string("ffmpeg -v error -xerror -i '") + dir.File(name) + "' -f null - 2>&1";
        EXPECT_EQ(std::system(decode.c_str()), 0) << name;
    }
}

TEST(OutputMetadata, AiffAndCafKeepWhatLibsndfileStores)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    for (const int format : {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, SF_FORMAT_CAF | SF_FORMAT_FLOAT}) {
        const std::string out = dir.File("out");
        WriteOutput(out, format, 2, 1000, metadata);
        SF_INFO info{};
        SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        EXPECT_STREQ(sf_get_string(file, SF_STR_COMMENT), "Scene 7");
        EXPECT_STREQ(sf_get_string(file, SF_STR_ARTIST), "SoundDev");
        SF_CHUNK_INFO wanted{};
        std::strcpy(wanted.id, "iXML");
        wanted.id_size = 4;
        SF_CHUNK_ITERATOR* chunk = sf_get_chunk_iterator(file, &wanted);
        ASSERT_NE(chunk, nullptr);
        SF_CHUNK_INFO found{};
        ASSERT_EQ(sf_get_chunk_size(chunk, &found), SF_ERR_NO_ERROR);
        std::vector<char> data(found.datalen);
        found.data = data.data();
        ASSERT_EQ(sf_get_chunk_data(chunk, &found), SF_ERR_NO_ERROR);
        // libsndfile rounds a chunk up to four bytes with zeros.
        EXPECT_EQ(std::string(data.data(), kIxml.size()), kIxml);
        sf_close(file);
    }
}

TEST(OutputMetadata, IdenticalRunsGiveIdenticalBytes)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    const int formats[] = {SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                           SF_FORMAT_RF64 | SF_FORMAT_FLOAT,  SF_FORMAT_W64 | SF_FORMAT_FLOAT,
                           SF_FORMAT_AIFF | SF_FORMAT_FLOAT,  SF_FORMAT_CAF | SF_FORMAT_FLOAT,
                           SF_FORMAT_FLAC | SF_FORMAT_PCM_16};
    for (const int format : formats) {
        for (const vq::OutputMetadata& m : {metadata, vq::OutputMetadata{}}) {
            WriteOutput(dir.File("first"), format, 4, 2000, m);
            WriteOutput(dir.File("second"), format, 4, 2000, m);
            const Bytes first = ReadBytes(dir.File("first"));
            EXPECT_EQ(first, ReadBytes(dir.File("second"))) << std::hex << format;
            // libsndfile time-stamps its PEAK chunk to the second: two runs in one second
            // would not show it, so it must not be there at all, or (AIFF, which keeps it)
            // hold no time.
            const std::string text(first.begin(), first.end());
            const std::size_t peak = text.find("PEAK");
            if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_AIFF) {
                EXPECT_EQ(peak, std::string::npos) << std::hex << format;
                continue;
            }
            ASSERT_NE(peak, std::string::npos);
            EXPECT_EQ(text.substr(peak + 12, 4), std::string(4, '\0')) << "the time of an AIFF file's PEAK chunk";
        }
    }
}

TEST(OutputMetadata, MalformedBextGivesAWarningAndAnOutputWithTheIxml)
{
    TempDir dir;
    Bytes bext = BextBody("Scene 7", "SoundDev", kTimeReference, kHistory);
    bext[3] = 0x02;  // inside the description
    const std::string take = dir.File("take.wav");
    WriteBytes(take, RecorderFile(Wave::Riff, {{"bext", bext}, {"iXML", AsBytes(kIxml)}}, {}));
    std::vector<vq::MetadataWarning> warnings;
    const vq::OutputMetadata metadata{vq::ReadRecorderMetadata(take, &warnings), vq::FormatCodingHistoryLine(Entry())};
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].path, take);
    const std::string out = dir.File("out.wav");
    WriteOutput(out, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 4, 500, metadata);
    auto chunks = ChunksOf(ReadBytes(out));
    EXPECT_EQ(chunks.count("bext"), 0u);
    ASSERT_EQ(chunks["iXML"].size(), 1u);
    EXPECT_EQ(Text(chunks["iXML"][0]), kIxml);
    EXPECT_EQ(ReadAudio(out).info.frames, 500);
}

TEST(OutputMetadata, AppendsOnlyToAFileItUnderstands)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    const int wav = SF_FORMAT_WAVEX | SF_FORMAT_PCM_16;
    // A header that disagrees with the file's length, and a file of another kind.
    WriteOutput(dir.File("long.wav"), wav, 2, 100, vq::OutputMetadata{});
    Bytes longer = ReadBytes(dir.File("long.wav"));
    longer.resize(longer.size() + 10, 0);
    WriteBytes(dir.File("long.wav"), longer);
    WriteBytes(dir.File("text.wav"), AsBytes("not a sound file at all, but long enough to be read"));
    for (const char* name : {"long.wav", "text.wav"}) {
        const Bytes before = ReadBytes(dir.File(name));
        vq::FailureDetail detail;
        EXPECT_EQ(vq::CompleteOutputMetadata(dir.File(name), name, wav, metadata, &detail), vq::kOutputWriteFailed);
        EXPECT_EQ(detail.path, name);
        EXPECT_FALSE(detail.reason.empty());
        EXPECT_EQ(ReadBytes(dir.File(name)), before) << name;
    }
    vq::FailureDetail detail;
    EXPECT_EQ(vq::CompleteOutputMetadata(dir.File("missing.wav"), "missing.wav", wav, metadata, &detail),
              vq::kOutputWriteFailed);
}

TEST(OutputMetadata, TrailingBytesBoundWhatTheFileGrowsBy)
{
    TempDir dir;
    const vq::OutputMetadata metadata = TakeMetadata(dir);
    for (const int format : {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, SF_FORMAT_W64 | SF_FORMAT_PCM_24}) {
        WriteOutput(dir.File("plain"), format, 1, 333, vq::OutputMetadata{});
        WriteOutput(dir.File("with"), format, 1, 333, metadata);
        const std::size_t growth = ReadBytes(dir.File("with")).size() - ReadBytes(dir.File("plain")).size();
        EXPECT_GT(growth, kIxml.size() + 602);
        EXPECT_LE(growth, vq::TrailingMetadataBytes(format, metadata));
    }
    EXPECT_EQ(vq::TrailingMetadataBytes(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, metadata), 0u);
}

TEST(OutputMetadata, CodingHistoryLineKeepsItsFieldsApart)
{
    EXPECT_EQ(vq::FormatCodingHistoryLine({96000, 32, "stereo", "1.0", ""}),
              "A=PCM,F=96000,W=32,M=stereo,T=VessarQuilix 1.0\r\n");
    EXPECT_EQ(vq::FormatCodingHistoryLine({48000, 16, "6chn, 5.1", "1.0", "decode,\r\nUHJ"}),
              "A=PCM,F=48000,W=16,M=6chn; 5.1,T=VessarQuilix 1.0; decode;  UHJ\r\n");
}

TEST(OutputMetadata, EveryContainerHasARowSayingWhatItKeeps)
{
    for (const int type : {SF_FORMAT_WAV, SF_FORMAT_WAVEX, SF_FORMAT_RF64, SF_FORMAT_W64, SF_FORMAT_FLAC,
                           SF_FORMAT_AIFF, SF_FORMAT_CAF}) {
        const vq::MetadataKept* row = vq::MetadataKeptFor(type | SF_FORMAT_PCM_16);
        ASSERT_NE(row, nullptr) << std::hex << type;
        EXPECT_GT(std::strlen(row->kept), 10u);
    }
    EXPECT_EQ(vq::MetadataKeptFor(SF_FORMAT_OGG | SF_FORMAT_VORBIS), nullptr);
}

}  // namespace
