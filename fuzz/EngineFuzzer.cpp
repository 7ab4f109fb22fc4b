// libFuzzer target of the two engines: each input is a filter matrix and one or two sound
// files (FuzzInput.h) and a few settings, run through QConvolver or Surrounder with small
// limits, Autorange included, and through any decoder of B-format: the 5.1 decoders, the
// stereo pair, UHJ, headphones with the head model, or B-format again in either convention.
// Whatever the files and settings hold, an engine returns a status code: AddressSanitizer and
// UndefinedBehaviorSanitizer report anything else.
//
// Settings 0: bits 0-1 the engine and its inputs: the convolver on one 4-channel file
// (input 0), on two stereo files (inputs 0 and 1), on four mono files (0, 1, 1, 0), or
// Surrounder on a B-format file (input 0); bits 2-3 the output files; bits 4-5 the sample
// format (16 or 24 bits, float, double); bit 6 Autorange; bit 7 dither.
// Settings 1: bit 0 the high-pass, bits 1-2 its corner (one of them out of range); bits 3-7
// the capsule order (one of the 24) or, for Surrounder, the opening angle.
// Settings 2: bit 0 AmbiX (the convolver's output, Surrounder's input), bit 1 two threads,
// bit 2 the .amb header, bit 3 the LFE channel, bits 4-7 the block length (16 to 8192 frames).
// Settings 3: bits 0-2 the decoder (DecoderChoice), bits 3-5 the stereo pair's omni share
// (0 to 7/6, beyond 1 refused), bit 6 the convolver writes its B-format beside the decode,
// bit 7 Surrounder's Autorange takes the mean away.
// Settings 4: the rotation: bits 0-2 yaw in 45-degree steps, bits 3-4 pitch in quarter
// turns, bits 5-7 roll in 30-degree steps.
// Settings 5: the stereo pair's angle (-5 to 186 degrees) and the 5.1 decoder's opening
// angle (-5 to 185), from its low bits the pair's aim (-190 to 185 degrees): all reach beyond
// their ranges; bits 4-5 the sample format of the convolver's decoded files.
#include "FuzzInput.h"
#include "ScratchDir.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"
#include "convolver/QConvolver.h"
#include "surround/BFormatPassThrough.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/StereoPairDecoder.h"
#include "surround/Surrounder.h"
#include "surround/UhjEncoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using vqfuzz::ScratchPath;

// Small enough that every input runs in milliseconds, long enough for several chunks.
constexpr int kMaxTaps = 2048;
constexpr sf_count_t kMaxFrames = 1 << 16;
// The highest rate the decoders of headphones and UHJ accept; the other engines' buffers grow
// with the rate, so a header claiming megahertz would only measure the allocator.
constexpr int kMaxRate = 768000;

enum class DecoderChoice {
    None,          // the engine's own output: B-format, or Surrounder's 5.1
    VirtualMic,    // 5.1 by virtual microphones
    Energy,        // the energy-preserving 5.1
    StereoPair,    // a coincident pair
    Uhj,           // UHJ stereo
    Binaural,      // headphones through the spherical head
    FuMaAgain,     // B-format again, Furse-Malham
    AmbiXAgain     // B-format again, AmbiX
};

struct Decode {
    std::unique_ptr<vq::BFormatDecoder> decoder;
    vq::OutputLayout layout;
};

int SampleFormat(std::uint8_t settings)
{
    const int formats[] = {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE};
    return SF_FORMAT_WAVEX | formats[(settings >> 4) & 3];
}

sf_count_t BlockLength(std::uint8_t settings)
{
    return sf_count_t(16) << ((settings >> 4) % 10);
}

double HighpassHz(std::uint8_t settings)
{
    const double corners[] = {10.0, 45.0, 200.0, 250.0};
    return settings & 1 ? corners[(settings >> 1) & 3] : 0.0;
}

