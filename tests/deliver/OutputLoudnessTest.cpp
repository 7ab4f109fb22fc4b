// The loudness of output files as the writer writes them: each channel's BS.1770 role from
// the file's description (W alone of B-format), each file on its own and a 5.1 split over
// files as one programme, measured again by a second pass, with the clipped samples counted
// per file.
#include "common/EngineStatus.h"
#include "common/OutputWriter.h"
#include "deliver/OutputLoudness.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vqtest;
using vq::LoudnessRole;

namespace {

constexpr int kRate = 48000;
const double kPi = std::acos(-1.0);

Signal Sine(double amplitude, double seconds)
{
    Signal s(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t n = 0; n < s.size(); ++n)
        s[n] = amplitude * std::sin(2.0 * kPi * 1000.0 * static_cast<double>(n) / kRate);
    return s;
}

TEST(OutputLoudness, EachFileIsMeasuredOnItsSpeakersOrItsW)
{
    using R = LoudnessRole;
    struct Case {
        const vq::OutputLayout& layout;
        std::vector<std::vector<int>> columns;  // per file
        std::vector<std::vector<R>> roles;
    };
    const Case cases[] = {
        {vq::SurroundLayout(1), {{0, 1, 2, 3, 4, 5}}, {{R::Left, R::Right, R::Centre, R::Lfe, R::LeftSurround, R::RightSurround}}},
        {vq::SurroundLayout(3), {{0, 1}, {0, 1}, {0, 1}},
         {{R::Left, R::Right}, {R::Centre, R::Lfe}, {R::LeftSurround, R::RightSurround}}},
        {vq::SurroundLayout(6), {{0}, {0}, {0}, {}, {0}, {0}},
         {{R::Left}, {R::Right}, {R::Centre}, {}, {R::LeftSurround}, {R::RightSurround}}},
        {vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural), {{0, 1}}, {{R::Left, R::Right}}},
        {vq::BFormatLayout(vq::BFormatConvention::FuMa, 1), {{0}}, {{R::Mono}}},
        {vq::BFormatLayout(vq::BFormatConvention::FuMa, 2), {{1}, {}}, {{R::Mono}, {}}},
        {vq::BFormatLayout(vq::BFormatConvention::AmbiX, 4), {{0}, {}, {}, {}}, {{R::Mono}, {}, {}, {}}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.layout.size(), c.roles.size());
        for (std::size_t i = 0; i < c.layout.size(); ++i) {
            const vq::MeasuredChannels measured = vq::MeasuredChannelsOf(c.layout[i]);
            EXPECT_EQ(measured.columns, c.columns[i]) << c.layout[i].suffix;
            EXPECT_EQ(measured.roles, c.roles[i]) << c.layout[i].suffix;
        }
    }
}

