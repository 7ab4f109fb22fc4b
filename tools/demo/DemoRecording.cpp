#include "demo/DemoRecording.h"

#include "common/EngineStatus.h"
#include "common/SoundFileWriter.h"
#include "demo/CapsuleRenderer.h"
#include "demo/DemoScene.h"
#include "demo/SourceSounds.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace vq {

namespace {

constexpr double kGapSeconds = 0.2;  // silence at the end of every source's slot

int WriteStereo(const std::string& path, const std::vector<double>& left, const std::vector<double>& right)
{
    std::vector<double> interleaved;
    try {
        interleaved.resize(2 * left.size());
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    for (std::size_t n = 0; n < left.size(); ++n) {
        interleaved[2 * n] = left[n];
        interleaved[2 * n + 1] = right[n];
    }
    return WriteSoundFile(path, interleaved, 2, kDemoRate, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
}

}  // namespace

CapsuleSignals RenderDemo(const ArrayModel& model)
{
    CapsuleRenderer renderer(model, kDemoRate, std::lround(kDemoSeconds * kDemoRate));
    for (const DemoSource& source : DemoSources()) {
        const auto sound =
            SynthesizeSound(source.sound, kDemoRate, std::lround((source.length - kGapSeconds) * kDemoRate));
        renderer.Add(sound, std::lround(source.start * kDemoRate),
                     [&source](double seconds) { return source.DirectionAt(seconds); });
    }
    CapsuleSignals capsules = std::move(renderer.Capsules());
    double peak = 0.0;
    for (const auto& capsule : capsules)
        for (double v : capsule)
            peak = std::max(peak, std::fabs(v));
    if (peak > 0.0)
        for (auto& capsule : capsules)
            for (double& v : capsule)
                v *= kDemoPeak / peak;
    return capsules;
}

int WriteDemo(const CapsuleSignals& capsules, const std::string& front, const std::string& rear)
{
    const int status = WriteStereo(front, capsules[0], capsules[1]);
    return status != kStatusOk ? status : WriteStereo(rear, capsules[2], capsules[3]);
}

}  // namespace vq
