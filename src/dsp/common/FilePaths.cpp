#include "common/FilePaths.h"

#include <filesystem>
#include <system_error>

namespace vq {

bool SameFile(const std::string& a, const std::string& b)
{
    namespace fs = std::filesystem;
    if (a.empty() || b.empty())
        return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    // Absolute first: a relative name that does not exist yet would otherwise stay relative.
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec)
        return false;
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && pa == pb;
}

std::string PathClash::Reason() const
{
    return (otherIsOutput ? "the same file as the output " : "the same file as ") + other;
}

bool OutputsCollide(const std::string* outputs, int count, const std::vector<std::string>& readPaths, PathClash* clash)
{
    const auto found = [&](int i, const std::string& other, bool otherIsOutput) {
        if (clash)
            *clash = PathClash{outputs[i], other, otherIsOutput};
        return true;
    };
    for (int i = 0; i < count; ++i) {
        for (const std::string& read : readPaths)
            if (SameFile(outputs[i], read))
                return found(i, read, false);
        for (int other = 0; other < i; ++other)
            if (SameFile(outputs[i], outputs[other]))
                return found(i, outputs[other], true);
    }
    return false;
}

}  // namespace vq
