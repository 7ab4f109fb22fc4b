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

std::string DescribeFilterMatrix(const wxString& dir, int rate)
{
    const std::string fileName = vq::FilterMatrixFileName(rate);
    const wxFileName path(dir, wxString::FromUTF8(fileName.c_str()));
    std::string bytes;
    if (!path.FileExists() || !ToFileSystemPath(path.GetFullPath(), &bytes))
        return std::string();
    vq::FilterMatrixInfo info;
    vq::FailureDetail failure;
    const int status = vq::ReadFilterMatrixInfo(bytes, &info, &failure);
    if (status != vq::kStatusOk)
        return fileName + ": " + vq::StatusMessage(status, bytes, failure) + "\n";
    std::string text = fileName + ": " + (info.description.empty() ? "no description" : info.description) + "\n";
    text += "  " + std::to_string(info.sampleRate) + " Hz, " + std::to_string(info.taps) + " taps, delay " +
            vq::DescribeDelay(info) + "\n";
    for (const auto& [key, value] : info.fields)
        if (key != vq::kFilterDelayKey)
            text += "  " + key + ": " + value + "\n";
    return text;
}
