// Autorange: a second pass that brings the peak of all outputs to 0.5 and their mean to 0.
#include "convolver/QConvolver.h"

#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "common/OutputWriter.h"
#include "surround/DecodeStage.h"

using namespace vq;

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

    // One factor for every channel keeps their level ratios. Rendering afresh, instead of
    // rescaling what the first pass wrote, carries none of its clipping or quantisation.
    const double scale = kAutorangePeak / peak;
    int status = kStatusOk;
    if (decoded) {
        // The B-format written by the first pass is complete already.
        m_writingBFormat = false;
        status = m_stage->BeginPass(m_decodedGain * scale, true, &m_failure);
    } else {
        // The B-format also loses its mean over all samples of all outputs.
        const double offset = scale * m_sum / double(m_writer->SamplesWritten());
        status = m_writer->Rewind(&m_failure);
        m_writer->SetScale(scale, offset);
        m_sum = offset;
    }
    if (m_highpass)
        m_highpass->Reset();
    if (status == kStatusOk)
        status = RunPass("VessarQuilix", "Autoranging...");
    if (status != kStatusOk) {
        Discard();
        return status;
    }
    if (decoded)
        m_decodedClippedSamples = m_stage->Clipped();
    else
        m_clippedSamples = m_writer->Clipped();
    return Commit();
}
