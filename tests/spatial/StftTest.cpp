// The short-time transform the spatial engines share: frames that give the input back
// exactly, filters applied to the spectra that are exact linear convolutions, and the
// direction and diffuseness estimated from them against fields whose answer is known.
#include "common/EngineStatus.h"
#include "spatial/BFormatStft.h"
#include "spatial/DirectionalAnalysis.h"
#include "spatial/SpatialProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using vqtest::Signal;
using vqtest::WXYZ;

constexpr int kRate = vqtest::kSpatialRate;

// Hands each frame to `body`.
class FrameCallback : public vq::StftFrameProcessor {
public:
    explicit FrameCallback(std::function<void(const fftw_complex* const in[4], fftw_complex* const out[])> body)
        : m_body(std::move(body))
    {
    }
    void ProcessFrame(const fftw_complex* const in[4], fftw_complex* const out[]) override { m_body(in, out); }

private:
    std::function<void(const fftw_complex* const in[4], fftw_complex* const out[])> m_body;
};

// A transform with one output run as a decoder, for the harness that runs decoders.
class StftAsDecoder : public vq::BFormatDecoder {
public:
    StftAsDecoder(vq::BFormatStft& stft, vq::StftFrameProcessor& processor) : m_stft(stft), m_processor(processor) {}
    int OutputChannels() const override { return 1; }
    int Prepare(int, std::int64_t) override
    {
        m_stft.Reset();
        return vq::kStatusOk;
    }
    void Decode(const double* const in[4], double* const out[], std::int64_t frames) override
    {
        m_stft.Process(in, out, frames, m_processor);
    }
    std::int64_t LatencyFrames() const override { return m_stft.Latency(); }

private:
    vq::BFormatStft& m_stft;
    vq::StftFrameProcessor& m_processor;
};

Signal Stream(vq::BFormatStft& stft, const WXYZ& input, vq::StftFrameProcessor& processor,
              const std::vector<std::int64_t>& blocks)
{
    StftAsDecoder decoder(stft, processor);
    return vqtest::RunDecoder(decoder, input, kRate, blocks)[0];
}

TEST(BFormatStft, FramesFollowTheSampleRate)
{
    for (const auto& [rate, frame] : {std::pair{8000, 256}, {44100, 1024}, {48000, 1024}, {88200, 2048},
                                      {96000, 2048}, {176400, 4096}, {192000, 4096}})
        EXPECT_EQ(vq::BFormatStft::FrameLengthFor(rate), frame) << rate;
}

TEST(BFormatStft, CopyingTheSpectrumGivesTheInputBackOneFrameLater)
{
    const Signal x = vqtest::Noise(20000, 1);
    for (int frame : {64, 1024, 4096}) {
        vq::BFormatStft stft;
        ASSERT_EQ(stft.Configure(frame, 1), vq::kStatusOk);
        EXPECT_EQ(stft.Latency(), frame);
        FrameCallback copy([&](const fftw_complex* const in[4], fftw_complex* const out[]) {
            std::memcpy(out[0], in[0], sizeof(fftw_complex) * static_cast<std::size_t>(stft.Bins()));
        });
        const Signal y = Stream(stft, {x, x, x, x}, copy, {1, 333, 5000});
        EXPECT_LT(vqtest::MaxAbsDifference(y, x), 1e-14) << frame;
    }
}

TEST(BFormatStft, AFilterAsLongAsTheRoomAfterTheFrameIsTheExactConvolution)
{
    constexpr int kFrame = 256;
    vq::BFormatStft stft;
    ASSERT_EQ(stft.Configure(kFrame, 1), vq::kStatusOk);
    ASSERT_EQ(stft.Room(), kFrame / 2);
    const Signal taps = vqtest::Noise(stft.Room() + 1, 2);
    vq::FftwArray<fftw_complex> filter;
    ASSERT_TRUE(filter.Allocate(static_cast<std::size_t>(stft.Bins())));
    stft.Transform(taps.data(), stft.Room() + 1, filter.data());
    FrameCallback multiply([&](const fftw_complex* const in[4], fftw_complex* const out[]) {
        for (int k = 0; k < stft.Bins(); ++k) {
            out[0][k][0] = in[1][k][0] * filter[k][0] - in[1][k][1] * filter[k][1];
            out[0][k][1] = in[1][k][0] * filter[k][1] + in[1][k][1] * filter[k][0];
        }
    });
    const Signal x = vqtest::Noise(5000, 3);
    const Signal y = Stream(stft, {Signal(x.size()), x, Signal(x.size()), Signal(x.size())}, multiply, {700});
    Signal expected = vqtest::DirectConvolution(x, taps);
    expected.resize(x.size());
    EXPECT_LT(vqtest::MaxAbsDifference(y, expected), 1e-12);
}

