#include "TakeFiles.h"

#include "TakeKinds.h"
#include "TakeParts.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <cstring>

namespace vqgui {

namespace {

const vq::TakeKind& KindNamed(const char* name)
{
    const std::vector<vq::TakeKind>& kinds = vq::TakeKinds();
    return *std::find_if(kinds.begin(), kinds.end(),
                         [name](const vq::TakeKind& kind) { return std::strcmp(kind.name, name) == 0; });
}

bool SamePath(const wxString& a, const wxString& b)
{
    return wxFileName(a).SameAs(wxFileName(b));
}

// The file of `paths` whose kind names all the others as its companions.
wxString FirstOf(const vq::TakeKind& kind, const wxArrayString& paths)
{
    for (const wxString& first : paths) {
        const std::vector<wxString> companions = kind.companions(first);
        const bool all = std::all_of(paths.begin(), paths.end(), [&](const wxString& path) {
            return SamePath(path, first) || std::any_of(companions.begin(), companions.end(),
                                                        [&](const wxString& c) { return SamePath(c, path); });
        });
        if (all)
            return first;
    }
    return wxString();
}

// The first files of the takes of `kind` that `paths` make together, every file in one of
// them, in the order of their names; empty when they make no such takes.
std::vector<wxString> FirstFilesOfTakes(const vq::TakeKind& kind, const wxArrayString& paths)
{
    std::vector<wxString> firsts;
    for (const wxString& path : paths) {
        const std::vector<wxString> companions = kind.companions(path);
        if (kind.files == 1) {
            const vq::TakeKind* found = vq::KindOfTake(vq::ReadFirstFileHeader(path), vq::InputFormat::Auto, path);
            if (!found || found->files != 1)
                return {};
        } else if (companions.empty() || std::any_of(companions.begin(), companions.end(), [&](const wxString& c) {
                       return std::none_of(paths.begin(), paths.end(),
                                           [&](const wxString& p) { return SamePath(p, c); });
                   })) {
            continue;  // not the first file of a take of these files
        }
        firsts.push_back(path);
    }
    if (firsts.size() * static_cast<std::size_t>(kind.files) != paths.size())
        return {};
    std::sort(firsts.begin(), firsts.end());
    return firsts;
}

// The first files of takes of `kind` when `paths` are those alone (the front files of
// pairs, say), each finding its other files by name beside it as one take does; empty
// when a path is no such first file or its other files are not there.
std::vector<wxString> FirstFilesAlone(const vq::TakeKind& kind, const wxArrayString& paths)
{
    if (kind.files == 1)
        return {};
    std::vector<wxString> firsts;
    for (const wxString& path : paths) {
        const std::vector<wxString> companions = kind.companions(path);
        if (companions.empty() ||
            !std::all_of(companions.begin(), companions.end(), [](const wxString& c) { return wxFileExists(c); }))
            return {};
        firsts.push_back(path);
    }
    std::sort(firsts.begin(), firsts.end());
    return firsts;
}

// Several takes of one kind that are the parts of one split recording: the take of them all.
bool PartsOfOneTake(const wxArrayString& paths, TakeFiles* take)
{
    for (const char* name : {"a-format", "front-rear", "four-mono"}) {
        const vq::TakeKind& kind = vq::TakeKindNamed(name);
        std::vector<wxString> firsts = FirstFilesOfTakes(kind, paths);
        if (firsts.size() < 2)
            firsts = FirstFilesAlone(kind, paths);
        if (firsts.size() < 2)
            continue;
        const auto runs = vq::SplitRecordingRuns(firsts);
        if (runs.size() != 1 || runs[0].first != 0 || runs[0].second != firsts.size())
            continue;
        take->front = firsts.front();
        take->rear = kind.files == 2 ? vq::RearFileName(firsts.front()) : wxString();
        take->laterParts.assign(firsts.begin() + 1, firsts.end());
        return true;
    }
    return false;
}

}  // namespace

TakeFiles TakeOfFiles(const wxArrayString& paths)
{
    TakeFiles take;
    for (const wxString& path : paths)
        if (wxDirExists(path)) {
            take.problem = "A folder is no take: " + path + "\nDrop or open the sound files of a take.";
            return take;
        }
    if (paths.size() >= 2 && PartsOfOneTake(paths, &take))
        return take;
    switch (paths.size()) {
    case 1:
        take.front = paths[0];
        break;
    case 2:
        take.front = FirstOf(KindNamed("front-rear"), paths);
        take.rear = SamePath(take.front, paths[0]) ? paths[1] : paths[0];
        if (take.front.empty())
            take.problem = "Two files are a take when they are named as a front and a rear file, "
                           "like takeF.wav and takeR.wav.";
        break;
    case 4:
        take.front = FirstOf(KindNamed("four-mono"), paths);
        if (take.front.empty())
            take.problem = "Four files are a take when they are the mono files of the capsules, "
                           "like takeFLU.wav, takeFRD.wav, takeBLD.wav and takeBRU.wav.";
        break;
    default:
        take.problem = wxString::Format("%zu files are no take: one file, a front and a rear file, or four "
                                        "mono files are, or the parts of one recording the recorder split "
                                        "(take_001.wav, take_002.wav, ...).",
                                        paths.size());
    }
    if (take.front.empty())
        take.rear.clear();
    return take;
}

}  // namespace vqgui
