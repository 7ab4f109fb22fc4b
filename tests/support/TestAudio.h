// Test fixtures made at run time: temporary directories, WAV files written and read with
// libsndfile, random signals, and the direct (time-domain) convolution that the engines'
// results are checked against.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Names the instances of a parameterised test after the `name` member of their case.
struct CaseName {
    template <typename Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        return info.param.name;
    }
};

// Names out0.wav, out1.wav, ... for `fileCount` output files in `dir`.
std::vector<std::string> OutputNames(const TempDir& dir, int fileCount);

// Makes the disk refuse writes past `bytes` in this process, as a full disk would (for
// death tests: SIGXFSZ is ignored so that the write fails instead of killing the process).
void LimitFileSize(std::uint64_t bytes);

using Signal = std::vector<double>;

struct Audio {
    SF_INFO info{};
    std::vector<double> samples;  // interleaved
    Signal Channel(int c) const;
};

constexpr int kFloat64Wav = SF_FORMAT_WAV | SF_FORMAT_DOUBLE;

// Writes channels (all the same length) interleaved into a new file.
void WriteChannels(const std::string& path, const std::vector<Signal>& channels, int rate = 48000,
                   int format = kFloat64Wav);
// The same with a bext chunk (written by libsndfile) whose time reference is
// `timeReference`, samples since midnight, as a field recorder writes its takes.
void WriteTimedChannels(const std::string& path, const std::vector<Signal>& channels, std::uint64_t timeReference,
                        int rate = 48000, int format = kFloat64Wav);
// The same with the bext chunk given (null: none).
void WriteChannelsWithBext(const std::string& path, const std::vector<Signal>& channels, const SF_BROADCAST_INFO* bext,
                           int rate = 48000, int format = kFloat64Wav);
Audio ReadAudio(const std::string& path);

// Deterministic uniform noise in [-amplitude, amplitude].
Signal Noise(std::int64_t frames, unsigned seed, double amplitude = 0.5);

// Full linear convolution, length x.size() + h.size() - 1 (empty when either is empty).
Signal DirectConvolution(const Signal& x, const Signal& h);

// A 4x4 filter matrix: taps[k][j] is the filter from input k to output j.
using FilterMatrix = std::array<std::array<Signal, 4>, 4>;
FilterMatrix RandomFilterMatrix(int taps, unsigned seed);
void WriteFilterMatrix(const std::string& path, const FilterMatrix& filters, int rate = 48000,
                       int format = kFloat64Wav);

// Output j = gain * sum_k filters[k][j] * inputs[k], padded with zeros to `frames`.
std::array<Signal, 4> ExpectedOutputs(const std::array<Signal, 4>& inputs, const FilterMatrix& filters, double gain,
                                      std::int64_t frames);

// A long noise file written in pieces, for tests that need minutes of audio.
void WriteNoiseFile(const std::string& path, int channels, std::int64_t frames, unsigned seed, double amplitude = 0.3,
                    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);

// Two stereo files holding FLU,FRD and BLD,BRU.
void WriteAFormat(const std::string& front, const std::string& rear, const std::array<Signal, 4>& capsules,
                  int rate = 48000, int format = kFloat64Wav);

// Furse-Malham B-format W, X, Y, Z of the signal s arriving from (azimuthDeg, elevationDeg):
// W = s / sqrt 2, X = s cos az cos el, Y = s sin az cos el, Z = s sin el.
std::array<Signal, 4> FromDirection(const Signal& s, double azimuthDeg, double elevationDeg);

double MaxAbsDifference(const Signal& a, const Signal& b);

// Largest absolute sample over all the channels (Signals in any container).
template <typename Channels>
double Peak(const Channels& channels)
{
    double peak = 0.0;
    for (const Signal& channel : channels)
        for (double v : channel)
            peak = std::max(peak, std::abs(v));
    return peak;
}

// Second-order Butterworth low-pass at 120 Hz in the audio-EQ-cookbook form (bilinear
// transform with the cut-off pre-warped, Q = 1/sqrt 2), run as a direct-form-I recursion:
// the reference for the LFE channel.
Signal LowPass120(const Signal& x, int rate);

// Amplitude of the sinusoid of `cycles` per sample that best fits s[from..] (least squares
// on a sine and a cosine).
double FittedAmplitude(const Signal& s, std::size_t from, double cycles);

// The "fmt " chunk of a RIFF/RF64 WAVE file, from its format tag on; empty when there is none.
std::vector<unsigned char> FormatChunk(const std::string& path);
// The WAVE-EX channel mask (dwChannelMask) of a file.
unsigned ChannelMask(const std::string& path);

}  // namespace vqtest
