// Common tetrahedral microphones as the designer models them: capsule radius, pattern and
// capsule set from what their makers or measurers published (each row of the table cites
// its source). --preset NAME starts from a row; options after it override its values.
#pragma once

#include "filters/ArrayModel.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vq {

struct MicrophonePreset {
    const char* name;   // as --preset takes it
    const char* model;  // maker and model
    double radiusMm;
    CapsulePattern pattern;
    CapsuleSet capsules;
};

// The row named `name`; null when there is none.
const MicrophonePreset* FindPreset(const std::string& name);

// The presets' names, in the table's order.
std::vector<std::string> PresetNames();

// The geometry of `preset`, upright.
ArrayGeometry PresetGeometry(const MicrophonePreset& preset);

// The table as --preset list prints it, one row a line.
void PrintPresets(std::FILE* out);

}  // namespace vq
