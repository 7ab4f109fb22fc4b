// The convolution engine as the conversion run uses it: progress shown in a progress
// dialog with a Cancel button, or in the record's own progress view when it has one.
#pragma once

#include "VQProgressPresenter.h"

#include "convolver/QConvolver.h"

class VessarQConvolver : public QConvolver, public VQProgressPresenter {
public:
    // view: where progress goes instead of a dialog; may be null.
    explicit VessarQConvolver(int outputFileCount, VQProgressView* view = nullptr);

    // Title and message default to "VessarQuilix" and "Converting to B-Format...".
    void ProgressStart(const char* title, const char* message) override;
    // On a cancel the dialog is closed here, before the engine learns of it.
    bool ProgressUpdate(std::int64_t done, std::int64_t total) override;
    void ProgressEnd() override;
};

// Progress in thousandths: min(done, total) * 1000 / total; 1000 when done is -1
// (complete) or there is nothing to do.
int ProgressPermille(std::int64_t done, std::int64_t total);
