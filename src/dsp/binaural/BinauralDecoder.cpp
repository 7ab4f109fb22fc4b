#include "binaural/BinauralDecoder.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <new>
#include <utility>

namespace vq {

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
        m_filters = DesignBinauralFilters(*m_hrirs, sampleRate);
        status = m_matrix.Configure(m_filters.length, StreamingFirMatrix::kMaxInputs, kEars, m_plan);
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    if (status != kStatusOk) {
        m_reason = status == kOutOfMemory ? "not enough memory for the headphone filters"
                                          : "the FFT library cannot plan the headphone filters";
        return status;
    }
    for (int k = 0; k < StreamingFirMatrix::kMaxInputs; ++k)
        for (int ear = 0; ear < kEars; ++ear)
            m_matrix.SetFilter(k, ear, m_filters.taps[k][ear].data());
    m_prepared = true;
    return kStatusOk;
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
    return m_filters.taps[input][ear];
}

}  // namespace vq
