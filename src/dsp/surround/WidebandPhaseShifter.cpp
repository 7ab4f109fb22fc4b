#include "surround/WidebandPhaseShifter.h"

#include "common/EngineStatus.h"
#include "common/FftwPlan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;
// Half the filter's span in seconds: the longer, the lower the band reaches.
constexpr double kHalfSpanSeconds = 0.1;
// The Kaiser window's shape: side lobes near -80 dB.
constexpr double kKaiserBeta = 8.0;
// One convolution per frame is far cheaper than reading and writing the frame: measured
// plans (over a second to find at 32768 points) would gain nothing worth the wait.
constexpr unsigned kPlanFlags = FFTW_ESTIMATE;

// The modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 500 && term > 1e-17 * sum; ++k) {
        const double ratio = x / (2.0 * k);
        term *= ratio * ratio;
        sum += term;
    }
    return sum;
}

std::int64_t NextPowerOfTwo(std::int64_t n)
{
    std::int64_t p = 1;
    while (p < n)
        p *= 2;
    return p;
}

}  // namespace

std::int64_t WidebandPhaseShifter::HalfLength(int sampleRate)
{
    return std::max<std::int64_t>(1, std::llround(kHalfSpanSeconds * sampleRate));
}

std::vector<double> WidebandPhaseShifter::DesignTaps(int sampleRate)
{
    const std::int64_t m = HalfLength(sampleRate);
    std::vector<double> taps(static_cast<std::size_t>(2 * m + 1), 0.0);
    const double norm = BesselI0(kKaiserBeta);
    // The ideal response +j sgn(f) has the impulse response -2 / (pi k) at odd k and 0 at
    // even k; tap m + k holds lag k.
    for (std::int64_t k = 1; k <= m; k += 2) {
        const double r = double(k) / double(m);
        const double window = BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        const double value = 2.0 / (kPi * double(k)) * window;
        taps[static_cast<std::size_t>(m + k)] = -value;
        taps[static_cast<std::size_t>(m - k)] = value;
    }
    return taps;
}

WidebandPhaseShifter::~WidebandPhaseShifter() = default;

int WidebandPhaseShifter::Prepare(int sampleRate, std::int64_t maxFrames)
{
    if (sampleRate <= 0 || maxFrames < 0)
        return kBadParameter;
    m_forward = FftwPlan();
    m_inverse = FftwPlan();
    m_halfLength = HalfLength(sampleRate);
    const std::int64_t history = 2 * m_halfLength;
    // Up to three times the filter's span of new frames a transform: longer transforms
    // cost more per frame than they save, shorter calls need no more.
    m_fftLength = NextPowerOfTwo(history + std::clamp<std::int64_t>(maxFrames, 1, 3 * history));
    m_hop = m_fftLength - history;
    if (m_fftLength > std::numeric_limits<int>::max())
        return kBadParameter;  // a rate beyond any audio file's
    const std::size_t n = static_cast<std::size_t>(m_fftLength);
    const std::size_t bins = n / 2 + 1;
    if (!m_frame.Allocate(n) || !m_result.Allocate(n) || !m_spectrum.Allocate(bins) || !m_filterSpectrum.Allocate(bins))
        return kOutOfMemory;
    const int size = static_cast<int>(m_fftLength);
    m_forward = FftwPlan::RealToComplex(size, m_frame.data(), m_spectrum.data(), kPlanFlags);
    m_inverse = FftwPlan::ComplexToReal(size, m_spectrum.data(), m_result.data(), kPlanFlags);
    if (!m_forward || !m_inverse)
        return kFftSetupFailed;

    // The filter's spectrum, through the same plan; then the history starts silent.
    const std::vector<double> taps = DesignTaps(sampleRate);
    std::fill(m_frame.data(), m_frame.data() + n, 0.0);
    std::copy(taps.begin(), taps.end(), m_frame.data());
    fftw_execute_dft_r2c(m_forward.Get(), m_frame.data(), m_filterSpectrum.data());
    const double scale = 1.0 / double(m_fftLength);
    for (std::size_t k = 0; k < bins; ++k) {
        m_filterSpectrum[k][0] *= scale;
        m_filterSpectrum[k][1] *= scale;
    }
    std::fill(m_frame.data(), m_frame.data() + n, 0.0);
    return kStatusOk;
}

void WidebandPhaseShifter::Process(const double* in, double* out, std::int64_t frames)
{
    const std::int64_t history = 2 * m_halfLength;
    const std::size_t bins = static_cast<std::size_t>(m_fftLength / 2 + 1);
    while (frames > 0) {
        const std::int64_t count = std::min(frames, m_hop);
        // Overlap-save: the circular convolution equals the linear one from index `history`
        // on, whatever lies past the new frames, so that part needs no clearing.
        std::memcpy(m_frame.data() + history, in, static_cast<std::size_t>(count) * sizeof(double));
        fftw_execute_dft_r2c(m_forward.Get(), m_frame.data(), m_spectrum.data());
        for (std::size_t k = 0; k < bins; ++k) {
            const double re = m_spectrum[k][0], im = m_spectrum[k][1];
            const double hr = m_filterSpectrum[k][0], hi = m_filterSpectrum[k][1];
            m_spectrum[k][0] = re * hr - im * hi;
            m_spectrum[k][1] = re * hi + im * hr;
        }
        fftw_execute_dft_c2r(m_inverse.Get(), m_spectrum.data(), m_result.data());
        std::memcpy(out, m_result.data() + history, static_cast<std::size_t>(count) * sizeof(double));
        // The last `history` inputs become the next frame's past.
        std::memmove(m_frame.data(), m_frame.data() + count, static_cast<std::size_t>(history) * sizeof(double));
        in += count;
        out += count;
        frames -= count;
    }
}

}  // namespace vq
