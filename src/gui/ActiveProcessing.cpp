#include "ActiveProcessing.h"

#include "DecodeModes.h"
#include "VQParams.h"


namespace vqgui {

namespace {

wxString Degrees(double degrees)
{
    return wxString::FromCDouble(degrees) + wxString::FromUTF8("\u00B0");
}

wxString Decibels(double db)
{
    return wxString::Format("%+g dB", db);
}

wxString Rotation(const VQParams& record)
{
    if (record.m_pitch == 0.0 && record.m_roll == 0.0)
        return record.m_yaw == 0.0 ? wxString() : "rotation " + Degrees(record.m_yaw);
    wxString text = "rotation";
    const char* const names[3] = {"yaw", "pitch", "roll"};
    const double angles[3] = {record.m_yaw, record.m_pitch, record.m_roll};
    for (int i = 0; i < 3; ++i)
        if (angles[i] != 0.0)
            text += wxString(" ") + names[i] + " " + Degrees(angles[i]);
    return text;
}

}  // namespace

wxString ActiveProcessing(const VQParams& record)
{
    const VQParams defaults(nullptr);
    wxString line;
    const auto add = [&line](const wxString& part) { line += (line.empty() ? "" : ", ") + part; };
    const wxString rotation = Rotation(record);
    if (!rotation.empty())
        add(rotation);
    if (record.m_highpassHz > 0.0)
        add(wxString::Format("high-pass %g Hz", record.m_highpassHz));
    if (!record.Decodes()) {
        if (record.m_bformatAutorange)
            add("B-format autorange");
        else if (record.m_bformatGain != defaults.m_bformatGain)
            add("B-format gain " + Decibels(record.m_bformatGain));
    } else {
        if (record.m_surroundAutorange)
            add("decode autorange");
        else if (record.m_surroundGain != defaults.m_surroundGain)
            add("decode gain " + Decibels(record.m_surroundGain));
        if (record.Mode().panel == vq::ModePanel::Surround) {
            if (record.m_openingAngle != defaults.m_openingAngle)
                add("opening angle " + Degrees(record.m_openingAngle));
            if (record.m_lowFreqsInLfe)
                add("low frequencies in LFE");
        }
    }
    return line.empty() ? line : line.Left(1).Upper() + line.Mid(1);
}

}  // namespace vqgui
