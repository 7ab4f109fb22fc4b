// Autorange and Normalize: a second decode that brings the peak of all outputs to 0.5, or
// their loudness to a target.
#include "surround/Surrounder.h"

#include "common/EngineStatus.h"
#include "surround/DecodeStage.h"

using namespace vq;

int Surrounder::Redecode(double scale, double offset, const char* message)
{
    // Every channel is linear in the gain, so decoding afresh with the scaled gain gives
    // the rescaled outputs without carrying over what the first pass clipped or quantised.
    const int status = DecodePass(m_gain * scale, offset, true, "VessarQuilix", message);
    if (status != kStatusOk) {
        m_stage->Discard();
        return status;
    }
    m_clippedSamples = m_stage->Clipped();
    return m_stage->Commit(&m_failure);
}

int Surrounder::Autorange()
{
    if (m_state.StartAutorange(m_finished) != kStatusOk)
        return kBadState;
    // A silent result has no level to bring up; its files stay as they are.
    if (m_peak == 0.0 || m_length == 0)
        return m_stage->Commit(&m_failure);
    // One factor for every channel keeps their balance.
    const double scale = kAutorangePeak / m_peak;
    const double samples = double(m_stage->SamplesWritten());
    const double offset = m_autorangeRemovesMean && samples > 0 ? scale * m_sum / samples : 0.0;
    return Redecode(scale, offset, "Autoranging...");
}

int Surrounder::Normalize()
{
    if (m_state.StartAutorange(m_finished) != kStatusOk)
        return kBadState;
    const std::optional<Loudness> measured = m_stage->Writer().ProgrammeLoudness();
    if (!measured) {
        m_stage->Discard();
        return Refuse(kBadParameter, "", "the loudness of the outputs was not measured at " +
                                             std::to_string(m_inputInfo.samplerate) + " Hz");
    }
    m_normalizeGain = NormalizeGainFor(*measured, m_normalizeLufs, m_truePeakCeilingDbtp);
    if (m_normalizeGain.silent || m_length == 0)
        return m_stage->Commit(&m_failure);
    return Redecode(m_normalizeGain.Factor(), 0.0, "Normalising the loudness...");
}
