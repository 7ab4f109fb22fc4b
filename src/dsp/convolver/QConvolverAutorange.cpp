// Autorange and Normalize: a second pass that brings the peak of all outputs to 0.5 and
// their mean to 0, or a decode's loudness to a target.
#include "convolver/QConvolver.h"

#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "common/OutputWriter.h"
#include "surround/DecodeStage.h"

using namespace vq;

int QConvolver::Redecode(double scale, const char* message)
{
    // The B-format written by the first pass is complete already. Rendering afresh, instead
    // of rescaling what the first pass wrote, carries none of its clipping or quantisation.
    m_writingBFormat = false;
    int status = m_stage->BeginPass(m_decodedGain * scale, true, &m_failure);
    if (m_highpass)
        m_highpass->Reset();
    if (status == kStatusOk)
        status = RunPass("VessarQuilix", message);
    if (status != kStatusOk) {
        Discard();
        return status;
    }
    m_decodedClippedSamples = m_stage->Clipped();
    return Commit();
}

int QConvolver::Autorange()
{
    if (m_state.StartAutorange(m_finished) != kStatusOk)
        return kBadState;
    const bool decoded = m_stage != nullptr;
    // The level brought to 0.5 is that of the files the user asked for: the decoded ones
    // when there is a decode, else the B-format. A silent result stays as it is.
    const double peak = decoded ? m_decodedPeak : m_peak;
    if (peak == 0.0 || m_outputLength == 0)
        return Commit();

    // One factor for every channel keeps their level ratios.
    const double scale = kAutorangePeak / peak;
    if (decoded)
        return Redecode(scale, "Autoranging...");
    // The B-format also loses its mean over all samples of all outputs.
    const double offset = scale * m_sum / double(m_writer->SamplesWritten());
    int status = m_writer->Rewind(&m_failure);
    m_writer->SetScale(scale, offset);
    m_sum = offset;
    if (m_highpass)
        m_highpass->Reset();
    if (status == kStatusOk)
        status = RunPass("VessarQuilix", "Autoranging...");
    if (status != kStatusOk) {
        Discard();
        return status;
    }
    m_clippedSamples = m_writer->Clipped();
    return Commit();
}

int QConvolver::Normalize()
{
    if (!m_stage || m_state.StartAutorange(m_finished) != kStatusOk)
        return kBadState;
    const std::optional<Loudness> measured = m_stage->Writer().ProgrammeLoudness();
    if (!measured) {
        Discard();
        return Refuse(kBadParameter, "", "the loudness of the decode was not measured at " +
                                             std::to_string(m_inputInfo.samplerate) + " Hz");
    }
    m_normalizeGain = NormalizeGainFor(*measured, m_normalizeLufs, m_truePeakCeilingDbtp);
    if (m_normalizeGain.silent || m_outputLength == 0)
        return Commit();
    return Redecode(m_normalizeGain.Factor(), "Normalising the loudness...");
}
