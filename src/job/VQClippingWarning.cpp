// What the user is told about samples clipped by the last run.
#include "VQParams.h"

#include "DecodeModes.h"

wxString VQParams::GetClippingWarning() const
{
    wxString where;
    if (m_clippedBFormat > 0)
        where = wxString::Format("%lld samples of the B-format output", static_cast<long long>(m_clippedBFormat));
    if (m_clippedSurround > 0) {
        if (!where.empty())
            where += " and ";
        where += wxString::Format("%lld samples of the %s output", static_cast<long long>(m_clippedSurround),
                                  Mode().outputsWord);
    }
    if (where.empty())
        return wxEmptyString;
    return where +
           " went beyond full scale and were clipped.\n"
           "A lower gain, Autorange or float output avoids it.";
}