TEST(OutputLoudness, FilesAndTheirProgrammeAsWrittenPassAfterPass)
{
    // 5.1 as three stereo files, 16-bit: a 1 kHz tone at -20 dBFS in L (on its own -23.0
    // LUFS within 0.1 LU: -0.691 + 10 log10(|K(1 kHz)|^2 A^2 / 2)), a louder one in the LFE,
    // which counts for the peak only, and nothing in the surrounds.
    TempDir dir;
    const Signal left = Sine(std::pow(10.0, -1.0), 4.0);
    const Signal lfe = Sine(0.9, 4.0);
    const Signal silence(left.size(), 0.0);
    const double* signals[6] = {left.data(), silence.data(), silence.data(), lfe.data(), silence.data(), silence.data()};
    vq::WriterOptions options;
    options.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    options.measureLoudness = true;
    vq::OutputWriter writer;
    vq::FailureDetail detail;
    ASSERT_EQ(writer.Open(vq::SurroundLayout(3), OutputNames(dir, 3), options, std::int64_t(left.size()), 1000, &detail),
              vq::kStatusOk);
    const auto writeAll = [&] {
        for (std::size_t done = 0; done < left.size(); done += 7000) {
            const double* piece[6];
            for (int s = 0; s < 6; ++s)
                piece[s] = signals[s] + done;
            ASSERT_EQ(writer.Write(piece, std::int64_t(std::min<std::size_t>(7000, left.size() - done)), &detail),
                      vq::kStatusOk);
        }
    };
    writeAll();
    std::vector<vq::OutputFigures> files = writer.Figures();
    ASSERT_EQ(files.size(), 3u);
    ASSERT_TRUE(files[0].loudness && files[1].loudness && files[2].loudness);
    EXPECT_NEAR(files[0].loudness->integratedLufs, -23.0, 0.1);
    EXPECT_NEAR(files[0].loudness->truePeakDbtp, -20.0, 0.05);
    EXPECT_TRUE(std::isinf(files[1].loudness->integratedLufs)) << "C is silent and the LFE is left out";
    EXPECT_NEAR(files[1].loudness->truePeakDbtp, 20.0 * std::log10(0.9), 0.05);
    EXPECT_TRUE(std::isinf(files[2].loudness->truePeakDbtp));
    std::optional<vq::Loudness> programme = writer.ProgrammeLoudness();
    ASSERT_TRUE(programme);
    EXPECT_NEAR(programme->integratedLufs, -23.0, 0.1);
    EXPECT_NEAR(programme->truePeakDbtp, 20.0 * std::log10(0.9), 0.05) << "the LFE counts for the programme's peak";
    EXPECT_EQ(files[1].clippedSamples, 0);

    // A second pass at +6 dB is measured afresh, and the LFE now clips in its own file only.
    ASSERT_EQ(writer.Rewind(&detail), vq::kStatusOk);
    writer.SetScale(2.0, 0.0);
    writeAll();
    files = writer.Figures();
    EXPECT_NEAR(files[0].loudness->integratedLufs, -23.0 + 20.0 * std::log10(2.0), 0.1);
    EXPECT_GT(files[1].clippedSamples, 0);
    EXPECT_EQ(files[0].clippedSamples + files[2].clippedSamples, 0);
    EXPECT_EQ(files[1].clippedSamples, writer.Clipped());
    // The file is measured as it holds the LFE, clipped at full scale (1.8 before): its true
    // peak is that of flat tops, a little over 0 dBTP between samples, not +5.1.
    EXPECT_GT(files[1].loudness->truePeakDbtp, -0.1);
    EXPECT_LT(files[1].loudness->truePeakDbtp, 1.0);
    ASSERT_EQ(writer.Commit(&detail), vq::kStatusOk);
    EXPECT_NEAR(writer.ProgrammeLoudness()->integratedLufs, -23.0 + 20.0 * std::log10(2.0), 0.1)
        << "the figures stay after the files are published";
}

TEST(OutputLoudness, BFormatIsMeasuredOnTheWItHolds)
{
    // W a 1 kHz tone at -20 dBFS as Furse-Malham holds it, X loud noise: the file's figures are
    // W's, as written: AmbiX writes W 3 dB louder.
    TempDir dir;
    const Signal w = Sine(std::pow(10.0, -1.0), 2.0);
    const Signal x = Noise(static_cast<std::int64_t>(w.size()), 4, 0.9);
    const Signal silence(w.size(), 0.0);
    const double* signals[4] = {w.data(), x.data(), silence.data(), silence.data()};
    vq::WriterOptions options;
    options.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    options.measureLoudness = true;
    for (const vq::BFormatConvention convention : {vq::BFormatConvention::FuMa, vq::BFormatConvention::AmbiX}) {
        vq::OutputWriter writer;
        vq::FailureDetail detail;
        ASSERT_EQ(writer.Open(vq::BFormatLayout(convention, 1), OutputNames(dir, 1), options, std::int64_t(w.size()),
                              4096, &detail),
                  vq::kStatusOk);
        ASSERT_EQ(writer.Write(signals, std::int64_t(w.size()), &detail), vq::kStatusOk);
        const double louder = convention == vq::BFormatConvention::AmbiX ? 20.0 * std::log10(std::sqrt(2.0)) : 0.0;
        const std::optional<vq::Loudness> loudness = writer.Figures()[0].loudness;
        ASSERT_TRUE(loudness);
        EXPECT_NEAR(loudness->integratedLufs, -23.0 + louder, 0.1);
        EXPECT_NEAR(loudness->truePeakDbtp, -20.0 + louder, 0.05) << "X's peaks are not W's";
    }
}

}  // namespace
