// Autorange: a second decode that brings the peak of all outputs to 0.5.
#include "surround/Surrounder.h"

#include "common/EngineStatus.h"

using namespace vq;

namespace {
constexpr double kTargetPeak = 0.5;
}

int Surrounder::Autorange()
{
    if (!m_finished)
        return kStatusOk;
    // A silent result has no level to bring up; its files stay as they are.
    if (m_peak == 0.0 || m_length == 0)
        return kStatusOk;

    // Every channel is linear in the gain, so decoding afresh with the scaled gain gives
    // the rescaled outputs without carrying over what the first pass clipped or quantised.
    const double firstPeak = m_peak;
    ProgressStart("VessarQuilix", "Autoranging...");
    const int status = DecodePass(m_gain * kTargetPeak / firstPeak, true);
    m_peak = firstPeak;
    ProgressEnd();
    if (status == kStatusCancelled)
        m_aborted = true;
    return status;
}
