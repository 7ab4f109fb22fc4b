#include "chain/ProcessingChain.h"

#include "common/DenormalGuard.h"
#include "common/EngineStatus.h"
#include "common/OutputLayout.h"
#include "surround/BFormatDecoder.h"

#include <algorithm>
#include <new>
#include <string>

namespace vq {

namespace {

// Longest piece a stage takes at a time on the throughput plan.
constexpr std::int64_t kMaxPieceFrames = std::int64_t(1) << 20;
// More channels than a recorder's poly file holds.
constexpr int kMaxInputChannels = 64;

void Silence(double* const out[], int channels, std::int64_t from, std::int64_t frames)
{
    for (int c = 0; c < channels; ++c)
        std::fill(out[c] + from, out[c] + from + frames, 0.0);
}

}  // namespace

ProcessingChain::ProcessingChain() = default;
ProcessingChain::~ProcessingChain() = default;

int ProcessingChain::Configure(const ChainSetup& setup, FailureDetail* failure)
{
    FailureDetail ignored;
    FailureDetail& why = failure ? *failure : ignored;
    why.Clear();
    m_ready = false;
    m_pool.reset();
    m_decoder.reset();
    m_setup = setup;
    const bool live = setup.plan.IsLive();
    if (setup.sampleRate <= 0 || setup.pieceFrames < 1 || setup.syncFrames < 0 || setup.inputChannels < 4 ||
        setup.inputChannels > kMaxInputChannels || setup.threads < 0 || setup.lengthFrames < -1) {
        why.reason = "the chain's rate, channels, piece length or sync delay is out of range";
        return kBadParameter;
    }
    m_piece = live ? setup.plan.quantum : std::min(setup.pieceFrames, kMaxPieceFrames);
    try {
        const int threads = live ? 1 : setup.threads > 0 ? setup.threads : DefaultHelperThreads() + 1;
        if (threads > 1)
            m_pool = std::make_unique<WorkerPool>(threads - 1);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    int status = m_source.Configure(setup, m_pool ? m_pool->Slots() : 1, &why);
    if (status != kStatusOk)
        return status;

    m_highpassOn = setup.highpassHz > 0.0;
    if (m_highpassOn && m_highpass.Configure(setup.highpassHz, setup.sampleRate, 4) != kStatusOk) {
        why.reason = "the high-pass corner must lie between 10 and 200 Hz";
        return kBadParameter;
    }
    m_rotation.Set(setup.rotation);
    m_gain.Set(setup.gain);

    std::int64_t decoderLatency = 0;
    if (setup.decoder) {
        try {
            m_decoder = setup.decoder();
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        }
        if (!m_decoder || m_decoder->OutputChannels() < 1 || m_decoder->OutputChannels() > kMaxOutputs) {
            why.reason = "the decoder cannot be made";
            return kBadParameter;
        }
        m_decoder->UsePartitionPlan(setup.plan);
        status = m_decoder->Prepare(setup.sampleRate, m_piece);
        if (status != kStatusOk) {
            why.reason = "the decode cannot run at " + std::to_string(setup.sampleRate) + " Hz";
            return status;
        }
        m_outputs = m_decoder->OutputChannels();
        for (int c = 0; c < m_outputs; ++c) {
            m_route[c] = c;
            m_weight[c] = 1.0;
        }
        decoderLatency = m_decoder->LatencyFrames();
    } else {
        // The B-format leaves as the convention's one file lays its channels out.
        const std::vector<OutputChannel>& channels = BFormatLayout(setup.outputConvention, 1).front().channels;
        m_outputs = static_cast<int>(channels.size());
        for (int c = 0; c < m_outputs; ++c) {
            m_route[c] = channels[static_cast<std::size_t>(c)].signal;
            m_weight[c] = channels[static_cast<std::size_t>(c)].weight;
        }
    }

    const std::size_t piece = static_cast<std::size_t>(m_piece);
    bool ok = true;
    for (int j = 0; j < 4; ++j)
        ok = ok && m_bformat[0][j].Allocate(piece) && m_bformat[1][j].Allocate(piece) &&
             (!live || m_quantumIn[j].Allocate(piece));
    for (int c = 0; c < m_outputs; ++c)
        ok = ok && m_decoded[c].Allocate(piece) && (!live || m_quantumOut[c].Allocate(piece));
    if (!ok)
        return kOutOfMemory;

    // On the live plan the dropped frames must end where a quantum ends, so that the decoder
    // still takes whole quanta: the first quantum starts with as many zeros as that needs.
    m_startSkip = live ? (m_piece - setup.syncFrames % m_piece) % m_piece : 0;
    m_latency = (live ? m_piece : 0) + setup.syncFrames + decoderLatency;
    ClearStreams();
    m_ready = true;
    return kStatusOk;
}

void ProcessingChain::ClearStreams()
{
    for (int j = 0; j < 4; ++j)
        std::fill(m_quantumIn[j].data(), m_quantumIn[j].data() + m_quantumIn[j].size(), 0.0);
    for (int c = 0; c < m_outputs; ++c)
        std::fill(m_quantumOut[c].data(), m_quantumOut[c].data() + m_quantumOut[c].size(), 0.0);
    m_filled = m_startSkip;
    m_syncLeft = m_setup.syncFrames + m_startSkip;
    m_kept = 0;
}

void ProcessingChain::Reset()
{
    if (!m_ready)
        return;
    m_source.Reset();
    if (m_highpassOn)
        m_highpass.Reset();
    m_rotation.Finish();
    m_gain.Finish();
    if (m_decoder && m_decoder->Prepare(m_setup.sampleRate, m_piece) != kStatusOk)
        m_ready = false;
    ClearStreams();
}

void ProcessingChain::SetGain(double gain, std::int64_t rampFrames)
{
    m_gain.MoveTo(gain, rampFrames);
}

void ProcessingChain::SetRotation(const FieldRotation& rotation, std::int64_t rampFrames)
{
    m_rotation.MoveTo(rotation, rampFrames);
}

void ProcessingChain::Process(const double* const in[], double* const out[], std::int64_t frames)
{
    if (!m_ready) {
        Silence(out, m_outputs, 0, frames);
        return;
    }
    DenormalGuard flushDenormals;
    const double* source[4];
    for (int k = 0; k < 4; ++k)
        source[k] = in[m_setup.input == ChainInput::AFormat ? m_setup.capsuleChannels[k] : k];
    if (m_setup.plan.IsLive())
        ProcessLive(source, out, frames);
    else
        ProcessPieces(source, out, frames);
}

void ProcessingChain::ProcessLive(const double* const source[4], double* const out[], std::int64_t frames)
{
    double* const quantumIn[4] = {m_quantumIn[0].data(), m_quantumIn[1].data(), m_quantumIn[2].data(),
                                  m_quantumIn[3].data()};
    double* quantumOut[kMaxOutputs];
    for (int c = 0; c < m_outputs; ++c)
        quantumOut[c] = m_quantumOut[c].data();
    double* const wxyz[4] = {m_bformat[0][0].data(), m_bformat[0][1].data(), m_bformat[0][2].data(),
                             m_bformat[0][3].data()};
    // Each frame goes in where the one a quantum ago comes out.
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t n = std::min(frames - done, m_piece - m_filled);
        for (int k = 0; k < 4; ++k)
            std::copy(source[k] + done, source[k] + done + n, quantumIn[k] + m_filled);
        for (int c = 0; c < m_outputs; ++c)
            std::copy(quantumOut[c] + m_filled, quantumOut[c] + m_filled + n, out[c] + done);
        m_filled += n;
        done += n;
        if (m_filled == m_piece) {
            m_source.Process(quantumIn, wxyz, m_piece);
            Downstream(wxyz, quantumOut, m_piece);
            m_filled = 0;
        }
    }
}

void ProcessingChain::ProcessPieces(const double* const source[4], double* const out[], std::int64_t frames)
{
    const std::int64_t pieces = (frames + m_piece - 1) / m_piece;
    // Piece q is made by the source's steps in the same job as piece q-1 goes through the
    // rest of the chain: job q runs item 0 (the hand-on) beside the steps.
    for (std::int64_t q = 0; q <= pieces; ++q) {
        m_handFrames = 0;
        if (q > 0) {
            const std::int64_t start = (q - 1) * m_piece;
            m_handFrames = std::min(m_piece, frames - start);
            for (int j = 0; j < 4; ++j)
                m_handBFormat[j] = m_bformat[(q - 1) % 2][j].data();
            for (int c = 0; c < m_outputs; ++c)
                m_handOut[c] = out[c] + start;
        }
        int steps = 0;
        if (q < pieces) {
            const std::int64_t start = q * m_piece;
            const std::int64_t count = std::min(m_piece, frames - start);
            const double* in[4];
            double* wxyz[4];
            for (int k = 0; k < 4; ++k) {
                in[k] = source[k] + start;
                wxyz[k] = m_bformat[q % 2][k].data();
            }
            m_source.BeginSteps(in, wxyz, count);
            steps = m_source.Steps(count);
        }
        // Waking the pool's threads costs more than one item of a short call takes.
        const int items = (m_handFrames > 0 ? 1 : 0) + steps;
        if (m_pool && items > 1) {
            m_pool->Start(this, 1 + steps);
            m_pool->Finish();
        } else {
            for (int item = 0; item <= steps; ++item)
                RunItem(item, 0);
        }
        if (q < pieces)
            m_source.EndSteps();
    }
}

void ProcessingChain::RunItem(std::int64_t item, int slot)
{
    // The pool's threads flush denormals too.
    DenormalGuard flushDenormals;
    if (item > 0)
        m_source.RunStep(static_cast<int>(item - 1), slot);
    else if (m_handFrames > 0)
        Downstream(m_handBFormat, m_handOut, m_handFrames);
}

void ProcessingChain::Downstream(double* const wxyz[4], double* const out[], std::int64_t frames)
{
    // The filters run over every frame, the dropped ones too, so that their state is right.
    if (m_highpassOn)
        m_highpass.Process(wxyz, frames);
    m_rotation.Apply(wxyz[1], wxyz[2], wxyz[3], frames);
    const std::int64_t skip = std::min(frames, m_syncLeft);
    m_syncLeft -= skip;
    Silence(out, m_outputs, 0, skip);
    const std::int64_t count = frames - skip;
    if (count == 0)
        return;

    double* const kept[4] = {wxyz[0] + skip, wxyz[1] + skip, wxyz[2] + skip, wxyz[3] + skip};
    const std::int64_t length = m_setup.lengthFrames;
    const std::int64_t inside = length < 0 ? count : std::clamp<std::int64_t>(length - m_kept, 0, count);
    if (inside < count)
        Silence(kept, 4, inside, count - inside);
    if (m_setup.directionTap && inside > 0)
        m_setup.directionTap->Take(kept, 4, inside, m_kept);
    double* signals[kMaxOutputs];
    int channels = 4;
    std::int64_t latency = 0;
    if (m_decoder) {
        channels = m_outputs;
        for (int c = 0; c < channels; ++c)
            signals[c] = m_decoded[c].data();
        m_decoder->Decode(kept, signals, count);
        latency = m_decoder->LatencyFrames();
    } else {
        std::copy(kept, kept + 4, signals);
    }
    m_gain.Apply(signals, channels, count);
    if (m_setup.meterTap)
        m_setup.meterTap->Take(signals, channels, count, m_kept - latency);
    for (int c = 0; c < m_outputs; ++c) {
        const double* from = signals[m_route[c]];
        const double weight = m_weight[c];
        double* to = out[c] + skip;
        if (weight == 1.0)
            std::copy(from, from + count, to);
        else
            for (std::int64_t n = 0; n < count; ++n)
                to[n] = weight * from[n];
    }
    m_kept += count;
}

}  // namespace vq
