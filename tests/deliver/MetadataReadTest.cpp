// Recorder metadata read from takes: bext and iXML wherever they stand in WAV, RF64 and
// Wave64 files, and malformed chunks left out with a warning, never a failure.
#include "deliver/RecorderMetadata.h"
#include "deliver/RiffBytes.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vqtest;

namespace {

const std::string kHistory = "A=ANALOGUE,M=stereo,T=Studer A820\r\nA=PCM,F=48000,W=24,M=4chn,T=recorder\r\n";
const std::string kIxml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BWFXML><SCENE>12A</SCENE><TAKE>3</TAKE>"
                          "<NOTE>caf\xC3\xA9</NOTE></BWFXML>";
// More than 32 bits: the time reference is a 64-bit count.
constexpr std::uint64_t kTimeReference = 0x100000000ull + 172800000ull;

struct Layout {
    const char* name;
    Wave kind;
    bool afterData;
};

class ReadsWhereverTheyStand : public testing::TestWithParam<Layout> {};

TEST_P(ReadsWhereverTheyStand, EveryFieldAndTheIxmlAsRecorded)
{
    TempDir dir;
    const std::string path = dir.File("take.wav");
    const std::vector<RawChunk> chunks = {{"bext", BextBody("Scene 12A take 3", "SoundDev 788T", kTimeReference, kHistory)},
                                          {"iXML", AsBytes(kIxml)}};
    const Layout& layout = GetParam();
    WriteBytes(path, RecorderFile(layout.kind, layout.afterData ? std::vector<RawChunk>{} : chunks,
                                  layout.afterData ? chunks : std::vector<RawChunk>{}));
    std::vector<vq::MetadataWarning> warnings;
    const vq::RecorderMetadata metadata = vq::ReadRecorderMetadata(path, &warnings);
    EXPECT_TRUE(warnings.empty());
    ASSERT_TRUE(metadata.bext);
    EXPECT_EQ(metadata.bext->Description(), "Scene 12A take 3");
    EXPECT_EQ(metadata.bext->Originator(), "SoundDev 788T");
    EXPECT_EQ(metadata.bext->OriginatorReference(), "USID0123456789");
    EXPECT_EQ(metadata.bext->OriginationDate(), "2024-05-06");
    EXPECT_EQ(metadata.bext->OriginationTime(), "09:10:11");
    EXPECT_EQ(metadata.bext->TimeReference(), kTimeReference);
    EXPECT_EQ(metadata.bext->CodingHistory(), kHistory);
    EXPECT_EQ(metadata.ixml, AsBytes(kIxml));
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReadsWhereverTheyStand,
                         testing::Values(Layout{"WavBeforeData", Wave::Riff, false}, Layout{"WavAfterData", Wave::Riff, true},
                                         Layout{"Rf64", Wave::Rf64, false}, Layout{"Rf64AfterData", Wave::Rf64, true},
                                         Layout{"Wave64", Wave::Wave64, false}, Layout{"Wave64AfterData", Wave::Wave64, true}),
                         CaseName());

struct Malformed {
    const char* name;
    std::vector<RawChunk> after;  // behind the data, where a chunk can run past the end
    const char* reasonHas;
    bool bextKept;
    bool ixmlKept;
};

class MalformedChunks : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedChunks, AreLeftOutWithAWarningNamingTheFile)
{
    TempDir dir;
    const std::string path = dir.File("bad take.wav");
    const Malformed& c = GetParam();
    WriteBytes(path, RecorderFile(Wave::Riff, {}, c.after));
    std::vector<vq::MetadataWarning> warnings;
    const vq::RecorderMetadata metadata = vq::ReadRecorderMetadata(path, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].path, path);
    EXPECT_NE(warnings[0].reason.find(c.reasonHas), std::string::npos) << warnings[0].reason;
    EXPECT_EQ(metadata.bext.has_value(), c.bextKept);
    EXPECT_EQ(!metadata.ixml.empty(), c.ixmlKept);
}

const Bytes kGoodBext = BextBody("desc", "orig", 48000, "A=PCM,F=48000\r\n");
const RawChunk kGoodIxml = {"iXML", AsBytes("<BWFXML/>")};

