#include "FilterSetInfo.h"

#include "FileSystemPath.h"
#include "StatusTable.h"

#include "common/EngineStatus.h"
#include "common/FilterMatrixInfo.h"
#include "common/FilterMatrixName.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <algorithm>

std::vector<int> FilterSetRates(const wxString& dir)
{
    std::vector<int> rates;
    wxDir folder;
    if (!wxDir::Exists(dir) || !folder.Open(dir))
        return rates;
    wxString name;
    for (bool more = folder.GetFirst(&name, "FilterMatrix_*.wav", wxDIR_FILES); more; more = folder.GetNext(&name)) {
        long rate = 0;
        const wxString digits = name.Mid(13).BeforeLast('.');
        if (digits.ToLong(&rate, 10) && rate > 0 && name == wxString::FromUTF8(vq::FilterMatrixFileName(rate).c_str()))
            rates.push_back(static_cast<int>(rate));
    }
    std::sort(rates.begin(), rates.end());
    return rates;
}

namespace {

enum class Matrix { Missing, Unreadable, Read };

// What the matrix of `rate` in `dir` says about itself; *problem says why it could not be read.
Matrix ReadMatrixInfo(const wxString& dir, int rate, vq::FilterMatrixInfo* info, std::string* problem)
{
    const wxFileName path(dir, wxString::FromUTF8(vq::FilterMatrixFileName(rate).c_str()));
    std::string bytes;
    if (!path.FileExists() || !ToFileSystemPath(path.GetFullPath(), &bytes))
        return Matrix::Missing;
    vq::FailureDetail failure;
    const int status = vq::ReadFilterMatrixInfo(bytes, info, &failure);
    if (status == vq::kStatusOk)
        return Matrix::Read;
    *problem = vq::StatusMessage(status, bytes, failure);
    return Matrix::Unreadable;
}

const char* const kNoDescription = "no description";

}  // namespace

std::string DescribeFilterMatrix(const wxString& dir, int rate)
{
    const std::string fileName = vq::FilterMatrixFileName(rate);
    vq::FilterMatrixInfo info;
    std::string problem;
    const Matrix matrix = ReadMatrixInfo(dir, rate, &info, &problem);
    if (matrix == Matrix::Missing)
        return std::string();
    if (matrix == Matrix::Unreadable)
        return fileName + ": " + problem + "\n";
    std::string text = fileName + ": " + (info.description.empty() ? kNoDescription : info.description) + "\n";
    text += "  " + std::to_string(info.sampleRate) + " Hz, " + std::to_string(info.taps) + " taps, delay " +
            vq::DescribeDelay(info) + "\n";
    for (const auto& [key, value] : info.fields)
        if (key != vq::kFilterDelayKey)
            text += "  " + key + ": " + value + "\n";
    return text;
}

std::string FilterMatrixDescription(const wxString& dir, int rate)
{
    vq::FilterMatrixInfo info;
    std::string problem;
    switch (ReadMatrixInfo(dir, rate, &info, &problem)) {
    case Matrix::Missing:
        return std::string();
    case Matrix::Unreadable:
        return problem;
    case Matrix::Read:
        break;
    }
    return info.description.empty() ? kNoDescription : info.description;
}

std::string FilterSetMicrophone(const wxString& dir, int rate)
{
    const std::vector<int> rates = FilterSetRates(dir);
    if (rates.empty())
        return std::string();
    const int described = std::find(rates.begin(), rates.end(), rate) != rates.end() ? rate : rates.front();
    vq::FilterMatrixInfo info;
    std::string problem;
    if (ReadMatrixInfo(dir, described, &info, &problem) != Matrix::Read)
        return problem;
    const std::string design = vq::FieldValue(info, "design");
    if (design.empty())
        return kNoDescription;
    const std::string radius = vq::FieldValue(info, "radius_mm");
    const std::string pattern = vq::FieldValue(info, "pattern");
    std::string microphone = design;
    if (!radius.empty() || !pattern.empty())
        microphone += "," + (radius.empty() ? std::string() : " " + radius + " mm") +
                      (pattern.empty() ? std::string() : " " + pattern);
    return microphone;
}
