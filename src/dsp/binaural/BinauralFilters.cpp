#include "binaural/BinauralFilters.h"

#include "binaural/Crossover.h"
#include "binaural/DecodeLayouts.h"

#include <array>
#include <cmath>

namespace vq {

namespace {

constexpr int kInputs = BinauralFilters::kInputs;
constexpr int kEars = BinauralFilters::kEars;
using FilterBank = std::vector<double>[kInputs][kEars];

// Adds each speaker's HRIR pair, times its weight of W, X, Y, Z, to bank[k][ear]; `left` and
// `right` are scratch of the HRIRs' length.
void AddSpeakers(const HrirSet& hrirs, const VirtualSpeaker* speakers, std::size_t count, int sampleRate,
                 std::vector<double>& left, std::vector<double>& right, FilterBank& bank)
{
    for (const VirtualSpeaker* s = speakers; s != speakers + count; ++s) {
        hrirs.Responses(s->azimuth, s->elevation, sampleRate, left.data(), right.data());
        for (int k = 0; k < kInputs; ++k) {
            for (std::size_t i = 0; i < left.size(); ++i) {
                bank[k][0][i] += s->weights[k] * left[i];
                bank[k][1][i] += s->weights[k] * right[i];
            }
        }
    }
}

}  // namespace

BinauralFilters DesignBinauralFilters(const HrirSet& hrirs, int sampleRate)
{
    BinauralFilters result;
    const int hrirLength = hrirs.Length(sampleRate);
    result.length =
        hrirLength + static_cast<int>(std::ceil(BinauralFilters::kCrossoverTailSeconds * sampleRate));
    const std::size_t length = static_cast<std::size_t>(result.length);

    std::vector<double> left(static_cast<std::size_t>(hrirLength));
    std::vector<double> right(static_cast<std::size_t>(hrirLength));
    FilterBank highBand;
    for (int k = 0; k < kInputs; ++k) {
        for (int ear = 0; ear < kEars; ++ear) {
            result.taps[k][ear].assign(length, 0.0);
            highBand[k][ear].assign(length, 0.0);
        }
    }
    // The low band goes straight into the filters, the high band beside them.
    const std::array<VirtualSpeaker, kLowBandSpeakers> lowSpeakers = LowBandSpeakers();
    const std::array<VirtualSpeaker, kHighBandSpeakers> highSpeakers = HighBandSpeakers();
    AddSpeakers(hrirs, lowSpeakers.data(), lowSpeakers.size(), sampleRate, left, right, result.taps);
    AddSpeakers(hrirs, highSpeakers.data(), highSpeakers.size(), sampleRate, left, right, highBand);

    const double crossover = BinauralFilters::kCrossoverHz;
    for (int k = 0; k < kInputs; ++k) {
        for (int ear = 0; ear < kEars; ++ear) {
            std::vector<double>& filter = result.taps[k][ear];
            LinkwitzRileyLowPass(filter.data(), result.length, crossover, sampleRate);
            LinkwitzRileyHighPass(highBand[k][ear].data(), result.length, crossover, sampleRate);
            for (std::size_t i = 0; i < length; ++i)
                filter[i] += highBand[k][ear][i];
        }
    }
    return result;
}

}  // namespace vq
