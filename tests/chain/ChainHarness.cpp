#include "chain/ChainHarness.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SphericalHeadHrirs.h"
#include "common/EngineStatus.h"
#include "spatial/ParametricBinauralDecoder.h"
#include "spatial/ParametricFiveOneDecoder.h"
#include "surround/BFormatPassThrough.h"
#include "surround/EnergyFiveOneDecoder.h"
#include "surround/StereoPairDecoder.h"
#include "surround/Surrounder.h"
#include "surround/UhjEncoder.h"
#include "surround/VirtualMicFiveOneDecoder.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vqtest {

namespace {

constexpr int kDoubleWav = SF_FORMAT_WAV | SF_FORMAT_DOUBLE;

template <typename Decoder, typename... Arguments>
std::function<std::unique_ptr<vq::BFormatDecoder>()> Maker(Arguments... arguments)
{
    return [=] { return std::make_unique<Decoder>(arguments...); };
}

Signals ReadSignals(const std::string& path)
{
    const Audio audio = ReadAudio(path);
    Signals signals;
    for (int c = 0; c < audio.info.channels; ++c)
        signals.push_back(audio.Channel(c));
    return signals;
}

}  // namespace

DecodeChoice Decode(const std::string& name)
{
    using namespace vq;
    const auto head = std::make_shared<SphericalHeadHrirs>();
    if (name == "virtual-mics")
        return {name, Maker<VirtualMicFiveOneDecoder>(60.0, true), &SurroundLayout(1)};
    if (name == "energy")
        return {name, Maker<EnergyFiveOneDecoder>(true), &SurroundLayout(1)};
    if (name == "parametric-5.1")
        return {name, Maker<ParametricFiveOneDecoder>(true), &SurroundLayout(1)};
    if (name == "stereo")
        return {name, Maker<StereoPairDecoder>(MicPattern::kCardioid, 100.0, 10.0),
                &TwoChannelLayout(TwoChannelDecode::Stereo)};
    if (name == "uhj")
        return {name, Maker<UhjEncoder>(), &TwoChannelLayout(TwoChannelDecode::Uhj)};
    if (name == "binaural")
        return {name, [head] { return std::make_unique<BinauralDecoder>(head); },
                &TwoChannelLayout(TwoChannelDecode::Binaural)};
    if (name == "binaural-parametric")
        return {name, [head] { return std::make_unique<ParametricBinauralDecoder>(head); },
                &TwoChannelLayout(TwoChannelDecode::Binaural)};
    return {"b-format", {}, nullptr};
}

Take MakeAFormatTake(const TempDir& dir, std::int64_t frames, int taps, int rate, unsigned seed)
{
    Take take;
    take.rate = rate;
    take.recording = MakeRecording(dir, frames, taps, seed, rate);
    take.input.assign(take.recording.capsules.begin(), take.recording.capsules.end());
    auto filters = std::make_shared<vq::FilterMatrixTaps>();
    filters->length = taps;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            filters->taps.insert(filters->taps.end(), take.recording.filters[k][j].begin(),
                                 take.recording.filters[k][j].end());
    take.filters = filters;
    return take;
}

Take MakeBFormatTake(const TempDir& dir, std::int64_t frames, int rate, vq::BFormatConvention convention,
                     unsigned seed)
{
    Take take;
    take.rate = rate;
    take.aFormat = false;
    for (int c = 0; c < 4; ++c)
        take.input.push_back(Noise(frames, seed + c));
    take.bformatFile = dir.File(convention == vq::BFormatConvention::AmbiX ? "take_ambix.wav" : "take_fuma.wav");
    WriteChannels(take.bformatFile, take.input, rate);
    return take;
}

EngineResult RunEngine(const TempDir& dir, const Take& take, const DecodeChoice& decode, const Settings& s)
{
    EngineResult result;
    const std::string output = dir.File("engine_out.wav");
    const std::string kept = dir.File("engine_kept.wav");
    std::unique_ptr<vq::BFormatDecoder> decoder = decode.make ? decode.make() : nullptr;
    const vq::FieldRotation rotation = vq::FieldRotation::FromDegrees(s.yaw, s.pitch, s.roll);
    if (take.aFormat) {
        QConvolver engine(1);
        OpenRecording(engine, take.recording, {});
        engine.m_outputInfo.format = kDoubleWav;
        engine.m_gain = s.sourceGain;
        engine.m_highpassHz = s.highpassHz;
        engine.m_rotation = rotation;
        engine.m_align = s.syncFrames >= 0;
        engine.m_alignDelay = std::max(0, s.syncFrames);
        engine.m_threads = 1;
        if (decoder) {
            engine.m_decoder = decoder.get();
            engine.m_decodedLayout = *decode.layout;
            engine.m_decodedFileNames = {output};
            engine.m_decodedFormat = kDoubleWav;
            engine.m_decodedGain = s.gain;
            engine.SetOutputFileName(0, kept);
        } else {
            engine.m_convention = s.outputConvention;
            engine.SetOutputFileName(0, output);
        }
        EXPECT_EQ(engine.Run(), vq::kStatusOk) << engine.m_failure.reason;
        if (decoder)
            result.keptBFormat = ReadSignals(kept);
    } else {
        Surrounder engine(60.0, 1);
        EXPECT_EQ(engine.OpenInputFile(take.bformatFile), vq::kStatusOk);
        if (!decoder)
            decoder = std::make_unique<vq::BFormatPassThrough>();
        engine.m_inputConvention = s.inputConvention;
        engine.m_decoder = decoder.get();
        engine.m_decodedLayout = decode.layout ? *decode.layout : vq::BFormatLayout(s.outputConvention, 1);
        engine.m_outputFileNames[0] = output;
        engine.m_outputInfo.format = kDoubleWav;
        engine.m_gain = s.gain;
        engine.m_highpassHz = s.highpassHz;
        engine.m_rotation = rotation;
        EXPECT_EQ(engine.Run(), vq::kStatusOk) << engine.m_failure.reason;
    }
    result.outputs = ReadSignals(output);
    return result;
}

