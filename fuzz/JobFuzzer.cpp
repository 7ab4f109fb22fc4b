// libFuzzer target of the conversion job: each input is a tiny take (one 4-channel file, or
// a front and a rear stereo file) and a filter matrix (FuzzInput.h), written into the fuzz
// working directory, and six bytes of settings that FillRecord turns into the job's record;
// VQParams::Convert then runs to completion and its message and clipping warning are asked
// for. The outputs go to a folder emptied after every input. Now and then (LongPolyTake) the
// take is instead a recorder's poly file longer than a read piece, made from the input's
// take, so that a buffer sized for four channels or for one piece shows.
//
// What the settings bytes mean is FillRecord's alone: when the record changes, only that
// function changes with it.
#include "FuzzInput.h"
#include "ScratchDir.h"

#include "DecodeModes.h"
#include "VQParams.h"

#include "common/FilterMatrixName.h"

#include <sndfile.h>
#include <wx/init.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using vqfuzz::ScratchPath;

// Small enough that every input runs in milliseconds.
constexpr sf_count_t kMaxFrames = 1 << 16;
constexpr sf_count_t kMaxMatrixFrames = 4 * 2048;
// The highest rate the decoders of headphones accept. UHJ's phase shifter spans a fifth of a
// second at any rate, so a header claiming megahertz takes it minutes on a few frames.
constexpr int kMaxRate = 768000;

// The sample rate of a file, and whether it is small enough to convert; 0 when libsndfile
// cannot read it (the run then reports that itself).
int ProbeRate(const std::string& path, sf_count_t maxFrames, bool* small)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return 0;
    sf_close(file);
    *small = *small && info.frames <= maxFrames && info.samplerate <= kMaxRate;
    return info.samplerate;
}

// The record of one conversion from the settings bytes of an input:
// Settings 0: bits 0-2 the mode (of five), bits 3-4 the file layout, bit 5 AmbiX, bit 6 the
// .amb header, bit 7 dither.
// Settings 1: bits 0-1 the B-format sample format, bits 2-3 the decode's (16 or 24 bits,
// float, or the input's), bit 4 the B-format's autorange, bit 5 the decode's, bit 6 the LFE
// channel, bit 7 with settings 5 bit 0 which of the mode's decoders.
// Settings 2: bits 0-4 the capsule order (one of the 24), bits 5-7 the high-pass corner
// (off, or 10 to 250 Hz: the last one out of range).
// Settings 3: the rotation: bits 0-2 yaw in 45-degree steps, bits 3-4 pitch in quarter
// turns, bits 5-7 roll in 30-degree steps.
// Settings 4: bits 0-2 the stereo pair's omni share (0 to 7/6, beyond 1 refused), bits 3-7
// its angle in 6-degree steps (to 186: beyond 180 refused) and the 5.1 opening angle.
// Settings 5: bit 0 the take is one 4-channel file (else a front and a rear file), bit 1 a
// decode keeps its B-format, bit 2 two threads, bit 3 outputs may replace files, bits 4-6
// the I/O buffer (1 to 64 KB), bit 7 the pair's aim turned 120 degrees to the left.
void FillRecord(const std::uint8_t settings[vqfuzz::kSettingsBytes], const std::string& front,
                const std::string& rear, const std::string& filtersDir, const std::string& outputDir,
                VQParams* record)
{
    const int formats[] = {VQParams::kFormatPcm16, VQParams::kFormatPcm24, VQParams::kFormatFloat, 0};
    const double corners[] = {0.0, 10.0, 20.0, 40.0, 80.0, 120.0, 200.0, 250.0};
    record->m_outputMode = (settings[0] & 7) % static_cast<int>(vq::DecodeModes().size());
    record->m_fileLayout = std::min((settings[0] >> 3) & 3, 2);
    record->m_convention = settings[0] & 0x20 ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    record->m_ambFile = settings[0] & 0x40;
    record->m_dither = settings[0] & 0x80;
    record->m_bformatFormat = formats[settings[1] & 3];
    record->m_surroundFormat = formats[(settings[1] >> 2) & 3];
    record->m_bformatAutorange = settings[1] & 0x10;
    record->m_surroundAutorange = settings[1] & 0x20;
    record->m_lowFreqsInLfe = settings[1] & 0x40;
    // Any decoder the mode offers (the table's rows).
    const vq::DecodeMode& mode = record->Mode();
    if (!mode.decoders.empty())
        record->m_decoders[mode.name] =
            mode.decoders[static_cast<std::size_t>((settings[1] >> 7) | (settings[5] & 1) << 1) % mode.decoders.size()]
                .name;
    int order[4] = {0, 1, 2, 3};
    for (int p = (settings[2] & 31) % 24; p > 0; --p)
        std::next_permutation(order, order + 4);
    std::copy(order, order + 4, record->m_capsuleChannels);
    record->m_highpassHz = corners[settings[2] >> 5];
    record->m_yaw = 45.0 * (settings[3] & 7);
    record->m_pitch = 90.0 * ((settings[3] >> 3) & 3) - 90.0;
    record->m_roll = 30.0 * (settings[3] >> 5);
    record->m_pairPattern = (settings[4] & 7) / 6.0;
    record->m_pairAngle = 6.0 * (settings[4] >> 3);
    record->m_openingAngle = settings[4] >> 3 << 2;
    record->m_pairAim = settings[5] & 0x80 ? 120.0 : 0.0;
    record->m_threads = settings[5] & 4 ? 2 : 1;
    record->m_replaceOutputs = settings[5] & 8;
    record->m_ioBufferLength = 1024 << ((settings[5] >> 4) & 7) % 7;
    record->m_outputDir = wxString::FromUTF8(outputDir.c_str());
    record->SetFiltersDir(wxString::FromUTF8(filtersDir.c_str()));
    record->SetFileName(VQParams::kBldBruInput, wxString::FromUTF8(rear.c_str()));
    record->SetFileName(VQParams::kFluFrdInput, wxString::FromUTF8(front.c_str()));  // derives the outputs
    if (settings[5] & 2)
        record->m_keepBFormat = wxString::FromUTF8((outputDir + "/kept.wav").c_str());
}

