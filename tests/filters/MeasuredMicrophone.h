// A microphone measured in simulation, for the designer's --measured: the impulse responses
// of its capsules to plane waves from a grid of directions, each a band-limited impulse
// (Kaiser-windowed sinc) at the capsule's arrival with the capsule's gain, written as a
// folder of <azimuth>_<elevation>.wav files or as a SOFA file (GeneralFIR, four receivers).
#pragma once

#include "filters/PlaneWaveSimulation.h"

#include <string>
#include <vector>

namespace vqtest {

struct AzEl {
    double azimuth;
    double elevation;
};

struct SimulatedMeasurement {
    int rate = 48000;
    std::vector<AzEl> directions;
    std::vector<std::array<Signal, 4>> responses;  // [direction][capsule]
};

// A 15 mm cardioid tetrahedron with the capsule errors of real units: gains +0.8, -0.6,
// +0.4, -1.0 dB; omni shares 0.44 to 0.58; aims 2 to 5 degrees off; radii 14 to 16.5 mm;
// electronics delays of -15 to +15 microseconds.
Microphone FlawedMicrophone();

// Six rings of twelve directions at elevations -75, -45, -15, 15, 45 and 75 degrees, each
// ring turned against the next (azimuths with decimals among them).
std::vector<AzEl> SeventyTwoDirections();

// The responses of `mic` to sound arriving at its centre `arrival` seconds into each response.
SimulatedMeasurement Measure(const Microphone& mic, const std::vector<AzEl>& directions, int rate = 48000,
                             double arrival = 0.0015, int taps = 160);

// The folder form: one 4-channel file per direction in `folder` (created), in `format`.
void WriteMeasurementFolder(const std::string& folder, const SimulatedMeasurement& measurement,
                            int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT);
std::string MeasurementFileName(const AzEl& direction);

// The SOFA form, written with the HDF5 library as netCDF-4 lays it out; `receivers` responses
// per direction (the first ones of each measured direction, zeros beyond four). With
// `dataDelays` (whole samples per receiver), each receiver's responses are stored that much
// later and Data.Delay says so.
void WriteMeasurementSofa(const std::string& path, const SimulatedMeasurement& measurement, int receivers = 4,
                          const std::array<int, 4>& dataDelays = {});

}  // namespace vqtest
