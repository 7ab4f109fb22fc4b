#include "JobFixture.h"

#include <cmath>
#include <filesystem>

namespace vqtest {

void RecordingView::Begin(const wxString& title, const wxString& message)
{
    stages.push_back(std::string((title + "|" + message).utf8_str()));
    ++open;
}

bool RecordingView::Update(int permille)
{
    ++updates;
    if (observe)
        observe(permille);
    if (cancelInStage != 0 && static_cast<int>(stages.size()) == cancelInStage)
        return false;
    return cancelAtUpdate == 0 || updates < cancelAtUpdate;
}

void RecordingView::End()
{
    --open;
}

JobSetup::JobSetup(std::int64_t frames, int taps, int rate, double amplitude) : cwd(dir.Path())
{
    for (int k = 0; k < 4; ++k)
        capsules[k] = Noise(frames, 40 + k, amplitude);
    filters = RandomFilterMatrix(taps, 60);
    WriteAFormat(dir.File("takeF.wav"), dir.File("takeR.wav"), capsules, rate);
    std::filesystem::create_directory(dir.File("filters"));
    WriteFilterMatrix(dir.File("filters/FilterMatrix_" + std::to_string(rate) + ".wav"), filters, rate);
}

void JobSetup::Configure(VQParams& params)
{
    params.SetFiltersDir(dir.File("filters"));
    params.SetFileName(VQParams::kFluFrdInput, dir.File("takeF.wav"));
    params.SetFileName(VQParams::kBldBruInput, dir.File("takeR.wav"));
    params.m_progressView = &view;
}

std::array<Signal, 4> JobSetup::ExpectedBFormat(double gainDb) const
{
    const std::int64_t frames = static_cast<std::int64_t>(capsules[0].size() + filters[0][0].size());
    return ExpectedOutputs(capsules, filters, std::pow(10.0, gainDb / 20.0), frames);
}

}  // namespace vqtest
