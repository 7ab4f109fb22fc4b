#include "VessarSurrounder.h"

VessarSurrounder::VessarSurrounder(double openingAngle, int outputFileCount, VQProgressView* view)
    : Surrounder(openingAngle, outputFileCount), VQProgressPresenter(view)
{
}

bool VessarSurrounder::ProgressStart(const char* title, const char* message)
{
    OpenProgress(title ? title : "VessarQuilix", message ? message : "Converting to 5.1 format...",
                 "progress_dialog_window");
    return true;
}

bool VessarSurrounder::ProgressUpdate(int percent)
{
    return ShowProgress(percent < 0 ? 1000 : 10 * percent);
}

bool VessarSurrounder::ProgressEnd()
{
    CloseProgress();
    return true;
}
