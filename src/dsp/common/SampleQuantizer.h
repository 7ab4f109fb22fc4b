// Rounding (and optional dither) of samples at libsndfile's normalisation, full scale
// +-1.0, to integer PCM of 8, 16, 24 or 32 bits. The integers come out left-justified in
// 32 bits (value << (32 - bits)), the form sf_writef_int takes: libsndfile keeps the top
// `bits` bits, so a 16- or 24-bit WAV, FLAC, AIFF, CAF or W64 file receives them exactly.
#pragma once

#include <cstdint>

namespace vq {

class SampleQuantizer {
public:
    static constexpr std::uint64_t kDefaultSeed = 0x5EED0F0D17E5ull;

    // Sets the word length (8, 16, 24 or 32 bits), whether to add TPDF dither, and the
    // seed of the dither generator, which restarts here: the same seed gives the same
    // samples. Returns kStatusOk, or kBadParameter for another word length (nothing changes).
    int Configure(int bits, bool dither, std::uint64_t seed = kDefaultSeed);

    // Quantises in[0 .. count-1] into out[] (element by element, so interleaved data works
    // as well as planar): scale by 2^(bits-1), add the dither when on (the sum of two
    // independent uniform values in [-0.5, 0.5) LSB, the generator continuing from the
    // previous call), round to the nearest integer with ties to even, saturate to
    // [-2^(bits-1), 2^(bits-1) - 1] and left-justify. NaN becomes 0. Returns how many inputs
    // lay beyond full scale (|x| > 1.0 before dither, which +-1.0 itself is not).
    std::int64_t Quantize(const double* in, int* out, std::int64_t count);

    int Bits() const { return m_bits; }
    bool Dither() const { return m_dither; }

private:
    // splitmix64: small, fast, and its 64 output bits are two independent uniform halves.
    std::uint64_t NextRandom();

    int m_bits = 16;
    bool m_dither = false;
    std::uint64_t m_state = kDefaultSeed;
    double m_scale = 32768.0;    // 2^(bits-1)
    double m_justify = 65536.0;  // 2^(32-bits)
    double m_lowest = -32768.0;  // the smallest integer sample
    double m_highest = 32767.0;  // the largest integer sample
};

}  // namespace vq
