#include "VessarQConvolver.h"

#include <algorithm>

int ProgressPermille(std::int64_t done, std::int64_t total)
{
    if (done == -1 || total <= 0)
        return 1000;
    return static_cast<int>(std::clamp<std::int64_t>(done, 0, total) * 1000 / total);
}

VessarQConvolver::VessarQConvolver(int outputFileCount, VQProgressView* view)
    : QConvolver(outputFileCount), VQProgressPresenter(view)
{
}

void VessarQConvolver::ProgressStart(const char* title, const char* message)
{
    OpenProgress(title ? title : "VessarQuilix", message ? message : "Converting to B-Format...");
}

bool VessarQConvolver::ProgressUpdate(std::int64_t done, std::int64_t total)
{
    if (ShowProgress(ProgressPermille(done, total)))
        return true;
    ProgressEnd();
    return false;
}

void VessarQConvolver::ProgressEnd()
{
    CloseProgress();
}
