// Autorange: a second pass that brings the peak of all outputs to 0.5 and their mean to 0.
#include "convolver/QConvolver.h"

#include "common/EngineStatus.h"
#include "convolver/BlockConvolver.h"

using namespace vq;

namespace {
constexpr double kTargetPeak = 0.5;
}

int QConvolver::Autorange()
{
    if (!m_finished || !m_convolver)
        return kStatusOk;
    // A silent result has no level to bring up; its files stay as they are.
    if (m_peak == 0.0 || m_outputLength == 0)
        return kStatusOk;

    // One factor for every channel keeps the level ratios of W, X, Y and Z. The constant
    // removed is the mean over all samples of all four outputs.
    const double scale = kTargetPeak / m_peak;
    const double offset = scale * m_sum / (double(kChannels) * double(m_outputLength));

    // The filters already carry m_gain; scaling them renders the outputs afresh at the
    // new level instead of rescaling samples that the first pass quantised or clipped.
    m_convolver->ScaleFilters(scale);
    const double firstPeak = m_peak;
    ProgressStart("VessarQuilix", "Autoranging...");
    const int status = RunPass(offset);
    m_peak = firstPeak;
    m_sum = offset;
    ProgressEnd();  // does nothing when a cancelled display has already closed
    if (status == kStatusCancelled)
        m_aborted = true;
    return status;
}
