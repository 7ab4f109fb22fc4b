// A conversion set up in a temporary working directory: two A-format inputs, a filters
// directory with the matching filter matrix, and a progress view that records the stages
// and can cancel.
#pragma once

#include "VQParams.h"
#include "VQProgressView.h"

#include "support/TestAudio.h"
#include "support/WxTestSupport.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vqtest {

class RecordingView : public VQProgressView {
public:
    void Begin(const wxString& title, const wxString& message) override;
    bool Update(int permille) override;
    void End() override;

    int cancelAtUpdate = 0;  // 1-based; 0 never cancels
    int cancelInStage = 0;   // cancel at the first update of this stage (1-based); 0 never
    // Called at every update, before the answer is given.
    std::function<void(int permille)> observe;
    int updates = 0;
    std::vector<std::string> stages;  // "title|message" of each Begin
    int open = 0;                     // Begins not yet ended
};

struct JobSetup {
    explicit JobSetup(std::int64_t frames = 4000, int taps = 32, int rate = 48000, double amplitude = 0.5);

    TempDir dir;
    ScopedWorkingDirectory cwd;
    std::array<Signal, 4> capsules;
    FilterMatrix filters;
    RecordingView view;

    // A record naming this set-up's inputs and filters, reporting to `view`.
    void Configure(VQParams& params);
    // W, X, Y, Z as an exact convolution at a gain in dB, `frames` + taps frames.
    std::array<Signal, 4> ExpectedBFormat(double gainDb) const;
    std::string File(const std::string& name) const { return dir.File(name); }
};

}  // namespace vqtest
