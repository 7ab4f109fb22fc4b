// HRIRs measured on a person or a dummy head, read from a SOFA file (AES69, convention
// SimpleFreeFieldHRIR) with libmysofa. For each direction asked for, the measurement
// nearest to it (largest cosine between the two directions) is used as it is.
//
// The responses are brought to the recording's sample rate by band-limited interpolation
// (SincKernel: flat to 0.41 of the lower rate, gain kept), which also applies the file's
// Data.Delay when it is not a whole number of samples; rates more than kMaxRateRatio apart
// are refused. Resampled responses lag the file's by ResamplingLatency() frames, the
// kernel's half width; at the file's own rate with whole-sample delays they are copied.
#pragma once

#include "binaural/HrirSet.h"
#include "binaural/SofaReader.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vq {

class SofaHrirs : public HrirSet {
public:
    static constexpr double kMaxRateRatio = 8.0;
    static constexpr int kMaxTaps = 65536;  // longer responses are not HRIRs

    // Reads the HRIRs of `path`, parsed in a child process within `limits` (SofaReader.h);
    // `keepGoing`, asked meanwhile, cancels when it says false. kStatusOk, or
    // kStatusCancelled, kHrtfOpenFailed, kHrtfUnreadable, kHrtfNotSofa, kHrtfNotHrirs,
    // kHrtfMalformed or kOutOfMemory with Reason() saying what is wrong. A failed load
    // leaves no responses.
    int Load(const std::string& path, const std::function<bool()>& keepGoing = {},
             const ChildLimits& limits = ChildLimits());
    const std::string& Reason() const { return m_reason; }

    double FileRate() const { return m_rate; }  // Hz
    int Measurements() const { return static_cast<int>(m_directions.size()); }

    // Frames by which responses at `sampleRate` lag the file's (0 when they are copied).
    int ResamplingLatency(int sampleRate) const;

    int CheckRate(int sampleRate, std::string& reason) const override;
    int Length(int sampleRate) const override;
    void Responses(double azimuthDeg, double elevationDeg, int sampleRate, double* left, double* right) const override;

    // Index of the measurement nearest to (azimuthDeg, elevationDeg).
    int Nearest(double azimuthDeg, double elevationDeg) const;

private:
    // Checks what libmysofa read from `path` and keeps it; status code.
    int Take(const SofaContents& contents, const std::string& path);
    void Clear();
    int Fail(int status, const std::string& reason);
    bool Copies(int sampleRate) const;
    void Resample(const double* taps, double delay, int sampleRate, double* out) const;

    double m_rate = 0.0;
    int m_taps = 0;
    std::vector<std::array<double, 3>> m_directions;  // unit vectors, X front, Y left, Z up
    std::vector<double> m_responses;                  // [measurement][ear][tap]
    std::vector<double> m_delays;                     // [measurement][ear], samples at m_rate
    double m_maxDelay = 0.0;
    bool m_wholeDelays = true;
    std::string m_reason;
};

}  // namespace vq
