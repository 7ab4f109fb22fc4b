// The LFE channel measured through the decoder: sines in W, the steady-state amplitude of
// the LFE out, against the closed-form response of a 120 Hz Butterworth low-pass.
#include "surround/SurroundFixture.h"

#include <cmath>

using namespace vqtest;

namespace {

constexpr double kPi = 3.141592653589793;

// Decodes `wxyz` at `rate` with the LFE on and returns the LFE channel.
Signal DecodeLfe(const BFormat& wxyz, int rate, double gain)
{
    TempDir dir;
    WriteBFormat(dir.File("in.wav"), wxyz, rate);
    const auto names = OutputNames(dir, 1);
    {
        Surrounder engine(60.0, 1);
        Configure(engine, dir.File("in.wav"), {60.0, gain, true, rate}, names);
        engine.m_outputInfo.format = kFloat64Wav;
        engine.m_requestedBufferLength = 4096;
        EXPECT_EQ(engine.Run(), 0);
    }
    return ReadFiveOne(names, 1)[kLfe];
}

// |H(f)| in dB of the second-order Butterworth low-pass at 120 Hz after the bilinear
// transform pre-warped at the cut-off.
double ButterworthDb(double frequency, int rate)
{
    const double ratio = std::tan(kPi * frequency / rate) / std::tan(kPi * 120.0 / rate);
    return -10.0 * std::log10(1.0 + std::pow(ratio, 4));
}

TEST(Lfe, ResponseIsAButterworthLowPassAt120Hz)
{
    for (int rate : {48000, 44100}) {
        for (double frequency : {20.0, 60.0, 100.0, 120.0, 200.0, 480.0, 1000.0, 4000.0}) {
            const std::int64_t frames = rate / 2;
            // X, Y and Z carry noise that must not reach the LFE.
            BFormat input = RandomBFormat(frames, 5);
            for (std::int64_t n = 0; n < frames; ++n)
                input[0][n] = std::sin(2 * kPi * frequency * n / rate);
            const double gain = 2.0;
            const Signal lfe = DecodeLfe(input, rate, gain);
            ASSERT_EQ(lfe.size(), static_cast<std::size_t>(frames));
            // The second half is far past the filter's settling time.
            const double amplitude = FittedAmplitude(lfe, frames / 2, frequency / rate) / (0.1 * gain);
            const double db = 20.0 * std::log10(amplitude);
            SCOPED_TRACE(testing::Message() << frequency << " Hz at " << rate << " Hz");
            EXPECT_NEAR(db, ButterworthDb(frequency, rate), 1e-3);
            EXPECT_LE(db, 1e-9) << "never above 0 dB";
            if (frequency == 120.0) {
                EXPECT_NEAR(db, -3.0, 0.02);
            }
            if (frequency == 480.0 && rate == 48000) {
                EXPECT_NEAR(db, -24.0, 0.2);
            }
        }
    }
}

TEST(Lfe, ConstantWSettlesAtATenthOfTheGain)
{
    const std::int64_t frames = 20000;
    BFormat input = RandomBFormat(frames, 6);
    input[0].assign(frames, 0.8);
    const Signal lfe = DecodeLfe(input, 48000, 2.0);
    ASSERT_EQ(lfe.size(), static_cast<std::size_t>(frames));
    EXPECT_NEAR(lfe.back(), 0.1 * 2.0 * 0.8, 1e-12);
}

}  // namespace
