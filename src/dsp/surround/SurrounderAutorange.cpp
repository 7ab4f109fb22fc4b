// Autorange: a second decode that brings the peak of all outputs to 0.5.
#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "surround/DecodeStage.h"

using namespace vq;

int Surrounder::Autorange()
{
    if (m_state.StartAutorange(m_finished) != kStatusOk)
        return kBadState;
    // A silent result has no level to bring up; its files stay as they are.
    if (m_peak == 0.0 || m_length == 0)
        return m_stage->Commit(&m_failure);

    // Every channel is linear in the gain, so decoding afresh with the scaled gain gives
    // the rescaled outputs without carrying over what the first pass clipped or quantised.
    const double scale = kAutorangePeak / m_peak;
    const double samples = double(m_stage->SamplesWritten());
    const double offset = m_autorangeRemovesMean && samples > 0 ? scale * m_sum / samples : 0.0;
    const int status = DecodePass(m_gain * scale, offset, true, "VessarQuilix", "Autoranging...");
    if (status != kStatusOk) {
        m_stage->Discard();
        return status;
    }
    m_clippedSamples = m_stage->Clipped();
    return m_stage->Commit(&m_failure);
}
