#include "TakeList.h"

#include "TakeKinds.h"
#include "TakeParts.h"

#include <wx/filefn.h>

#include <algorithm>

namespace {

std::string Quoted(const wxString& path)
{
    return "'" + std::string(path.utf8_str()) + "'";
}

const vq::TakeKind& FourMonoFiles()
{
    return vq::TakeKindNamed("four-mono");
}

}  // namespace

std::vector<wxString> Take::Files() const
{
    std::vector<wxString> files = {front};
    if (!rear.empty())
        files.push_back(rear);
    files.insert(files.end(), more.begin(), more.end());
    return files;
}

std::vector<std::string> SplitRecordingHints(const std::vector<Take>& takes)
{
    std::vector<wxString> firsts;
    for (const Take& take : takes)
        firsts.push_back(take.front);
    std::vector<std::string> hints;
    for (const auto& [begin, end] : vq::SplitRecordingRuns(firsts)) {
        std::string names;
        for (std::size_t i = begin; i < end; ++i)
            names += (i == begin ? "" : i + 1 == end ? " and " : ", ") + Quoted(firsts[i]);
        hints.push_back(names + " look like the parts of one recording the recorder split; they are converted as " +
                        "separate takes. To convert them as one take, give them with --join");
    }
    return hints;
}

std::string CollectTakes(const std::vector<wxString>& arguments, const wxString* rear, const TakeFileCount& filesOf,
                         std::vector<Take>* takes)
{
    takes->clear();
    if (arguments.empty())
        return "no take given";
    if (rear) {
        if (arguments.size() != 1)
            return "--rear names the rear file of a single take: give one front file with it";
        const int files = filesOf(arguments[0]);
        if (files == 1 || files == 4)
            return Quoted(arguments[0]) + (files == 1 ? " holds a whole take in four channels" : " is a mono file") +
                   ": it takes no rear file (--rear)";
        takes->push_back({arguments[0], *rear, {}});
        return std::string();
    }
    // The FRD, BLD and BRU files of the mono takes, wherever the arguments name them.
    std::vector<bool> taken(arguments.size(), false);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (taken[i] || filesOf(arguments[i]) != 4)
            continue;
        const std::vector<wxString> others = FourMonoFiles().companions(arguments[i]);
        for (std::size_t j = 0; j < arguments.size(); ++j)
            if (std::find(others.begin(), others.end(), arguments[j]) != others.end())
                taken[j] = true;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (taken[i])
            continue;
        const wxString& front = arguments[i];
        const int files = filesOf(front);
        if (files == 4) {
            const std::vector<wxString> others = FourMonoFiles().companions(front);
            if (std::find(others.begin(), others.end(), wxString()) != others.end())
                return Quoted(front) + " is a mono file: a take of four mono files is given by its FLU file, " +
                       "named after its capsules (takeFLU.wav with takeFRD.wav, takeBLD.wav and takeBRU.wav)";
            takes->push_back({front, wxString(), others});
            continue;
        }
        const wxString derived = vq::RearFileName(front);
        const bool rearFollows = !derived.empty() && i + 1 < arguments.size() && arguments[i + 1] == derived;
        // A file that is there but cannot be read as sound, and names no pair, is a take of
        // its own whose run says what is wrong with it (the other takes are converted).
        if (files == 1 || (files == 0 && derived.empty() && wxFileExists(front))) {
            if (rearFollows && files == 1)
                return Quoted(front) + " holds a whole take in four channels: it takes no rear file (" +
                       Quoted(arguments[i + 1]) + ")";
            takes->push_back({front, wxString(), {}});
            continue;
        }
        if (derived.empty())
            return "cannot tell the rear file (BLD+BRU) of " + Quoted(front) +
                   ": its name does not end in F before the extension; give the rear file with --rear "
                   "(one take at a time)";
        takes->push_back({front, derived, {}});
        if (rearFollows)
            ++i;  // FRONT REAR: the rear file named as it would be derived
    }
    return std::string();
}

int FilesOfTakeStartingWith(const wxString& path)
{
    const vq::TakeKind* kind = vq::KindOfTake(vq::ReadFirstFileHeader(path), vq::InputFormat::Auto, path);
    return kind ? kind->files : 0;
}