TEST(BFormatStft, RefusesFrameLengthsThatAreNotPowersOfTwo)
{
    vq::BFormatStft stft;
    EXPECT_EQ(stft.Configure(1000, 1), vq::kBadParameter);
    EXPECT_EQ(stft.Configure(32, 1), vq::kBadParameter);
    EXPECT_EQ(stft.Configure(1024, vq::BFormatStft::kMaxOutputs + 1), vq::kBadParameter);
}

// Diffuseness and direction of every band between lowHz and highHz, frame by frame, from
// 0.1 s into `field` on.
struct Estimates {
    std::vector<double> diffuseness;
    std::vector<std::array<double, 3>> directions;
};

Estimates Analyse(const WXYZ& field, double lowHz, double highHz)
{
    vq::BFormatStft stft;
    EXPECT_EQ(stft.Configure(vq::BFormatStft::FrameLengthFor(kRate), 0), vq::kStatusOk);
    vq::AnalysisBands bands;
    bands.Configure(stft.Bins(), double(kRate) / stft.TransformLength());
    vq::DirectionalAnalysis analysis;
    analysis.Configure(bands, double(stft.Hop()) / kRate);
    Estimates estimates;
    int frame = 0;
    const int settled = kRate / 10 / stft.Hop();
    FrameCallback collect([&](const fftw_complex* const in[4], fftw_complex* const*) {
        analysis.Update(in);
        if (++frame < settled)
            return;
        for (int b = 0; b < bands.Count(); ++b) {
            if (bands.CentreHz(b) < lowHz || bands.CentreHz(b) > highHz)
                continue;
            estimates.diffuseness.push_back(analysis.Band(b).diffuseness);
            estimates.directions.push_back(analysis.Band(b).direction);
        }
    });
    const double* in[4] = {field[0].data(), field[1].data(), field[2].data(), field[3].data()};
    stft.Process(in, nullptr, static_cast<std::int64_t>(field[0].size()), collect);
    return estimates;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

TEST(DirectionalAnalysis, APlaneWaveIsDirectAndPointsAtItsSource)
{
    const Estimates e = Analyse(vqtest::PlaneWaveNoise(-130, 25), 50, 20000);
    const std::array<double, 3> source = vqtest::UnitVector(-130, 25);
    for (std::size_t i = 0; i < e.diffuseness.size(); ++i) {
        ASSERT_LT(e.diffuseness[i], 1e-9) << i;
        const std::array<double, 3>& d = e.directions[i];
        ASSERT_GT(d[0] * source[0] + d[1] * source[1] + d[2] * source[2], 1.0 - 1e-12) << i;
    }
}

TEST(DirectionalAnalysis, DiffusenessIsTheShareOfTheDiffuseEnergy)
{
    // psi = E_diffuse / (E_direct + E_diffuse), read off over the bands of 200 Hz to 8 kHz.
    // The averages leave a little intensity in a diffuse field, so psi reads a little low.
    const std::int64_t frames = 48000;
    const WXYZ diffuse = vqtest::DiffuseField(200, frames, 300);
    EXPECT_GT(Median(Analyse(diffuse, 200, 8000).diffuseness), 0.7);

    for (double share : {0.25, 0.5, 0.75}) {
        WXYZ field = diffuse;
        for (Signal& s : field)
            for (double& v : s)
                v *= std::sqrt(share);
        // Uniform noise of amplitude a has power a^2 / 3.
        vqtest::AddPlaneWave(field, vqtest::Noise(frames, 7, std::sqrt(3.0 * (1.0 - share))), 60, 0);
        EXPECT_NEAR(Median(Analyse(field, 200, 8000).diffuseness), share, 0.1) << share;
    }
}

}  // namespace
