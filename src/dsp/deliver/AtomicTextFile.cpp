#include "deliver/AtomicTextFile.h"

#include "common/ReplacedFile.h"

namespace vq {

int WriteTextFileAtomically(const std::string& path, const std::string& text, FailureDetail* detail)
{
    ReplacedFile file;
    const int status = file.Open(path, detail);
    if (status != 0)
        return status;
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    return file.Commit(detail);
}

}  // namespace vq
