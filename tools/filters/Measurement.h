// A measurement of one microphone for --measured: the impulse responses of its four
// capsules (in the order of the design's capsules) to sound from each of a set of
// directions, relative to the sound at the microphone's centre (the loudspeaker's own
// response divided out; whatever all responses share ends up in the filters).
//
// Two forms: a folder of 4-channel WAV files named <azimuth>_<elevation>.wav in degrees
// (for example -45_30.wav or 22.5_-10.wav), or a SOFA file with four receivers and the
// source positions of the measurements. Every problem that makes a measurement unusable is
// reported with the file it is in.
#pragma once

#include "common/Vec3.h"

#include <array>
#include <string>
#include <vector>

namespace vq {

struct MeasuredDirection {
    double azimuth = 0.0;                          // degrees, positive to the left
    double elevation = 0.0;                        // degrees, positive up
    Vec3 direction{};                              // the same as a unit vector
    std::string source;                            // the file (or the SOFA file and the measurement), for messages
    std::array<std::vector<double>, 4> responses;  // the capsules' impulse responses
    std::array<double, 4> delays{};                // samples by which each response starts late
};

struct Measurement {
    std::string path;
    std::string name;  // the folder's or the file's name, for the matrix's description
    double rate = 0.0;
    int length = 0;  // taps of every response
    std::vector<MeasuredDirection> directions;
};

struct MeasurementProblem {
    std::string file;
    std::string reason;

    // Records what is wrong with `where`; false, so that a reader can return it.
    bool Refuse(const std::string& where, const std::string& why)
    {
        file = where;
        reason = why;
        return false;
    }
};

// Where a direction's arrival at the centre is measured: its capsules' summed response
// must not be silent there.
constexpr double kArrivalLowHz = 100.0;
constexpr double kArrivalHighHz = 1000.0;

constexpr int kMinimumDirections = 8;
constexpr int kRecommendedDirections = 16;
constexpr int kMaxResponseTaps = 1 << 20;

// Reads the measurement at `path` (a folder or a SOFA file) and checks that it can
// determine the matrix: at least kMinimumDirections distinct directions, and sound in every
// direction's responses between kArrivalLowHz and kArrivalHighHz. False with
// *problem on the first problem; what is usable but weak (fewer than
// kRecommendedDirections, all directions in one plane) is appended to *warnings.
bool ReadMeasurement(const std::string& path, Measurement* measurement, MeasurementProblem* problem,
                     std::vector<std::string>* warnings);

// The forms on their own (no check of the directions).
bool ReadMeasurementFolder(const std::string& folder, Measurement* measurement, MeasurementProblem* problem);
bool ReadSofaMeasurement(const std::string& path, Measurement* measurement, MeasurementProblem* problem);

}  // namespace vq