// A poly file of 5 to 8 channels (the capsules in four of them) and of 16385 to about 32000
// frames: longer than the engines' read pieces, yet quick to convert.
struct PolyTake {
    int width = 0;
    std::vector<int> capsules;  // the channels, from 0, in capsule order
    sf_count_t frames = 0;
};

// Drawn for one input in sixteen, by its settings; none otherwise (width 0).
PolyTake LongPolyTake(const std::uint8_t settings[vqfuzz::kSettingsBytes])
{
    PolyTake take;
    if (((settings[2] * 7 + settings[3] * 13 + settings[4]) & 15) != 0)
        return take;
    take.width = 5 + (settings[3] & 3);
    std::vector<int> channels(static_cast<std::size_t>(take.width));
    for (int c = 0; c < take.width; ++c)
        channels[static_cast<std::size_t>(c)] = c;
    for (int turn = settings[4] % 7; turn > 0; --turn)
        std::next_permutation(channels.begin(), channels.end());
    take.capsules.assign(channels.begin(), channels.begin() + 4);
    take.frames = 16385 + sf_count_t(settings[4]) * 61;
    return take;
}

// Writes the poly take into `path` at `rate` from the samples of `source` (a sound file),
// tiled over its length and its channels; a source without samples gives a ramp.
void WritePolyTake(const PolyTake& take, const std::string& source, int rate, const std::string& path)
{
    std::vector<double> samples;
    SF_INFO info{};
    if (SNDFILE* file = sf_open(source.c_str(), SFM_READ, &info)) {
        if (info.frames > 0 && info.frames <= kMaxFrames) {
            samples.resize(static_cast<std::size_t>(info.frames * info.channels));
            samples.resize(static_cast<std::size_t>(sf_readf_double(file, samples.data(), info.frames) * info.channels));
        }
        sf_close(file);
    }
    if (samples.empty())
        samples = {0.5, -0.25, 0.125, 0.0};
    SF_INFO poly{};
    poly.samplerate = rate;
    poly.channels = take.width;
    poly.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &poly);
    if (!file)
        return;
    std::vector<double> frames(static_cast<std::size_t>(take.frames * take.width));
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = samples[i % samples.size()];
    sf_writef_double(file, frames.data(), take.frames);
    sf_close(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    wxInitialize();
    for (const char* folder : {"filters", "out"})
        vqfuzz::EmptyScratchFolder(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const vqfuzz::FuzzInput in = vqfuzz::SplitInput(data, size);
    const bool wholeTake = in.settings[5] & 1;
    const std::string front = ScratchPath(wholeTake ? "whole.wav" : "takeF.wav");
    const std::string rear = ScratchPath("takeR.wav");
    vqfuzz::WriteScratchFile(wholeTake ? "whole.wav" : "takeF.wav", in.input0);
    vqfuzz::WriteScratchFile("takeR.wav", in.input1);
    vqfuzz::WriteScratchFile("matrix.wav", in.matrix);

    // The matrix goes where the run looks for it: under the name of the take's rate.
    bool small = true;
    const int rate = ProbeRate(front, kMaxFrames, &small);
    ProbeRate(rear, kMaxFrames, &small);
    ProbeRate(ScratchPath("matrix.wav"), kMaxMatrixFrames, &small);
    if (!small)
        return 0;
    vqfuzz::EmptyScratchFolder("filters");
    std::rename(ScratchPath("matrix.wav").c_str(),
                ScratchPath("filters/" + vq::FilterMatrixFileName(rate > 0 ? rate : 48000)).c_str());

    const PolyTake poly = LongPolyTake(in.settings);
    if (poly.width > 0)
        WritePolyTake(poly, front, rate > 0 ? rate : 48000, ScratchPath("poly.wav"));
    {
        VQParams record(nullptr);
        FillRecord(in.settings, poly.width > 0 ? ScratchPath("poly.wav") : front, rear, ScratchPath("filters"),
                   ScratchPath("out"), &record);
        record.m_channels = poly.capsules;
        record.Convert();
        record.GetErrorMessage();
        record.GetClippingWarning();
    }
    vqfuzz::EmptyScratchFolder("out");
    return 0;
}
