// Turns samples at full scale +-1.0 into integer PCM: rounded to nearest, saturated at full
// scale, optionally with triangular dither, and left-justified in 32 bits so that
// libsndfile's sf_writef_int writes them exactly into files of any integer width.
#pragma once

#include <cstdint>

namespace vq {

class SampleQuantizer {
public:
    // bits: 8 to 32. dither: add TPDF dither of +-1 LSB from a generator seeded with `seed`.
    void Configure(int bits, bool dither, std::uint64_t seed = 0x9E3779B97F4A7C15ull);
    // Converts count samples; returns how many were beyond full scale (|x| > 1.0).
    std::int64_t Quantize(const double* in, int* out, std::int64_t count);

private:
    double NextUniform();

    int m_bits = 16;
    bool m_dither = false;
    double m_scale = 32768.0;
    double m_low = -32768.0, m_high = 32767.0;
    int m_shift = 16;
    std::uint64_t m_state = 0;
};

}  // namespace vq
