// Autorange: a second pass that brings the peak of all outputs to 0.5 and their mean to 0.
#include "convolver/QConvolver.h"

#include "bformat/HighPassFilter.h"
#include "common/EngineStatus.h"
#include "common/OutputWriter.h"

using namespace vq;

namespace {
constexpr double kTargetPeak = 0.5;
}

int QConvolver::Autorange()
{
    if (m_state != State::Ran || !m_finished)
        return kBadState;
    m_state = State::Autoranged;
    // A silent result has no level to bring up; its files stay as they are.
    if (m_peak == 0.0 || m_writer->SamplesWritten() == 0)
        return m_writer->Commit(&m_failure);

    // One factor for every channel keeps the level ratios of W, X, Y and Z. The constant
    // removed is the mean over all samples of all outputs. Rendering afresh, instead of
    // rescaling what the first pass wrote, carries none of its clipping or quantisation.
    const double scale = kTargetPeak / m_peak;
    const double offset = scale * m_sum / double(m_writer->SamplesWritten());
    int status = m_writer->Rewind(&m_failure);
    if (status != kStatusOk) {
        m_writer->Discard();
        return status;
    }
    m_writer->SetScale(scale, offset);
    if (m_highpass)
        m_highpass->Reset();
    status = RunPass("VessarQuilix", "Autoranging...");
    if (status != kStatusOk) {
        m_writer->Discard();
        return status;
    }
    m_sum = offset;
    m_clippedSamples = m_writer->Clipped();
    return m_writer->Commit(&m_failure);
}
