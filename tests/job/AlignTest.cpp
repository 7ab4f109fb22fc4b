// Keep sync: with align, output frame n is input frame n. The filters' delay, stored in the
// matrix or estimated from it, is taken off the start, and the outputs end with the take.
#include "DecodeModes.h"
#include "JobFixture.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>

using namespace vqtest;

namespace {

// Capsule k to output k through a pure delay of `delay` frames: the B-format is the capsules,
// `delay` frames late.
FilterMatrix DelayMatrix(int taps, int delay)
{
    FilterMatrix m;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j) {
            m[k][j] = Signal(static_cast<std::size_t>(taps), 0.0);
            if (k == j)
                m[k][j][static_cast<std::size_t>(delay)] = 1.0;
        }
    return m;
}

TEST(Align, OutputFrameNIsInputFrameN)
{
    struct Case {
        int delay;
        bool stored;  // written into the matrix, else estimated from W's filters
        int mode;
        const char* said;
    };
    const Case cases[] = {
        {7, true, vq::DecodeModeIndex("b-format"), "7 frames (stored in the matrix)"},
        {11, false, vq::DecodeModeIndex("b-format"), "11 frames (estimated"},
        {7, true, vq::DecodeModeIndex("stereo"), "7 frames (stored in the matrix)"},
    };
    for (const Case& c : cases) {
        JobSetup setup(3000, 32);
        const std::string matrix = setup.File("filters/FilterMatrix_48000.wav");
        WriteFilterMatrix(matrix, DelayMatrix(32, c.delay), 48000);
        if (c.stored) {
            SF_INFO info{};
            SNDFILE* file = sf_open(matrix.c_str(), SFM_RDWR, &info);
            ASSERT_NE(file, nullptr);
            sf_set_string(file, SF_STR_COMMENT, ("delay_frames=" + std::to_string(c.delay)).c_str());
            sf_close(file);
        }
        VQParams p(nullptr);
        setup.Configure(p);
        p.m_align = true;
        p.m_outputMode = c.mode;
        p.m_bformatFormat = p.m_surroundFormat = VQParams::kFormatFloat;
        p.UpdateOutputNames();
        ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
        EXPECT_EQ(p.m_result.alignment.rfind(c.said, 0), 0u) << p.m_result.alignment;
        const Audio out = ReadAudio(std::string(p.GetOutputPath(0).utf8_str()));
        EXPECT_EQ(out.info.frames, 3000) << "as long as the take";
        if (c.mode != vq::DecodeModeIndex("b-format"))
            continue;
        const double gain = std::pow(10.0, -3.0 / 20.0);
        for (int j = 0; j < 4; ++j) {
            Signal expected = setup.capsules[static_cast<std::size_t>(j)];
            for (double& s : expected)
                s *= gain;
            EXPECT_LT(MaxAbsDifference(out.Channel(j), expected), 1e-6) << "channel " << j << ", delay " << c.delay;
        }
    }
}

}  // namespace
