#include "binaural/BinauralDecoder.h"

#include "binaural/Crossover.h"
#include "binaural/DecodeLayouts.h"
#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

namespace vq {

namespace {

constexpr int kInputs = StreamingFirMatrix::kInputs;
using FilterBank = std::vector<double>[kInputs][BinauralDecoder::kEars];

// Adds each speaker's HRIR pair, times its weight of W, X, Y, Z, to bank[k][ear]; `left` and
// `right` are scratch of the HRIRs' length.
void AddSpeakers(const HrirSet& hrirs, const VirtualSpeaker* speakers, std::size_t count, int sampleRate,
                 std::vector<double>& left, std::vector<double>& right, FilterBank& bank)
{
    for (const VirtualSpeaker* s = speakers; s != speakers + count; ++s) {
        hrirs.Responses(s->azimuth, s->elevation, sampleRate, left.data(), right.data());
        for (int k = 0; k < kInputs; ++k) {
            for (std::size_t i = 0; i < left.size(); ++i) {
                bank[k][BinauralDecoder::kLeftEar][i] += s->weights[k] * left[i];
                bank[k][BinauralDecoder::kRightEar][i] += s->weights[k] * right[i];
            }
        }
    }
}

}  // namespace

BinauralDecoder::BinauralDecoder(std::shared_ptr<const HrirSet> hrirs) : m_hrirs(std::move(hrirs)) {}

int BinauralDecoder::Prepare(int sampleRate, std::int64_t /*maxFrames*/)
{
    // Blocks go straight from the caller's arrays through the transforms: no buffer
    // depends on their length.
    m_prepared = false;
    m_reason.clear();
    if (sampleRate < kMinSampleRate || sampleRate > kMaxSampleRate) {
        m_reason = "headphone decoding works from " + std::to_string(kMinSampleRate) + " to " +
                   std::to_string(kMaxSampleRate) + " Hz, not at " + std::to_string(sampleRate) + " Hz";
        return kHrtfRateUnusable;
    }
    int status = m_hrirs->CheckRate(sampleRate, m_reason);
    if (status != kStatusOk)
        return status;

    try {
        BuildFilters(sampleRate);
        status = m_matrix.Configure(m_filterLength, kEars);
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    if (status != kStatusOk) {
        m_reason = status == kOutOfMemory ? "not enough memory for the headphone filters"
                                          : "the FFT library cannot plan the headphone filters";
        return status;
    }
    for (int k = 0; k < kInputs; ++k)
        for (int ear = 0; ear < kEars; ++ear)
            m_matrix.SetFilter(k, ear, m_filters[k][ear].data());
    m_prepared = true;
    return kStatusOk;
}

void BinauralDecoder::BuildFilters(int sampleRate)
{
    const int hrirLength = m_hrirs->Length(sampleRate);
    m_filterLength = hrirLength + static_cast<int>(std::ceil(kCrossoverTailSeconds * sampleRate));
    const std::size_t length = static_cast<std::size_t>(m_filterLength);

    std::vector<double> left(static_cast<std::size_t>(hrirLength));
    std::vector<double> right(static_cast<std::size_t>(hrirLength));
    FilterBank highBand;
    for (int k = 0; k < kInputs; ++k) {
        for (int ear = 0; ear < kEars; ++ear) {
            m_filters[k][ear].assign(length, 0.0);
            highBand[k][ear].assign(length, 0.0);
        }
    }
    // The low band goes straight into the filters, the high band beside them.
    const std::array<VirtualSpeaker, kLowBandSpeakers> lowSpeakers = LowBandSpeakers();
    const std::array<VirtualSpeaker, kHighBandSpeakers> highSpeakers = HighBandSpeakers();
    AddSpeakers(*m_hrirs, lowSpeakers.data(), lowSpeakers.size(), sampleRate, left, right, m_filters);
    AddSpeakers(*m_hrirs, highSpeakers.data(), highSpeakers.size(), sampleRate, left, right, highBand);

    for (int k = 0; k < kInputs; ++k) {
        for (int ear = 0; ear < kEars; ++ear) {
            std::vector<double>& filter = m_filters[k][ear];
            LinkwitzRileyLowPass(filter.data(), m_filterLength, kCrossoverHz, sampleRate);
            LinkwitzRileyHighPass(highBand[k][ear].data(), m_filterLength, kCrossoverHz, sampleRate);
            for (std::size_t i = 0; i < length; ++i)
                filter[i] += highBand[k][ear][i];
        }
    }
}

void BinauralDecoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    if (!m_prepared) {
        for (int ear = 0; ear < kEars; ++ear)
            std::fill(out[ear], out[ear] + frames, 0.0);
        return;
    }
    m_matrix.Process(in, out, frames);
}

const std::vector<double>& BinauralDecoder::Filter(int input, int ear) const
{
    return m_filters[input][ear];
}

}  // namespace vq
