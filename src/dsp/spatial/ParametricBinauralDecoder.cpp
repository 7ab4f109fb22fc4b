#include "spatial/ParametricBinauralDecoder.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/BinauralFilters.h"
#include "common/EngineStatus.h"

#include <utility>

namespace vq {

ParametricBinauralDecoder::ParametricBinauralDecoder(std::shared_ptr<const HrirSet> hrirs)
    : ParametricDecoder(kEars), m_hrirs(std::move(hrirs))
{
}

int ParametricBinauralDecoder::Prepare(int sampleRate, std::int64_t maxFrames)
{
    m_reason.clear();
    if (sampleRate < BinauralDecoder::kMinSampleRate || sampleRate > BinauralDecoder::kMaxSampleRate) {
        m_reason = "headphone decoding works from " + std::to_string(BinauralDecoder::kMinSampleRate) + " to " +
                   std::to_string(BinauralDecoder::kMaxSampleRate) + " Hz, not at " + std::to_string(sampleRate) +
                   " Hz";
        return kHrtfRateUnusable;
    }
    int status = m_hrirs->CheckRate(sampleRate, m_reason);
    if (status == kStatusOk)
        status = PrepareRendering(sampleRate, maxFrames);
    if (status == kOutOfMemory)
        m_reason = "not enough memory for the headphone filters";
    else if (status == kFftSetupFailed)
        m_reason = "the FFT library cannot plan the headphone filters";
    return status;
}

void ParametricBinauralDecoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    Render(in, out, frames);
}

int ParametricBinauralDecoder::DesignLinear(int sampleRate, LinearDecode& linear)
{
    BinauralFilters filters = DesignBinauralFilters(*m_hrirs, sampleRate);
    linear.channels = kEars;
    linear.length = filters.length;
    for (int k = 0; k < BinauralFilters::kInputs; ++k)
        for (int ear = 0; ear < kEars; ++ear)
            linear.taps[k][ear] = std::move(filters.taps[k][ear]);
    return kStatusOk;
}

int ParametricBinauralDecoder::PrepareDirect(int sampleRate, const AnalysisBands& bands, BFormatStft& stft)
{
    if (sampleRate == m_gridRate && stft.FrameLength() == m_gridFrameLength)
        return kStatusOk;
    m_gridRate = 0;
    m_grid.Build(*m_hrirs, sampleRate, bands, stft);
    m_gridRate = sampleRate;
    m_gridFrameLength = stft.FrameLength();
    return kStatusOk;
}

void ParametricBinauralDecoder::DirectRendering(const std::array<double, 3>& direction, int band, double gains[],
                                                double delays[]) const
{
    m_grid.Ears(m_grid.Locate(direction), band, gains, delays);
}

void ParametricBinauralDecoder::DiffuseGains(int band, double gains[]) const
{
    for (int ear = 0; ear < kEars; ++ear)
        gains[ear] = m_grid.DiffuseMagnitude(band, ear);
}

}  // namespace vq