vq::FieldRotation Rotation(std::uint8_t settings)
{
    return vq::FieldRotation::FromDegrees(45.0 * (settings & 7), 90.0 * ((settings >> 3) & 3) - 90.0,
                                          30.0 * (settings >> 5));
}

std::string OutputName(const char* stem, int index)
{
    return ScratchPath(stem + std::to_string(index) + ".wav");
}

// The decoder the settings choose, and the files it writes; no decoder for None.
Decode ChooseDecoder(const vqfuzz::FuzzInput& in)
{
    const std::uint8_t choice = in.settings[3];
    const bool lfe = in.settings[2] & 8;
    const int surroundFiles[] = {1, 3, 6, 6};
    const int bformatFiles[] = {1, 2, 4, 4};
    const int fileChoice = (in.settings[0] >> 2) & 3;
    Decode d;
    switch (static_cast<DecoderChoice>(choice & 7)) {
    case DecoderChoice::None:
        break;
    case DecoderChoice::VirtualMic:
        d.decoder = std::make_unique<vq::VirtualMicFiveOneDecoder>(190.0 * (in.settings[5] / 255.0) - 5.0, lfe);
        d.layout = vq::SurroundLayout(surroundFiles[fileChoice]);
        break;
    case DecoderChoice::Energy:
        d.decoder = std::make_unique<vq::EnergyFiveOneDecoder>(lfe);
        d.layout = vq::SurroundLayout(surroundFiles[fileChoice]);
        break;
    case DecoderChoice::StereoPair:
        d.decoder = std::make_unique<vq::StereoPairDecoder>(((choice >> 3) & 7) / 6.0, 0.75 * in.settings[5] - 5.0,
                                                            25.0 * (in.settings[5] & 15) - 190.0);
        d.layout = vq::TwoChannelLayout(vq::TwoChannelDecode::Stereo);
        break;
    case DecoderChoice::Uhj:
        d.decoder = std::make_unique<vq::UhjEncoder>();
        d.layout = vq::TwoChannelLayout(vq::TwoChannelDecode::Uhj);
        break;
    case DecoderChoice::Binaural:
        d.decoder = std::make_unique<vq::BinauralDecoder>(std::make_shared<vq::SphericalHeadHrirs>());
        d.layout = vq::TwoChannelLayout(vq::TwoChannelDecode::Binaural);
        break;
    case DecoderChoice::FuMaAgain:
    case DecoderChoice::AmbiXAgain:
        d.decoder = std::make_unique<vq::BFormatPassThrough>();
        // AmbiX in two files does not exist: the engines must refuse the empty layout.
        d.layout = vq::BFormatLayout((choice & 7) == static_cast<int>(DecoderChoice::AmbiXAgain)
                                         ? vq::BFormatConvention::AmbiX
                                         : vq::BFormatConvention::FuMa,
                                     bformatFiles[fileChoice]);
        break;
    }
    return d;
}

