#include "filters/MicrophonePresets.h"

namespace vq {

namespace {

// Where no figure was published, the row says so and keeps the designer's default. The
// radius is from the centre to each capsule's diaphragm.
const MicrophonePreset kPresets[] = {
    // Radius 14.7 mm: E. Benjamin, "SF MkIV and MkV 1.47 cm (from literature)", sursound
    // list, 2013 (mail-archive.com/sursound@music.vt.edu/msg04120.html). Sub-cardioid
    // capsules, LFU, RFD, LBD, RBU: the Gerzon-Craven design as F. Adriaensen describes it,
    // "A Tetrahedral Microphone Processor for Ambisonic Recording", LAC 2007.
    {"soundfield-mkv", "SoundField Mk IV / Mk V", 14.7, CapsulePattern::Subcardioid, CapsuleSet::FluFrdBldBru},
    // Radius 27.1 mm: measured by E. Benjamin (same message). The capsules' pattern is not
    // published: cardioid, as L. McCormack's Spatial Audio Framework models it (array2sh
    // preset SPS200, open cardioid, capsules FLU, FRD, BLD, BRU).
    {"sps200", "SoundField SPS200", 27.1, CapsulePattern::Cardioid, CapsuleSet::FluFrdBldBru},
    // Radius 17.7 mm: measured by E. Benjamin (same message). Cardioid: P. Hodges,
    // ambisonic.info/tetramic/design.html ("cardioid rather than sub-cardioid"; B. Bartlett,
    // ProSoundWeb 2009, calls them sub-cardioid). Order ULF, DRF, DLB, URB: M. Chapman,
    // "Ambisonic A-format Channel Ordering", ambisonics.ch.
    {"tetramic", "Core Sound TetraMic", 17.7, CapsulePattern::Cardioid, CapsuleSet::FluFrdBldBru},
    // Radius 14 mm, cardioid, FLU, FRD, BLD, BRU: the Spatial Audio Framework's array2sh
    // preset (r = 0.014 m, open cardioid). Sennheiser's own material gives neither radius
    // nor capsule pattern (the capsules are KE 14).
    {"ambeo", "Sennheiser AMBEO VR Mic", 14.0, CapsulePattern::Cardioid, CapsuleSet::FluFrdBldBru},
    // Radius 12 mm, cardioid, FLU, FRD, BLD, BRU: the Spatial Audio Framework's array2sh
    // preset (r = 0.012 m, open cardioid); Zoom publishes no capsule geometry.
    {"h3-vr", "Zoom H3-VR", 12.0, CapsulePattern::Cardioid, CapsuleSet::FluFrdBldBru},
};

}  // namespace

const MicrophonePreset* FindPreset(const std::string& name)
{
    for (const MicrophonePreset& preset : kPresets)
        if (name == preset.name)
            return &preset;
    return nullptr;
}

std::vector<std::string> PresetNames()
{
    std::vector<std::string> names;
    for (const MicrophonePreset& preset : kPresets)
        names.push_back(preset.name);
    return names;
}

ArrayGeometry PresetGeometry(const MicrophonePreset& preset)
{
    ArrayGeometry geometry;
    geometry.radius = preset.radiusMm / 1000.0;
    geometry.pattern = preset.pattern;
    geometry.capsules = preset.capsules;
    return geometry;
}

void PrintPresets(std::FILE* out)
{
    std::fprintf(out, "%-16s %-26s %-9s %-13s %s\n", "preset", "microphone", "radius", "pattern", "capsules");
    for (const MicrophonePreset& preset : kPresets)
        std::fprintf(out, "%-16s %-26s %4.1f mm   %-13s %s\n", preset.name, preset.model, preset.radiusMm,
                     PatternName(preset.pattern).c_str(), CapsuleSetName(preset.capsules).c_str());
}

}  // namespace vq
