#include "surround/StereoPairDecoder.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrtTwo = 1.4142135623730951;

struct NamedPattern {
    const char* name;
    double omniShare;
};

const NamedPattern kPatterns[] = {
    {"omni", MicPattern::kOmni},
    {"subcardioid", MicPattern::kSubcardioid},
    {"cardioid", MicPattern::kCardioid},
    {"supercardioid", MicPattern::kSupercardioid},
    {"hypercardioid", MicPattern::kHypercardioid},
    {"figure-of-eight", MicPattern::kFigureOfEight},
    {"figure8", MicPattern::kFigureOfEight},
};

// The comparisons are false for NaN, so NaN is out of every range.
bool InRange(double value, double low, double high)
{
    return value >= low && value <= high;
}

}  // namespace

bool ParseMicPattern(const std::string& name, double* omniShare)
{
    for (const NamedPattern& p : kPatterns) {
        if (name == p.name) {
            *omniShare = p.omniShare;
            return true;
        }
    }
    return false;
}

std::vector<std::string> MicPatternNames()
{
    std::vector<std::string> names;
    for (const NamedPattern* p = std::begin(kPatterns); p != std::end(kPatterns); ++p)
        if (std::none_of(std::begin(kPatterns), p, [&](const NamedPattern& q) { return q.omniShare == p->omniShare; }))
            names.push_back(p->name);
    return names;
}

int StereoPairDecoder::CheckParameters(double omniShare, double angleDegrees, double aimDegrees)
{
    const bool ok =
        InRange(omniShare, 0.0, 1.0) && InRange(angleDegrees, 0.0, 180.0) && InRange(aimDegrees, -180.0, 180.0);
    return ok ? kStatusOk : kBadParameter;
}

StereoPairDecoder::StereoPairDecoder(double omniShare, double angleDegrees, double aimDegrees)
    : m_parameterStatus(CheckParameters(omniShare, angleDegrees, aimDegrees))
{
    const double directions[kChannels] = {aimDegrees + 0.5 * angleDegrees, aimDegrees - 0.5 * angleDegrees};
    for (int c = 0; c < kChannels; ++c) {
        const double theta = directions[c] * kPi / 180.0;
        // W holds s / sqrt(2): sqrt(2) * W is the omni part at the wave's amplitude.
        m_w[c] = omniShare * kSqrtTwo;
        m_x[c] = (1.0 - omniShare) * std::cos(theta);
        m_y[c] = (1.0 - omniShare) * std::sin(theta);
    }
}

int StereoPairDecoder::Prepare(int sampleRate, std::int64_t maxFrames)
{
    if (sampleRate <= 0 || maxFrames < 0)
        return kBadParameter;
    return m_parameterStatus;
}

void StereoPairDecoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    const double* w = in[0];
    const double* x = in[1];
    const double* y = in[2];
    for (int c = 0; c < kChannels; ++c) {
        const double a = m_w[c], b = m_x[c], d = m_y[c];
        double* o = out[c];
        for (std::int64_t n = 0; n < frames; ++n)
            o[n] = a * w[n] + b * x[n] + d * y[n];
    }
}

}  // namespace vq
