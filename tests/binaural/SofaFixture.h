// SOFA files (AES69, SimpleFreeFieldHRIR) written at run time with the HDF5 library, laid
// out as netCDF-4 writes them (dimension scales, DIMENSION_LIST references, 64-bit floats),
// which is what libmysofa reads. Every measured response is a pure delay with a gain.
#pragma once

#include <string>
#include <vector>

namespace vqtest {

struct SofaMeasurement {
    double azimuth = 0.0;    // degrees, positive to the left
    double elevation = 0.0;  // degrees, positive up
    int delay[2] = {0, 0};   // samples before the impulse of the left and right ear
    double gain[2] = {1.0, 1.0};
};

struct SofaContent {
    double sampleRate = 48000.0;
    int taps = 64;
    std::vector<SofaMeasurement> measurements;
    double dataDelay[2] = {0.0, 0.0};  // Data.Delay of the left and right ear, in samples
    std::string conventions = "SimpleFreeFieldHRIR";
    bool cartesianSources = false;  // SourcePosition as unit vectors instead of degrees
};

// Writes `content` to `path` (replacing it); fails the current test when HDF5 refuses.
void WriteSofa(const std::string& path, const SofaContent& content);

}  // namespace vqtest
