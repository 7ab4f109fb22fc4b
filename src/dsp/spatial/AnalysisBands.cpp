#include "spatial/AnalysisBands.h"

#include <algorithm>

namespace vq {

void AnalysisBands::Configure(int bins, double binHz)
{
    m_binHz = binHz;
    m_first.clear();
    for (int k = 0; k < bins; k += std::max(1, k / kBinsPerWidth))
        m_first.push_back(k);
    m_first.push_back(bins);
}

}  // namespace vq