vq::ChainSetup SetupFor(const Take& take, const DecodeChoice& decode, const Settings& s, const vq::PartitionPlan& plan)
{
    vq::ChainSetup setup;
    setup.sampleRate = take.rate;
    setup.plan = plan;
    setup.input = take.aFormat ? vq::ChainInput::AFormat : vq::ChainInput::BFormat;
    setup.filters = take.filters;
    setup.inputConvention = s.inputConvention;
    setup.sourceGain = s.sourceGain;
    setup.syncFrames = std::max(0, s.syncFrames);
    setup.highpassHz = s.highpassHz;
    setup.rotation = vq::FieldRotation::FromDegrees(s.yaw, s.pitch, s.roll);
    setup.decoder = decode.make;
    setup.outputConvention = s.outputConvention;
    setup.gain = s.gain;
    return setup;
}

void RecordingTap::Take(const double* const signals[], int channels, std::int64_t frames, std::int64_t first)
{
    if (!m_started) {
        m_started = true;
        m_first = first;
        m_signals.assign(static_cast<std::size_t>(channels), Signal());
    }
    // The frames of a tap follow each other without a gap.
    EXPECT_EQ(first, m_first + static_cast<std::int64_t>(m_signals.front().size()));
    for (int c = 0; c < channels; ++c)
        m_signals[static_cast<std::size_t>(c)].insert(m_signals[static_cast<std::size_t>(c)].end(), signals[c],
                                                      signals[c] + frames);
}

Signals RecordingTap::From0(std::int64_t length) const
{
    Signals out(m_signals.size(), Signal(static_cast<std::size_t>(length), 0.0));
    for (std::size_t c = 0; c < m_signals.size(); ++c)
        for (std::int64_t n = std::max<std::int64_t>(0, m_first); n < length; ++n) {
            const std::int64_t at = n - m_first;
            if (at < static_cast<std::int64_t>(m_signals[c].size()))
                out[c][static_cast<std::size_t>(n)] = m_signals[c][static_cast<std::size_t>(at)];
        }
    return out;
}

std::vector<Feed> EveryFeed()
{
    return {{"blocks_of_1", {1}},       {"blocks_of_7", {7}},         {"blocks_of_64", {64}},
            {"blocks_of_1000", {1000}}, {"blocks_of_65536", {65536}}, RandomFeed(17, 3000)};
}

Feed RandomFeed(unsigned seed, std::int64_t longest)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> length(1, longest);
    Feed feed{"random_blocks", {}};
    for (int i = 0; i < 97; ++i)
        feed.blocks.push_back(length(random));
    return feed;
}

Signals RunChain(vq::ProcessingChain& chain, const Signals& input, std::int64_t length, const Feed& feed)
{
    const std::int64_t latency = chain.LatencyFrames();
    const std::int64_t total = latency + length;
    const std::int64_t inputFrames = static_cast<std::int64_t>(input.front().size());
    Signals in(input.size(), Signal(static_cast<std::size_t>(std::max(total, inputFrames)), 0.0));
    for (std::size_t c = 0; c < input.size(); ++c)
        std::copy(input[c].begin(), input[c].end(), in[c].begin());
    Signals out(static_cast<std::size_t>(chain.OutputChannels()), Signal(static_cast<std::size_t>(total)));
    std::size_t next = 0;
    for (std::int64_t done = 0; done < total;) {
        const std::int64_t count = std::min(total - done, feed.blocks[next]);
        next = (next + 1) % feed.blocks.size();
        std::vector<const double*> from;
        std::vector<double*> to;
        for (Signal& c : in)
            from.push_back(c.data() + done);
        for (Signal& c : out)
            to.push_back(c.data() + done);
        chain.Process(from.data(), to.data(), count);
        done += count;
    }
    for (Signal& c : out)
        c.erase(c.begin(), c.begin() + latency);
    return out;
}

double MaxDifference(const Signals& a, const Signals& b)
{
    EXPECT_EQ(a.size(), b.size());
    double difference = 0.0;
    for (std::size_t c = 0; c < std::min(a.size(), b.size()); ++c) {
        EXPECT_EQ(a[c].size(), b[c].size()) << "channel " << c;
        difference = std::max(difference, MaxAbsDifference(a[c], b[c]));
    }
    return difference;
}

}  // namespace vqtest
