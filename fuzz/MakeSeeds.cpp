// Writes the binary seeds into a folder, one subfolder per target: for the engines, each
// engine, way of reading and decoder; for the job, each mode and kind of take (a filter
// matrix of 8 taps, recordings of 200 frames); for the SOFA reader, a transfer from its child.
// The fuzzers' mutations start from them. The SOFA file seed is written by HDF5 as the
// tests' SOFA fixture writes it, and the command line's seeds are text.
#include "FuzzInput.h"

#include "binaural/SofaReader.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
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

struct Seed {
    const char* name;
    std::uint8_t settings[vqfuzz::kSettingsBytes];
    std::string input0, input1;
};

bool WriteSeed(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bool(out);
}

// Each seed with the filter matrix, in the layout of FuzzInput.h.
bool WriteSeeds(const std::string& dir, const std::string& matrix, const std::vector<Seed>& seeds)
{
    std::filesystem::create_directories(dir);
    for (const Seed& seed : seeds) {
        vqfuzz::FuzzInput input;
        std::copy(seed.settings, seed.settings + vqfuzz::kSettingsBytes, input.settings);
        input.matrix = matrix;
        input.input0 = seed.input0;
        input.input1 = seed.input1;
        const std::vector<std::uint8_t> bytes = vqfuzz::JoinInput(input);
        if (input.input0.empty() || matrix.empty() ||
            !WriteSeed(dir + "/" + seed.name, std::string(bytes.begin(), bytes.end()))) {
            std::fprintf(stderr, "vq_fuzz_seeds: cannot write %s\n", seed.name);
            return false;
        }
    }
    return true;
}

// A transfer as the SOFA reader's child sends it: two measurements of two ears, 4 taps.
std::string SofaTransfer()
{
    // Loaded and checked by libmysofa; from the front and from the left; each ear an impulse.
    vq::SofaContents c{0, 0, 2, 2, 4, {48000.0}, {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f}, {}, {0.0f, 0.0f}};
    c.responses.assign(2 * 2 * 4, 0.0f);
    c.responses[0] = c.responses[5] = c.responses[8] = c.responses[13] = 1.0f;
    return std::string(1, '\x01') + vq::EncodeSofaContents(c);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vq_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    const std::string scratch = dir + "/scratch.wav";
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const std::string matrix = SoundFile(scratch, 4, 4 * 8, wavFloat);
    const std::string whole = SoundFile(scratch, 4, 200, wav16);
    const std::string stereo = SoundFile(scratch, 2, 200, wavFloat);
    const std::string mono = SoundFile(scratch, 1, 200, wav16);
    const std::string bformat = SoundFile(scratch, 4, 200, wavFloat);
    // Settings bytes as EngineFuzzer.cpp tells them.
    const std::vector<Seed> engines = {
        {"convolver-4ch", {0x80, 0x00, 0x40, 0x00, 0x00, 0x00}, whole, ""},
        {"convolver-stereo-pair", {0x45, 0x03, 0x22, 0x00, 0x09, 0x00}, stereo, stereo},
        {"convolver-mono", {0xAA, 0x18, 0x31, 0x00, 0x00, 0x00}, mono, mono},
        {"convolver-5.1", {0x04, 0x00, 0x48, 0x41, 0x00, 0xA0}, whole, ""},
        {"convolver-binaural", {0x00, 0x01, 0x50, 0x05, 0x2A, 0x00}, whole, ""},
        {"convolver-ambix-again", {0x0C, 0x00, 0x61, 0x07, 0x00, 0x00}, whole, ""},
        {"surrounder", {0x67, 0x80, 0x58, 0x00, 0x00, 0x00}, bformat, ""},
        {"surrounder-energy", {0x07, 0x00, 0x48, 0x02, 0x00, 0x00}, bformat, ""},
        {"surrounder-stereo-pair", {0x23, 0x00, 0x40, 0x1B, 0x00, 0x78}, bformat, ""},
        {"surrounder-uhj", {0x03, 0x00, 0x71, 0x04, 0x00, 0x00}, bformat, ""},
        {"surrounder-binaural", {0x43, 0x03, 0x50, 0x05, 0x4B, 0x00}, bformat, ""},
        {"surrounder-fuma-again", {0x4B, 0x05, 0x45, 0x86, 0x12, 0x00}, bformat, ""},
        {"surrounder-ambix-again", {0x03, 0x00, 0x40, 0x07, 0x08, 0x00}, bformat, ""},
    };
    // Settings bytes as JobFuzzer.cpp's FillRecord tells them.
    const std::vector<Seed> job = {
        {"bformat-pair", {0x10, 0x00, 0x00, 0x00, 0x00, 0x38}, stereo, stereo},
        {"bformat-whole-ambix", {0x30, 0x12, 0x25, 0x09, 0x00, 0x09}, whole, ""},
        {"5.1-whole", {0x11, 0x40, 0x40, 0x00, 0x78, 0x1B}, whole, ""},
        {"5.1-energy", {0x01, 0xA5, 0x00, 0x00, 0x00, 0x09}, whole, ""},
        {"stereo", {0x02, 0x02, 0x00, 0x00, 0x7B, 0x89}, whole, ""},
        {"uhj", {0x03, 0x00, 0x00, 0x03, 0x00, 0x09}, stereo, stereo},
        {"binaural", {0x04, 0x28, 0x60, 0x00, 0x00, 0x0B}, whole, ""},
    };
    std::remove(scratch.c_str());
    if (!WriteSeeds(dir + "/engines", matrix, engines) || !WriteSeeds(dir + "/job", matrix, job))
        return 1;
    std::filesystem::create_directories(dir + "/sofa");
    if (!WriteSeed(dir + "/sofa/transfer", SofaTransfer())) {
        std::fprintf(stderr, "vq_fuzz_seeds: cannot write the SOFA transfer\n");
        return 1;
    }
    return 0;
}
