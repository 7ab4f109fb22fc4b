#include "OutputFormats.h"

#include "DecodeModes.h"
#include "VQParams.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vqgui {

std::vector<const vq::Container*> OfferedContainers(bool surround)
{
    std::vector<const vq::Container*> offered;
    for (const vq::Container& c : vq::Containers())
        if (!(surround && c.ambisonic))
            offered.push_back(&c);
    return offered;
}

std::vector<vq::SampleFormat> OfferedSampleFormats(const vq::Container& container)
{
    std::vector<vq::SampleFormat> offered = {vq::SampleFormat::Pcm16, vq::SampleFormat::Pcm24};
    if (container.holdsFloat)
        offered.push_back(vq::SampleFormat::Float);
    return offered;
}

wxString SampleFormatLabel(vq::SampleFormat sample)
{
    switch (sample) {
    case vq::SampleFormat::Pcm24:
        return "24-bit";
    case vq::SampleFormat::Float:
        return "float";
    default:
        return "16-bit";
    }
}

std::vector<int> OfferedFileLayouts(const vq::DecodeMode& mode, vq::BFormatConvention convention)
{
    std::vector<int> layouts;
    for (int layout = 0; layout < 3; ++layout) {
        const int count = vq::FileCountOfLayout(mode, layout);
        if (count > 0 && !mode.layout(count, convention).empty())
            layouts.push_back(layout);
    }
    return layouts;
}

wxString FileLayoutLabel(const vq::DecodeMode& mode, int layout)
{
    return wxString::FromUTF8(vq::FileCountLabel(mode, vq::FileCountOfLayout(mode, layout)).c_str());
}

const vq::DecodeMode& DecodeBoxMode(const vq::DecodeMode& mode)
{
    return mode.Decodes() ? mode : vq::FirstDecodeMode();
}

const std::vector<MicPatternItem>& MicPatterns()
{
    static const std::vector<MicPatternItem> kPatterns = {
        {"Cardioid", 0.5},
        {"Supercardioid", 0.37},
        {"Hypercardioid", 0.25},
        {"Subcardioid", 0.7},
        {"Figure-of-eight (Blumlein)", 0.0},
        {"Omni", 1.0},
    };
    return kPatterns;
}

const std::vector<int>& HighpassCorners()
{
    static const std::vector<int> kCorners = {0, 10, 20, 30, 40, 60, 80, 100, 120, 150, 200};
    return kCorners;
}

wxString HighpassLabel(int cornerHz)
{
    return cornerHz > 0 ? wxString::Format("%d Hz", cornerHz) : wxString("Off");
}

int NearestHighpassCorner(double hz)
{
    int nearest = 0;
    for (int corner : HighpassCorners())
        if (std::fabs(corner - hz) < std::fabs(nearest - hz))
            nearest = corner;
    return nearest;
}

wxString ConventionLabel(vq::BFormatConvention convention)
{
    return convention == vq::BFormatConvention::AmbiX ? "AmbiX" : "FuMa";
}

const vq::Container& OutputContainer(const VQParams& record)
{
    const bool surround = record.m_outputMode != 0;
    return vq::ContainerOf(surround ? record.m_surroundFormat : record.m_bformatFormat, record.m_ambFile && !surround);
}

vq::SampleFormat OutputSampleFormat(const VQParams& record)
{
    return vq::SampleFormatOf(record.m_outputMode ? record.m_surroundFormat : record.m_bformatFormat);
}

void SetOutputFormat(VQParams& record, const vq::Container& container, vq::SampleFormat sample)
{
    record.m_bformatFormat = record.m_surroundFormat = vq::FormatCode(container, sample);
    record.m_ambFile = container.ambisonic;
}

std::vector<SaveFileType> SaveFileTypes(bool surround)
{
    std::vector<SaveFileType> types;
    for (const vq::Container* c : OfferedContainers(surround))
        for (vq::SampleFormat sample : OfferedSampleFormats(*c))
            types.push_back({c, sample});
    return types;
}

wxString SaveWildcard(const std::vector<SaveFileType>& types)
{
    wxString wildcard;
    for (const SaveFileType& t : types) {
        if (!wildcard.empty())
            wildcard += "|";
        const wxString pattern = wxString("*.") + t.container->extension;
        wildcard +=
            wxString(t.container->description) + " " + SampleFormatLabel(t.sample) + " (" + pattern + ")|" + pattern;
    }
    return wildcard;
}

wxString OpenWildcard()
{
    const wxString readable = "*.wav;*.rf64;*.w64;*.caf;*.aif;*.aiff;*.flac";
    wxString shown = readable;
    shown.Replace(";", ", ");
    return "Sound files (" + shown + ")|" + readable + "|WAV files (*.wav)|*.wav|All files (*.*)|*.*";
}

}  // namespace vqgui
