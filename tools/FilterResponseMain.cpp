// vq-filter-response: prints, for a filter-matrix file designed for the default
// microphone, a table against frequency of the filters' magnitudes from capsule FLU and
// of the diffuse-field level of each output against ideal B-format, with the filters and
// with the coincident matrix alone. scripts/plot-filters.sh draws it.
//
//   vq-filter-response FilterMatrix_48000.wav
#include "filters/BFormatFit.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace vq;

namespace {

constexpr int kPoints = 240;
constexpr double kLowest = 20.0;  // Hz

double Db(double power)
{
    return 10.0 * std::log10(std::max(power, 1e-30));
}

// Response at `frequency` of the L taps of channel j starting at frame k L.
std::complex<double> FilterResponse(const std::vector<double>& frames, int taps, int k, int j, double frequency,
                                    int rate)
{
    std::complex<double> sum = 0.0;
    for (int n = 0; n < taps; ++n)
        sum += frames[(static_cast<std::size_t>(k) * taps + n) * kBFormatChannels + j] *
               std::polar(1.0, -2.0 * kPi * frequency * n / rate);
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: vq-filter-response FILTER_MATRIX.wav\n");
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (!file || info.channels != kBFormatChannels || info.frames < 4) {
        std::fprintf(stderr, "vq-filter-response: %s is not a readable 4-channel filter matrix\n", argv[1]);
        if (file)
            sf_close(file);
        return 1;
    }
    const int taps = static_cast<int>(info.frames / 4);
    std::vector<double> frames(static_cast<std::size_t>(taps) * 4 * kBFormatChannels);
    const bool complete = sf_readf_double(file, frames.data(), 4 * taps) == 4 * taps;
    sf_close(file);
    if (!complete) {
        std::fprintf(stderr, "vq-filter-response: cannot read %s\n", argv[1]);
        return 1;
    }

    const ArrayModel model{ArrayGeometry{}};
    const BFormatFit fit(model, 600);
    const ComplexMatrix4 coincident = CoincidentMatrix(model);
    const double highest = 0.49 * info.samplerate;
    std::printf(
        "# Hz\tFLU->W\tFLU->X\tFLU->Y\tFLU->Z (dB)\tdiffuse W\tX\tY\tZ (dB re ideal)\t"
        "coincident W\tX\tY\tZ (dB re ideal)\n");
    for (int i = 0; i < kPoints; ++i) {
        const double f = kLowest * std::pow(highest / kLowest, static_cast<double>(i) / (kPoints - 1));
        ComplexMatrix4 m{};
        for (int k = 0; k < ArrayModel::kCapsules; ++k)
            for (int j = 0; j < kBFormatChannels; ++j)
                m[j][k] = FilterResponse(frames, taps, k, j, f, info.samplerate);
        const auto corrected = fit.DiffuseLevels(m, f);
        const auto uncorrected = fit.DiffuseLevels(coincident, f);
        std::printf("%.1f", f);
        for (int j = 0; j < kBFormatChannels; ++j)
            std::printf("\t%.3f", Db(std::norm(m[j][0])));
        for (int j = 0; j < kBFormatChannels; ++j)
            std::printf("\t%.3f", Db(corrected[j]));
        for (int j = 0; j < kBFormatChannels; ++j)
            std::printf("\t%.3f", Db(uncorrected[j]));
        std::printf("\n");
    }
    return 0;
}
