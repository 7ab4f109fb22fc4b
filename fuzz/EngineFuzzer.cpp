// libFuzzer target of the two engines: each input is a filter matrix and one or two sound
// files (FuzzInput.h) and a few settings, run through QConvolver or Surrounder with small
// limits, Autorange included. Whatever the files hold, an engine returns a status code:
// AddressSanitizer and UndefinedBehaviorSanitizer report anything else.
//
// Settings 0: bits 0-1 the engine and its inputs: the convolver on one 4-channel file
// (input 0), on two stereo files (inputs 0 and 1), on four mono files (0, 1, 1, 0), or the
// 5.1 decoder on a B-format file (input 0); bits 2-3 the output files; bits 4-5 the sample
// format (16 or 24 bits, float, double); bit 6 Autorange; bit 7 dither.
// Settings 1: bit 0 the high-pass, bits 1-2 its corner; bits 3-7 the capsule order (one of
// the 24) or, for the decoder, the opening angle.
// Settings 2: bit 0 AmbiX, bit 1 two threads, bit 2 the .amb header, bit 3 the LFE
// channel, bits 4-7 the block length (16 to 8192 frames).
#include "FuzzInput.h"

#include "common/EngineStatus.h"
#include "convolver/QConvolver.h"
#include "surround/Surrounder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Small enough that every input runs in milliseconds, long enough for several chunks.
constexpr int kMaxTaps = 2048;
constexpr sf_count_t kMaxFrames = 1 << 16;

std::string g_dir;

std::string Path(const std::string& name)
{
    return g_dir + "/" + name;
}

void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(Path(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveDirectory()
{
    std::error_code ec;
    std::filesystem::remove_all(g_dir, ec);
}

int SampleFormat(std::uint8_t settings)
{
    const int formats[] = {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE};
    return SF_FORMAT_WAVEX | formats[(settings >> 4) & 3];
}

sf_count_t BlockLength(std::uint8_t settings)
{
    return sf_count_t(16) << ((settings >> 4) % 10);
}

void RunConvolver(const vqfuzz::FuzzInput& in)
{
    const int fileCounts[] = {1, 2, 4, 4};
    const int outputs = fileCounts[(in.settings[0] >> 2) & 3];
    QConvolver engine(outputs);
    const std::string files[4] = {"in0.wav", "in1.wav", "in1.wav", "in0.wav"};
    const int inputCount = in.engine() == vqfuzz::Engine::ConvolverOneFile    ? 1
                           : in.engine() == vqfuzz::Engine::ConvolverTwoFiles ? 2
                                                                              : 4;
    for (int k = 0; k < inputCount; ++k)
        if (engine.OpenInputFile(Path(files[k]).c_str(), k) != vq::kStatusOk)
            return;
    if (engine.LoadFilterMatrix(Path("matrix.wav").c_str()) != vq::kStatusOk)
        return;
    if (engine.m_filterLength > kMaxTaps || engine.m_inputInfo.frames > kMaxFrames)
        return;
    for (int i = 0; i < outputs; ++i)
        engine.SetOutputFileName(i, Path("out" + std::to_string(i) + ".wav"));
    engine.m_outputInfo.format = SampleFormat(in.settings[0]);
    engine.m_autorange = in.settings[0] & 0x40;
    engine.m_dither = in.settings[0] & 0x80;
    const double corners[] = {20.0, 60.0, 120.0, 200.0};
    engine.m_highpassHz = in.settings[1] & 1 ? corners[(in.settings[1] >> 1) & 3] : 0.0;
    int order[4] = {0, 1, 2, 3};
    for (int p = (in.settings[1] >> 3) % 24; p > 0; --p)
        std::next_permutation(order, order + 4);
    std::copy(order, order + 4, engine.m_capsuleChannels);
    engine.m_convention = in.settings[2] & 1 ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    engine.m_threads = in.settings[2] & 2 ? 2 : 1;
    engine.m_ambisonicHeader = in.settings[2] & 4;
    engine.m_requestedBufferLength = BlockLength(in.settings[2]);
    if (engine.Run() == vq::kStatusOk && engine.m_autorange)
        engine.Autorange();
}

void RunSurrounder(const vqfuzz::FuzzInput& in)
{
    const int fileCounts[] = {1, 3, 6, 6};
    const int outputs = fileCounts[(in.settings[0] >> 2) & 3];
    Surrounder engine(15.0 + 75.0 * (in.settings[1] >> 3) / 31.0, outputs);
    if (engine.OpenInputFile(Path("in0.wav")) != vq::kStatusOk || engine.m_inputInfo.frames > kMaxFrames)
        return;
    for (int i = 0; i < outputs; ++i)
        engine.m_outputFileNames[i] = Path("out" + std::to_string(i) + ".wav");
    engine.m_outputInfo.format = SampleFormat(in.settings[0]);
    engine.m_autorange = in.settings[0] & 0x40;
    engine.m_dither = in.settings[0] & 0x80;
    engine.m_lowFreqsInLfe = in.settings[2] & 8;
    engine.m_requestedBufferLength = BlockLength(in.settings[2]);
    if (engine.Run() == vq::kStatusOk && engine.m_autorange)
        engine.Autorange();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Files in memory where there is a memory file system: the engines take file names.
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/vq-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("vq-fuzz: cannot create a working directory");
        std::exit(1);
    }
    g_dir = pattern;
    std::atexit(RemoveDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const vqfuzz::FuzzInput in = vqfuzz::SplitInput(data, size);
    WriteFile("matrix.wav", in.matrix);
    WriteFile("in0.wav", in.input0);
    WriteFile("in1.wav", in.input1);
    if (in.engine() == vqfuzz::Engine::Surrounder)
        RunSurrounder(in);
    else
        RunConvolver(in);
    for (int i = 0; i < 6; ++i)
        std::remove(Path("out" + std::to_string(i) + ".wav").c_str());
    return 0;
}