void RunConvolver(const vqfuzz::FuzzInput& in)
{
    const int fileCounts[] = {1, 2, 4, 4};
    const int outputs = fileCounts[(in.settings[0] >> 2) & 3];
    QConvolver engine(outputs);
    const char* files[4] = {"in0.wav", "in1.wav", "in1.wav", "in0.wav"};
    const int inputCount = in.engine() == vqfuzz::Engine::ConvolverOneFile    ? 1
                           : in.engine() == vqfuzz::Engine::ConvolverTwoFiles ? 2
                                                                              : 4;
    for (int k = 0; k < inputCount; ++k)
        if (engine.OpenInputFile(ScratchPath(files[k]).c_str(), k) != vq::kStatusOk)
            return;
    if (engine.LoadFilterMatrix(ScratchPath("matrix.wav").c_str()) != vq::kStatusOk)
        return;
    if (engine.m_filterLength > kMaxTaps || engine.m_inputInfo.frames > kMaxFrames ||
        engine.m_inputInfo.samplerate > kMaxRate)
        return;
    for (int i = 0; i < outputs; ++i)
        engine.SetOutputFileName(i, OutputName("out", i));
    engine.m_outputInfo.format = SampleFormat(in.settings[0]);
    engine.m_autorange = in.settings[0] & 0x40;
    engine.m_dither = in.settings[0] & 0x80;
    engine.m_highpassHz = HighpassHz(in.settings[1]);
    int order[4] = {0, 1, 2, 3};
    for (int p = (in.settings[1] >> 3) % 24; p > 0; --p)
        std::next_permutation(order, order + 4);
    std::copy(order, order + 4, engine.m_capsuleChannels);
    engine.m_convention = in.settings[2] & 1 ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    engine.m_threads = in.settings[2] & 2 ? 2 : 1;
    engine.m_ambisonicHeader = in.settings[2] & 4;
    engine.m_requestedBufferLength = BlockLength(in.settings[2]);
    engine.m_rotation = Rotation(in.settings[4]);
    const Decode decode = ChooseDecoder(in);
    if (decode.decoder) {
        engine.m_decoder = decode.decoder.get();
        engine.m_decodedLayout = decode.layout;
        for (std::size_t i = 0; i < decode.layout.size(); ++i)
            engine.m_decodedFileNames.push_back(OutputName("dec", static_cast<int>(i)));
        engine.m_decodedFormat = SampleFormat(in.settings[5]);
        engine.m_decodedAutorange = engine.m_autorange;
        engine.m_writeBFormat = in.settings[3] & 0x40;
    }
    if (engine.Run() == vq::kStatusOk && (engine.m_autorange || engine.m_decodedAutorange))
        engine.Autorange();
}

void RunSurrounder(const vqfuzz::FuzzInput& in)
{
    const int fileCounts[] = {1, 3, 6, 6};
    const int outputs = fileCounts[(in.settings[0] >> 2) & 3];
    Surrounder engine(15.0 + 75.0 * (in.settings[1] >> 3) / 31.0, outputs);
    if (engine.OpenInputFile(ScratchPath("in0.wav")) != vq::kStatusOk || engine.m_inputInfo.frames > kMaxFrames ||
        engine.m_inputInfo.samplerate > kMaxRate)
        return;
    for (int i = 0; i < Surrounder::kChannels; ++i)
        engine.m_outputFileNames[i] = OutputName("out", i);
    engine.m_outputInfo.format = SampleFormat(in.settings[0]);
    engine.m_autorange = in.settings[0] & 0x40;
    engine.m_dither = in.settings[0] & 0x80;
    engine.m_highpassHz = HighpassHz(in.settings[1]);
    engine.m_inputConvention = in.settings[2] & 1 ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    engine.m_ambisonicHeader = in.settings[2] & 4;
    engine.m_lowFreqsInLfe = in.settings[2] & 8;
    engine.m_requestedBufferLength = BlockLength(in.settings[2]);
    engine.m_autorangeRemovesMean = in.settings[3] & 0x80;
    engine.m_rotation = Rotation(in.settings[4]);
    const Decode decode = ChooseDecoder(in);
    engine.m_decoder = decode.decoder.get();
    engine.m_decodedLayout = decode.layout;
    if (engine.Run() == vq::kStatusOk && engine.m_autorange)
        engine.Autorange();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const vqfuzz::FuzzInput in = vqfuzz::SplitInput(data, size);
    vqfuzz::WriteScratchFile("matrix.wav", in.matrix);
    vqfuzz::WriteScratchFile("in0.wav", in.input0);
    vqfuzz::WriteScratchFile("in1.wav", in.input1);
    if (in.engine() == vqfuzz::Engine::Surrounder)
        RunSurrounder(in);
    else
        RunConvolver(in);
    for (int i = 0; i < Surrounder::kChannels; ++i) {
        std::remove(OutputName("out", i).c_str());
        std::remove(OutputName("dec", i).c_str());
    }
    return 0;
}