Bytes WithByte(Bytes bytes, std::size_t at, unsigned char value)
{
    bytes.at(at) = value;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedChunks,
    testing::Values(
        Malformed{"BextShorterThanItsFields", {{"bext", Bytes(100, 'x')}, kGoodIxml}, "fewer than the 602", false, true},
        Malformed{"BextRunsPastTheEnd", {kGoodIxml, {"bext", kGoodBext, 5000}}, "more than the file holds", false, true},
        Malformed{"DescriptionNotText", {{"bext", WithByte(kGoodBext, 2, 0x03)}, kGoodIxml}, "description", false, true},
        Malformed{"OriginatorNotText", {{"bext", WithByte(kGoodBext, 257, 0x1B)}, kGoodIxml}, "originator", false, true},
        Malformed{"HistoryNotText", {{"bext", WithByte(kGoodBext, 605, 0x01)}, kGoodIxml}, "coding history", false, true},
        Malformed{"IxmlNotUtf8", {{"bext", kGoodBext}, {"iXML", AsBytes("<BWFXML>\xFF\xFE</BWFXML>")}}, "UTF-8", true,
                  false},
        Malformed{"IxmlNulInside", {{"bext", kGoodBext}, {"iXML", AsBytes(std::string("<A>\0</A>", 8))}}, "UTF-8",
                  true, false},
        Malformed{"IxmlNoXml", {{"bext", kGoodBext}, {"iXML", AsBytes("scene 12, take 3")}}, "no XML", true, false},
        Malformed{"IxmlTooLarge", {{"bext", kGoodBext}, {"iXML", Bytes(vq::kMaxMetadataChunkBytes + 2, ' ')}}, "too many",
                  true, false},
        Malformed{"IxmlRunsPastTheEnd", {{"bext", kGoodBext}, {"iXML", AsBytes("<A/>"), 100}}, "more than the file holds",
                  true, false}),
    CaseName());

TEST(RecorderMetadata, IxmlPaddingAndAnUnfinishedDataChunkAreNoFault)
{
    TempDir dir;
    const std::string path = dir.File("padded.wav");
    // Recorders pad iXML with NULs for later edits; a take cut short by a power loss keeps
    // the data size its recorder wrote first, past the end of the file.
    const Bytes ixml = AsBytes(std::string("<BWFXML/>\r\n\0\0\0\0\0", 16));
    Bytes file = RecorderFile(Wave::Riff, {{"bext", kGoodBext}, {"iXML", ixml}}, {});
    file.resize(file.size() - 200);
    WriteBytes(path, file);
    std::vector<vq::MetadataWarning> warnings;
    const vq::RecorderMetadata metadata = vq::ReadRecorderMetadata(path, &warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(metadata.bext);
    EXPECT_EQ(metadata.ixml, ixml);
}

TEST(RecorderMetadata, FilesWithoutAPlaceForItGiveNothingAndNoWarning)
{
    TempDir dir;
    WriteChannels(dir.File("plain.aiff"), {Noise(100, 1)}, 48000, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    WriteChannels(dir.File("plain.wav"), {Noise(100, 1)}, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    WriteBytes(dir.File("short.wav"), AsBytes("RIFF"));
    for (const char* name : {"plain.aiff", "plain.wav", "short.wav", "missing.wav"}) {
        std::vector<vq::MetadataWarning> warnings;
        EXPECT_TRUE(vq::ReadRecorderMetadata(dir.File(name), &warnings).Empty()) << name;
        EXPECT_TRUE(warnings.empty()) << name;
    }
}

// The recorder's file as a user would make it, with FFmpeg's own bext writer.
TEST(RecorderMetadata, ReadsTheTimeReferenceFfmpegWrites)
{
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    TempDir dir;
    const std::string path = dir.File("ffmpeg.wav");
    const std::string command = "ffmpeg -v error -f lavfi -i anullsrc=r=48000:cl=stereo -t 0.1 -write_bext 1 "
                                "-metadata time_reference=172800000 -metadata originator=Recorder -y '" +
                                path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<vq::MetadataWarning> warnings;
    const vq::RecorderMetadata metadata = vq::ReadRecorderMetadata(path, &warnings);
    EXPECT_TRUE(warnings.empty());
    ASSERT_TRUE(metadata.bext);
    EXPECT_EQ(metadata.bext->TimeReference(), 172800000u);
    EXPECT_EQ(metadata.bext->Originator(), "Recorder");
}

}  // namespace
