#include "binaural/SofaHrirs.h"

#include "binaural/SincKernel.h"
#include "common/EngineStatus.h"

#include <mysofa.h>

#include <functional>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinFileRate = 1000.0;     // Hz
constexpr double kMaxFileRate = 1000000.0;  // Hz

// What a libmysofa error code means for the user.
std::string MysofaText(int code)
{
    switch (code) {
    case MYSOFA_INVALID_FORMAT:
        return "its structure is not that of a SOFA file";
    case MYSOFA_UNSUPPORTED_FORMAT:
        return "it uses HDF5 features that libmysofa cannot read";
    case MYSOFA_READ_ERROR:
        return "it ends before its data does";
    case MYSOFA_INVALID_ATTRIBUTES:
        return "its attributes do not declare impulse responses (DataType FIR) of the SimpleFreeFieldHRIR convention";
    case MYSOFA_INVALID_DIMENSIONS:
        return "it does not have two receivers (ears), one emitter and three coordinates";
    case MYSOFA_INVALID_DIMENSION_LIST:
        return "ListenerView has unexpected dimensions";
    case MYSOFA_INVALID_COORDINATE_TYPE:
        return "a position has neither Cartesian nor spherical coordinates";
    case MYSOFA_ONLY_EMITTER_WITH_ECI_SUPPORTED:
        return "the emitter is not at the source position";
    case MYSOFA_ONLY_DELAYS_WITH_IR_OR_MR_SUPPORTED:
        return "Data.Delay has unexpected dimensions";
    case MYSOFA_ONLY_THE_SAME_SAMPLING_RATE_SUPPORTED:
        return "the measurements do not share one sample rate";
    case MYSOFA_RECEIVERS_WITH_RCI_SUPPORTED:
        return "the ears move from one measurement to the next";
    case MYSOFA_RECEIVERS_WITH_CARTESIAN_SUPPORTED:
        return "the ear positions are not Cartesian";
    case MYSOFA_INVALID_RECEIVER_POSITIONS:
        return "the two ears are not mirror images across the median plane";
    case MYSOFA_ONLY_SOURCES_WITH_MC_SUPPORTED:
        return "SourcePosition has unexpected dimensions";
    default:
        return "libmysofa error " + std::to_string(code);
    }
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The kernel's cutoff in cycles per file sample: below the Nyquist frequency of the lower rate.
double CutoffFor(double fileRate, int sampleRate)
{
    return SincKernel::kCutoff * std::min(1.0, sampleRate / fileRate);
}

bool AllFinite(const float* values, std::size_t count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

}  // namespace

void SofaHrirs::Clear()
{
    m_rate = 0.0;
    m_taps = 0;
    m_directions.clear();
    m_responses.clear();
    m_delays.clear();
    m_maxDelay = 0.0;
    m_wholeDelays = true;
    m_reason.clear();
}

int SofaHrirs::Fail(int status, const std::string& reason)
{
    Clear();
    m_reason = reason;
    return status;
}

int SofaHrirs::Load(const std::string& path, const std::function<bool()>& keepGoing, const ChildLimits& limits)
{
    Clear();
    std::shared_ptr<const SofaContents> contents;
    std::string reason;
    const int status = ReadSofa(path, limits, keepGoing, &contents, &reason);
    if (status == kHrtfUnreadable)
        return Fail(status, path + " (" + reason + ")");
    if (status != kStatusOk)
        return Fail(status, reason);
    const int err = contents->loadError;
    if (err != MYSOFA_OK) {
        if (err == MYSOFA_NO_MEMORY)
            return Fail(kOutOfMemory, "not enough memory to read " + path);
        if (err > 0 && err < MYSOFA_INVALID_FORMAT)
            return Fail(kHrtfOpenFailed, "cannot read " + path + ": " + std::strerror(err));
        return Fail(kHrtfNotSofa, path + " is not a SOFA file that can be read: " + MysofaText(err));
    }
    if (contents->checkError != MYSOFA_OK)
        return Fail(kHrtfNotHrirs,
                    path + " does not hold free-field HRIRs for two ears: " + MysofaText(contents->checkError));
    return Take(*contents, path);
}

int SofaHrirs::Take(const SofaContents& h, const std::string& path)
{
    const std::string malformed = path + " is malformed: ";
    const unsigned m = h.measurements;
    const unsigned n = h.taps;
    if (m == 0 || n == 0)
        return Fail(kHrtfMalformed, malformed + "it holds no measurements");
    if (n > static_cast<unsigned>(kMaxTaps))
        return Fail(kHrtfMalformed, malformed + "its responses are " + std::to_string(n) + " taps long, more than " +
                                        std::to_string(kMaxTaps));
    if (h.receivers != 2 || h.responses.size() != static_cast<std::uint64_t>(m) * 2 * n ||
        !AllFinite(h.responses.data(), h.responses.size()))
        return Fail(kHrtfMalformed, malformed + "Data.IR does not hold " + std::to_string(m) + " x 2 x " +
                                        std::to_string(n) + " finite values");
    if (h.positions.size() != 3ull * m || !AllFinite(h.positions.data(), h.positions.size()))
        return Fail(kHrtfMalformed, malformed + "SourcePosition does not hold one finite direction per measurement");
    if (h.rates.empty())
        return Fail(kHrtfMalformed, malformed + "it gives no sample rate");
    const double rate = h.rates[0];
    if (!(rate >= kMinFileRate && rate <= kMaxFileRate))
        return Fail(kHrtfMalformed, malformed + "its sample rate of " + Number(rate) + " Hz is impossible");
    const std::size_t delayCount = h.delays.size();
    if (delayCount != 0 && delayCount != 2 && delayCount != 2ull * m)
        return Fail(kHrtfMalformed, malformed + "Data.Delay has " + std::to_string(delayCount) + " values");
    for (const float d : h.delays)
        if (!(d >= 0.0f && d <= static_cast<float>(kMaxTaps)))
            return Fail(kHrtfMalformed, malformed + "Data.Delay holds " + Number(d) + " samples");

    try {
        m_directions.resize(m);
        m_responses.assign(h.responses.begin(), h.responses.end());
        m_delays.assign(2 * static_cast<std::size_t>(m), 0.0);
    } catch (const std::bad_alloc&) {
        return Fail(kOutOfMemory, "not enough memory to hold the HRIRs of " + path);
    }
    for (unsigned i = 0; i < m; ++i) {
        const float* p = h.positions.data() + 3 * i;
        const double length = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
        if (!(length > 1e-9))
            return Fail(kHrtfMalformed, malformed + "measurement " + std::to_string(i + 1) + " has no direction");
        m_directions[i] = {p[0] / length, p[1] / length, p[2] / length};
        for (unsigned ear = 0; ear < 2 && delayCount > 0; ++ear)
            m_delays[2 * i + ear] = h.delays[delayCount == 2 ? ear : 2 * i + ear];
    }
    m_rate = rate;
    m_taps = static_cast<int>(n);
    m_maxDelay = *std::max_element(m_delays.begin(), m_delays.end());
    m_wholeDelays = std::all_of(m_delays.begin(), m_delays.end(), [](double d) { return d == std::floor(d); });
    return kStatusOk;
}

int SofaHrirs::CheckRate(int sampleRate, std::string& reason) const
{
    if (m_taps == 0) {
        reason = "no SOFA file is loaded";
        return kHrtfOpenFailed;
    }
    const double ratio = sampleRate / m_rate;
    if (ratio >= 1.0 / kMaxRateRatio && ratio <= kMaxRateRatio)
        return kStatusOk;
    reason = "the HRIRs are sampled at " + Number(m_rate) + " Hz; resampling them to " + std::to_string(sampleRate) +
             " Hz would change the rate by more than a factor of " + Number(kMaxRateRatio);
    return kHrtfRateUnusable;
}

bool SofaHrirs::Copies(int sampleRate) const
{
    return sampleRate == m_rate && m_wholeDelays;
}

int SofaHrirs::ResamplingLatency(int sampleRate) const
{
    if (Copies(sampleRate))
        return 0;
    const SincKernel kernel(CutoffFor(m_rate, sampleRate));
    return static_cast<int>(std::ceil(kernel.HalfWidth() * sampleRate / m_rate));
}

int SofaHrirs::Length(int sampleRate) const
{
    if (Copies(sampleRate))
        return m_taps + static_cast<int>(m_maxDelay);
    const SincKernel kernel(CutoffFor(m_rate, sampleRate));
    const double fileSamples = m_taps - 1 + m_maxDelay + kernel.HalfWidth();
    return ResamplingLatency(sampleRate) + static_cast<int>(std::ceil(fileSamples * sampleRate / m_rate)) + 1;
}

int SofaHrirs::Nearest(double azimuthDeg, double elevationDeg) const
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = elevationDeg * kPi / 180.0;
    const double v[3] = {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
    int best = 0;
    double bestCosine = -2.0;
    for (std::size_t i = 0; i < m_directions.size(); ++i) {
        const std::array<double, 3>& d = m_directions[i];
        const double cosine = d[0] * v[0] + d[1] * v[1] + d[2] * v[2];
        if (cosine > bestCosine) {
            bestCosine = cosine;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void SofaHrirs::Responses(double azimuthDeg, double elevationDeg, int sampleRate, double* left, double* right) const
{
    const std::size_t measurement = static_cast<std::size_t>(Nearest(azimuthDeg, elevationDeg));
    double* out[2] = {left, right};
    for (std::size_t ear = 0; ear < 2; ++ear) {
        const double* taps = m_responses.data() + (2 * measurement + ear) * static_cast<std::size_t>(m_taps);
        const double delay = m_delays[2 * measurement + ear];
        if (Copies(sampleRate)) {
            const int length = Length(sampleRate);
            std::fill(out[ear], out[ear] + length, 0.0);
            std::copy(taps, taps + m_taps, out[ear] + static_cast<int>(delay));
        } else {
            Resample(taps, delay, sampleRate, out[ear]);
        }
    }
}

void SofaHrirs::Resample(const double* taps, double delay, int sampleRate, double* out) const
{
    const SincKernel kernel(CutoffFor(m_rate, sampleRate));
    const double step = m_rate / sampleRate;  // file samples per output frame
    const int latency = ResamplingLatency(sampleRate);
    const int length = Length(sampleRate);
    for (int n = 0; n < length; ++n) {
        // The band-limited response at this frame's time, in file samples. The sum samples
        // the kernel once per file sample, so it is scaled by the file samples per frame
        // to keep the gain.
        const double t = (n - latency) * step - delay;
        const int first = std::max(0, static_cast<int>(std::ceil(t - kernel.HalfWidth())));
        const int last = std::min(m_taps - 1, static_cast<int>(std::floor(t + kernel.HalfWidth())));
        double sum = 0.0;
        for (int k = first; k <= last; ++k)
            sum += taps[k] * kernel(t - k);
        out[n] = sum * step;
    }
}

}  // namespace vq
