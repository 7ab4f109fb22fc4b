// The spatial-audio box of every kind of movie, read back by the tests' own box reader and by
// ffprobe, and the index moved in front of the media data with every chunk offset following.
#include "common/EngineStatus.h"
#include "movie/BoxReader.h"
#include "movie/MovieFixture.h"
#include "movie/MovieTools.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

namespace vqtest {
namespace {

using vq::MovieCodec;

struct BoxCase {
    const char* name;
    MovieCodec codec;
    bool headLocked;
    bool indexFirst;
    const char* probed;  // a line of ffprobe's stream description
};

class SpatialAudioBox : public testing::TestWithParam<BoxCase> {};

TEST_P(SpatialAudioBox, SampleEntryEndsWithFirstOrderAmbixBox)
{
    const BoxCase& c = GetParam();
    TempDir dir;
    const std::string path =
        dir.File(std::string("take.") + vq::MovieContainerInfo(vq::MovieCodecInfo(c.codec).container).extension);
    vq::MovieOptions options = Options(c.codec, c.headLocked);
    options.indexFirst = c.indexFirst;
    vq::FailureDetail detail;
    ASSERT_EQ(WriteMovie(path, options, PlaneWave(24000, 30, 10, c.headLocked), 1000, &detail), vq::kStatusOk)
        << detail.reason;

    const MovieFile movie(path);
    ASSERT_EQ(movie.Problem(), "");
    const std::vector<const FileBox*> tracks = movie.Tracks("soun");
    ASSERT_EQ(tracks.size(), 1u);
    const FileBox* entry = movie.SampleEntry(*tracks[0]);
    ASSERT_NE(entry, nullptr);
    ASSERT_FALSE(entry->children.empty());
    const FileBox& sa3d = entry->children.back();
    ASSERT_EQ(sa3d.type, "SA3D");
    EXPECT_EQ(entry->Child("SA3D"), &sa3d) << "one SA3D box only";

    const std::uint32_t channels = c.headLocked ? 6 : 4;
    const std::uint64_t at = sa3d.payload;
    EXPECT_EQ(sa3d.size, 8 + 12 + 4 * channels);
    EXPECT_EQ(movie.U8(at), 0u) << "version";
    EXPECT_EQ(movie.U8(at + 1), c.headLocked ? 0x80u : 0x00u) << "head-locked flag and ambisonic type (periphonic)";
    EXPECT_EQ(movie.U32(at + 2), 1u) << "ambisonic order";
    EXPECT_EQ(movie.U8(at + 6), 0u) << "channel ordering (ACN)";
    EXPECT_EQ(movie.U8(at + 7), 0u) << "normalisation (SN3D)";
    ASSERT_EQ(movie.U32(at + 8), channels);
    for (std::uint32_t i = 0; i < channels; ++i)
        EXPECT_EQ(movie.U32(at + 12 + 4 * i), i) << "channel map entry " << i;

    const FileBox* moov = movie.Top("moov");
    const FileBox* mdat = movie.Top("mdat");
    ASSERT_TRUE(moov && mdat);
    EXPECT_EQ(moov->offset < mdat->offset, c.indexFirst);
}

TEST_P(SpatialAudioBox, FfprobeReadsTheStreamAsAmbisonic)
{
    VQ_REQUIRE_FFMPEG();
    const BoxCase& c = GetParam();
    TempDir dir;
    const std::string path =
        dir.File(std::string("take.") + vq::MovieContainerInfo(vq::MovieCodecInfo(c.codec).container).extension);
    vq::MovieOptions options = Options(c.codec, c.headLocked);
    options.indexFirst = c.indexFirst;
    ASSERT_EQ(WriteMovie(path, options, PlaneWave(24000, 30, 10, c.headLocked)), vq::kStatusOk);
    const std::string streams = ProbeStreams(path);
    EXPECT_NE(streams.find(std::string(c.probed) + "\n"), std::string::npos) << streams;
}

// FFmpeg 5.1 (Debian 12) reads SA3D, but not yet with the head-locked flag: the 6-channel
// movies must still be sound 6-channel streams to it. Its AAC decoder then replaces the
// Ambisonic layout read from SA3D by the loudspeaker layout of the AAC stream (quad); an Opus
// stream's own header (mapping family 2) says Ambisonic as well.
const BoxCase kBoxCases[] = {
    {"Pcm16IndexFirst", MovieCodec::Pcm16, false, true, "channel_layout=ambisonic 1"},
    {"Pcm24HeadLockedIndexLast", MovieCodec::Pcm24, true, false, "channels=6"},
    {"FloatIndexLast", MovieCodec::Float, false, false, "channel_layout=ambisonic 1"},
    {"AacIndexFirst", MovieCodec::Aac, false, true, "channels=4"},
    {"AacHeadLocked", MovieCodec::Aac, true, true, "channels=6"},
    {"OpusIndexLast", MovieCodec::Opus, false, false, "channel_layout=ambisonic 1"},
    {"OpusHeadLocked", MovieCodec::Opus, true, true, "channel_layout=ambisonic 1+stereo"},
};
INSTANTIATE_TEST_SUITE_P(Movies, SpatialAudioBox, testing::ValuesIn(kBoxCases), CaseName());

// The same take with the index after and before the media data: the media bytes are the
// same, and every chunk offset points at the same byte of them.
TEST(IndexFirst, ChunkOffsetsFollowTheMediaData)
{
    TempDir dir;
    const std::vector<double> take = PlaneWave(30000, -100, 20, false);
    std::vector<std::string> media;
    std::vector<std::vector<std::uint64_t>> offsets;
    for (bool indexFirst : {false, true}) {
        const std::string path = dir.File(indexFirst ? "first.mov" : "last.mov");
        vq::MovieOptions options = Options(MovieCodec::Pcm24);
        options.indexFirst = indexFirst;
        ASSERT_EQ(WriteMovie(path, options, take, 777), vq::kStatusOk);
        const MovieFile movie(path);
        ASSERT_EQ(movie.Problem(), "");
        const FileBox* mdat = movie.Top("mdat");
        ASSERT_NE(mdat, nullptr);
        media.push_back(movie.Bytes(mdat->payload, mdat->offset + mdat->size - mdat->payload));
        std::vector<std::uint64_t> relative;
        for (std::uint64_t offset : movie.ChunkOffsets(*movie.Tracks("soun").at(0))) {
            EXPECT_GE(offset, mdat->payload);
            EXPECT_LT(offset, mdat->offset + mdat->size);
            relative.push_back(offset - mdat->payload);
        }
        EXPECT_FALSE(relative.empty());
        offsets.push_back(relative);
    }
    EXPECT_TRUE(media[0] == media[1]);
    EXPECT_EQ(offsets[0], offsets[1]);
}

}  // namespace
}  // namespace vqtest
