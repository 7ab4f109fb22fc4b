// The parametric decoders where a conversion runs them: in the pass of the convolution engine,
// block after block of the B-format it computes.
#include "binaural/BinauralDecoder.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/OutputLayout.h"
#include "convolver/ConvolverFixture.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/ParametricFiveOneDecoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace vqtest;

// Converts the recording with `decoder` in the pass, on `threads` threads; the decoded file.
Audio DecodeInPass(const TempDir& dir, const Recording& rec, vq::BFormatDecoder& decoder,
                   const vq::OutputLayout& layout, int threads)
{
    const std::string name = dir.File("decoded" + std::to_string(threads) + ".wav");
    QConvolver engine(1);
    OpenRecording(engine, rec, {dir.File("bformat.wav")});
    engine.m_threads = threads;
    engine.m_requestedBufferLength = 9000;  // several chunks
    engine.m_decoder = &decoder;
    engine.m_decodedLayout = layout;
    engine.m_decodedFileNames = {name};
    engine.m_decodedFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    engine.m_decodedAutorange = true;  // a second pass, Prepare again
    engine.m_writeBFormat = false;
    EXPECT_EQ(engine.Run(), 0);
    EXPECT_EQ(engine.Autorange(), 0);
    return ReadAudio(name);
}

TEST(ParametricInThePass, SameSamplesAtOneTwoOrFourThreadsAsLongAsTheLinearDecode)
{
    TempDir dir;
    const Recording rec = MakeRecording(dir, 40000, 300, 31);
    const auto hrirs = std::make_shared<vq::SphericalHeadHrirs>();
    vq::BinauralDecoder linear(hrirs);
    const Audio reference = DecodeInPass(dir, rec, linear, vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural), 1);

    vq::ParametricBinauralDecoder binaural(hrirs);
    vq::ParametricFiveOneDecoder surround(true);
    struct Mode {
        vq::BFormatDecoder& decoder;
        const vq::OutputLayout& layout;
    };
    for (const Mode& mode : {Mode{binaural, vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural)},
                             Mode{surround, vq::SurroundLayout(1)}}) {
        const Audio one = DecodeInPass(dir, rec, mode.decoder, mode.layout, 1);
        EXPECT_EQ(one.info.frames, reference.info.frames);
        EXPECT_EQ(DecodeInPass(dir, rec, mode.decoder, mode.layout, 2).samples, one.samples) << "2 threads";
        EXPECT_EQ(DecodeInPass(dir, rec, mode.decoder, mode.layout, 4).samples, one.samples) << "4 threads";
    }
}

}  // namespace
