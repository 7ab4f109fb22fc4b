#include "TakeFiles.h"

#include "TakeKinds.h"

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

}  // namespace

TakeFiles TakeOfFiles(const wxArrayString& paths)
{
    TakeFiles take;
    for (const wxString& path : paths)
        if (wxDirExists(path)) {
            take.problem = "A folder is no take: " + path + "\nDrop or open the sound files of a take.";
            return take;
        }
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
                                        "mono files are.",
                                        paths.size());
    }
    if (take.front.empty())
        take.rear.clear();
    return take;
}

}  // namespace vqgui
