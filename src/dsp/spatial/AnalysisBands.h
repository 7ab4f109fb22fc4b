// The bins of the transform grouped into the bands in which directions are estimated:
// single bins at low frequencies, then bands a 16th of their frequency wide (about 1/11
// octave: finer than the ear's critical bands everywhere), so that a band gathers enough
// bins for a steady estimate where the bins are many. With bins of 31.25 Hz (BFormatStft at
// any rate) the bands become wider than one bin at 1 kHz; there are 89 up to 24 kHz. Every
// band costs the decoders a direction's rendering per frame: finer bands would cost more
// without being heard.
#pragma once

#include <vector>

namespace vq {

class AnalysisBands {
public:
    static constexpr int kBinsPerWidth = 16;  // a band starting at bin k is k / 16 bins wide

    // Bands over bins 0 .. bins-1, `binHz` apart. Throws std::bad_alloc.
    void Configure(int bins, double binHz);

    int Count() const { return static_cast<int>(m_first.size()) - 1; }
    int First(int band) const { return m_first[static_cast<std::size_t>(band)]; }   // first bin
    int End(int band) const { return m_first[static_cast<std::size_t>(band) + 1]; }  // one past the last
    int Width(int band) const { return End(band) - First(band); }
    double CentreHz(int band) const { return 0.5 * (First(band) + End(band) - 1) * m_binHz; }
    double BinHz() const { return m_binHz; }

private:
    std::vector<int> m_first;  // Count() + 1 entries, the last one the number of bins
    double m_binHz = 0.0;
};

}  // namespace vq
