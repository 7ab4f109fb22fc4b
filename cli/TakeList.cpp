#include "TakeList.h"

#include "TakeNames.h"

namespace {

std::string Quoted(const wxString& path)
{
    return "'" + std::string(path.utf8_str()) + "'";
}

}  // namespace

std::string CollectTakes(const std::vector<wxString>& arguments, const wxString* rear, const WholeTakeTest& isWholeTake,
                         std::vector<Take>* takes)
{
    takes->clear();
    if (arguments.empty())
        return "no take given";
    if (rear) {
        if (arguments.size() != 1)
            return "--rear names the rear file of a single take: give one front file with it";
        if (isWholeTake(arguments[0]))
            return Quoted(arguments[0]) + " holds all four capsules: it takes no rear file (--rear)";
        takes->push_back({arguments[0], *rear});
        return std::string();
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const wxString& front = arguments[i];
        const wxString derived = RearFileName(front);
        const bool rearFollows = !derived.empty() && i + 1 < arguments.size() && arguments[i + 1] == derived;
        if (isWholeTake(front)) {
            if (rearFollows)
                return Quoted(front) + " holds all four capsules: it takes no rear file (" + Quoted(arguments[i + 1]) +
                       ")";
            takes->push_back({front, wxString()});
            continue;
        }
        if (derived.empty())
            return "cannot tell the rear file (BLD+BRU) of " + Quoted(front) +
                   ": its name does not end in F before the extension; give the rear file with --rear "
                   "(one take at a time)";
        takes->push_back({front, derived});
        if (rearFollows)
            ++i;  // FRONT REAR: the rear file named as it would be derived
    }
    return std::string();
}
