#include "TakeCheck.h"

#include "InputFileInfo.h"

#include "TakeKinds.h"
#include "VQParams.h"

#include <wx/arrstr.h>
#include <wx/filename.h>

#include <algorithm>

namespace vqgui {

namespace {

wxString NameOf(const wxString& path)
{
    return wxFileName(path).GetFullName();
}

// The rear file of a pair against its front file.
wxString RearProblem(const wxString& front, const SoundFileHeader& frontHeader, const wxString& rear)
{
    SoundFileHeader header;
    if (!wxFileExists(rear))
        return "BLD + BRU: " + NameOf(rear) + " does not exist";
    if (!ReadSoundFileHeader(rear, &header))
        return "BLD + BRU: " + NameOf(rear) + " is no sound file the program reads";
    if (header.channels != 2)
        return wxString::Format("BLD + BRU: %s has %d channels, not 2", NameOf(rear), header.channels);
    if (header.sampleRate != frontHeader.sampleRate)
        return wxString::Format("BLD + BRU: %s is at %d Hz, %s at %d Hz", NameOf(rear), header.sampleRate,
                                NameOf(front), frontHeader.sampleRate);
    return wxString();
}

}  // namespace

wxString TakeProblems(const VQParams& record)
{
    const wxString front = record.GetFullPath(VQParams::kFluFrdInput);
    SoundFileHeader header;
    if (!wxFileExists(front))
        return wxString();
    if (!ReadSoundFileHeader(front, &header))
        return "FLU + FRD: " + NameOf(front) + " is no sound file the program reads";
    const vq::TakeKind* kind = vq::KindOfTake(vq::ReadFirstFileHeader(front), record.m_inputFormat, front);
    if (!kind)
        return wxString::Format("FLU + FRD: %s has %d channels: a take is 2 (with a rear file), 4 or 1 per file",
                                NameOf(front), header.channels);
    wxString problems;
    if (header.channels > 4 && record.m_channels.size() != 4)
        problems = wxString::Format("FLU + FRD: %s has %d channels: name the four that hold the capsules beside it "
                                    "(Capsule quad, for example %d,%d,%d,%d)",
                                    NameOf(front), header.channels, header.channels - 3, header.channels - 2,
                                    header.channels - 1, header.channels);
    if (kind->files == 2)
        problems = RearProblem(front, header, record.GetFullPath(VQParams::kBldBruInput));
    if (!kind->bformat && FilterMatrixTaps(record.GetFiltersDir(), header.sampleRate) == 0)
        problems += wxString(problems.empty() ? "" : "\n") +
                    wxString::Format("No filter matrix for %d Hz in %s: File > Preferences sets the filters folder",
                                     header.sampleRate, record.GetFiltersDir());
    return problems;
}

bool ReadCapsuleChannels(const wxString& text, int fileChannels, std::vector<int>* channels)
{
    channels->clear();
    wxString spaceless = text;
    spaceless.Replace(" ", "");
    const wxArrayString items = wxSplit(spaceless, ',', '\0');
    if (items.size() != 4)
        return false;
    for (const wxString& item : items) {
        long number = 0;
        if (!item.ToLong(&number, 10) || number < 1 || number > fileChannels ||
            std::find(channels->begin(), channels->end(), number - 1) != channels->end()) {
            channels->clear();
            return false;
        }
        channels->push_back(static_cast<int>(number - 1));
    }
    return true;
}

}  // namespace vqgui
