#include "ConversionReport.h"

#include "OutputFormats.h"

#include "DecodeModes.h"
#include "FilterSetInfo.h"

#include "common/Containers.h"

#include <wx/filename.h>

#include <algorithm>
#include <cmath>

namespace vqgui {

wxString WrittenFolder(const vq::ConversionResult& result)
{
    return result.written.empty() ? wxString() : wxFileName(result.written.front()).GetPath(wxPATH_GET_VOLUME);
}

wxString DurationText(double seconds)
{
    const long tenths = std::lround(std::max(seconds, 0.0) * 10.0);
    const long hours = tenths / 36000, minutes = tenths / 600 % 60;
    const double rest = static_cast<double>(tenths % 600) / 10.0;
    if (hours > 0)
        return wxString::Format("%ld:%02ld:%04.1f", hours, minutes, rest);
    return wxString::Format("%ld:%04.1f", minutes, rest);
}

wxString WrittenFilesReport(const vq::ConversionRequest& request, const vq::ConversionResult& result)
{
    const wxString folder = WrittenFolder(result);
    wxString text = "Written to " + folder + ":";
    for (const wxString& path : result.written) {
        const wxFileName name(path);
        text += "\n    " + (name.GetPath(wxPATH_GET_VOLUME) == folder ? name.GetFullName() : path);
    }
    const vq::OutputSettings& out = request.outputs;
    const vq::Container& container =
        out.formatOfTake ? vq::ContainerOf(result.takeFormat, false) : vq::OutputContainer(request);
    const vq::SampleFormat sample = out.formatOfTake ? vq::SampleFormatOf(result.takeFormat) : out.sample;
    if (result.sampleRate > 0) {
        const double seconds = static_cast<double>(result.takeFrames) / result.sampleRate;
        // A movie of compressed audio holds its codec's samples, which its name says.
        const wxString samples = OfferedSampleFormats(container).empty() ? wxString() : SampleFormatLabel(sample) + " ";
        text += wxString::Format("\n\n%s of %s%s at %d Hz", DurationText(seconds), samples, container.description,
                                 result.sampleRate);
        if (request.decode.Mode().Decodes() && !out.keepBFormat.empty())
            text += "; the B-format in float WAV";
    }
    // The filters by their folder and what their matrix says it was designed for.
    if (result.filterTaps > 0 && !result.filterMatrix.empty()) {
        const wxFileName matrix(wxString::FromUTF8(result.filterMatrix.c_str()));
        const wxArrayString dirs = matrix.GetDirs();
        const std::string description = FilterMatrixDescription(matrix.GetPath(wxPATH_GET_VOLUME), result.sampleRate);
        text += "\nFilters: " + (dirs.empty() ? matrix.GetPath() : dirs.Last()) + " (" +
                wxString::FromUTF8(description.c_str()) + ")";
    }
    return text;
}

wxString LoudnessReport(const vq::ConversionResult& result)
{
    wxString text;
    for (const vq::WrittenOutput& output : result.outputs)
        if (output.loudness)
            text += "\n    " + wxFileName(output.path).GetFullName() + ": " +
                    wxString::FromUTF8(vq::DescribeLoudness(*output.loudness).c_str());
    if (result.programmeLoudness)
        text += "\n    all together: " + wxString::FromUTF8(vq::DescribeLoudness(*result.programmeLoudness).c_str());
    return text.empty() ? text : "\n\nLoudness (ITU-R BS.1770):" + text;
}

}  // namespace vqgui
