// The 5.1 decoder as the conversion run uses it: progress shown in a progress dialog
// with a Cancel button, or in the record's own progress view when it has one.
#pragma once

#include "VQProgressPresenter.h"

#include "surround/Surrounder.h"

class VessarSurrounder : public Surrounder, public VQProgressPresenter {
public:
    // view: where progress goes instead of a dialog; may be null.
    VessarSurrounder(double openingAngle, int outputFileCount, VQProgressView* view = nullptr);

    // The dialog is named "progress_dialog_window"; the message defaults to
    // "Converting to 5.1 format...".
    bool ProgressStart(const char* title, const char* message) override;
    // Shows 10 x percent; on a cancel the decoder itself calls ProgressEnd.
    bool ProgressUpdate(int percent) override;
    bool ProgressEnd() override;
};
