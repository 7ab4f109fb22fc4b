// Writes the seed corpus of the engine fuzzer into a directory: for each engine and way of
// reading, one small valid input (a filter matrix of 8 taps, recordings of 200 frames),
// from which the fuzzer's mutations start.
#include "FuzzInput.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A small sound file's bytes: `channels` channels of a few sines, written with libsndfile.
std::string SoundFile(const std::string& scratch, int channels, int frames, int format)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(scratch.c_str(), SFM_WRITE, &info);
    if (!file)
        return std::string();
    std::vector<double> samples(static_cast<std::size_t>(channels) * frames);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5 * std::sin(0.05 * double(i) * double(i % channels + 1));
    sf_writef_double(file, samples.data(), frames);
    sf_close(file);
    std::ifstream in(scratch, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(scratch.c_str());
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vq_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string scratch = dir + "/scratch.wav";
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const std::string matrix = SoundFile(scratch, 4, 4 * 8, wavFloat);
    struct Seed {
        const char* name;
        std::uint8_t settings[3];
        std::string input0, input1;
    };
    const Seed seeds[] = {
        {"convolver-4ch", {0x80, 0x00, 0x40}, SoundFile(scratch, 4, 200, wav16), ""},
        {"convolver-stereo-pair",
         {0x45, 0x03, 0x22},
         SoundFile(scratch, 2, 200, wavFloat),
         SoundFile(scratch, 2, 200, wavFloat)},
        {"convolver-mono", {0xAA, 0x18, 0x31}, SoundFile(scratch, 1, 200, wav16), SoundFile(scratch, 1, 200, wav16)},
        {"surrounder", {0x67, 0x80, 0x58}, SoundFile(scratch, 4, 200, wavFloat), ""},
    };
    for (const Seed& seed : seeds) {
        vqfuzz::FuzzInput input;
        std::copy(seed.settings, seed.settings + 3, input.settings);
        input.matrix = matrix;
        input.input0 = seed.input0;
        input.input1 = seed.input1;
        const std::vector<std::uint8_t> bytes = vqfuzz::JoinInput(input);
        std::ofstream(dir + "/" + seed.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (input.input0.empty() || matrix.empty()) {
            std::fprintf(stderr, "vq_fuzz_seeds: libsndfile could not write %s\n", seed.name);
            return 1;
        }
    }
    return 0;
}
