// The SOFA form of a measurement, read with libmysofa. libmysofa parses a file format that
// comes from anywhere, so this file is the designer's only contact with it: one function,
// whose result is plain data, that can move behind a process boundary as it stands.
#include "filters/Measurement.h"

#include <mysofa.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace vq {

namespace {

struct HrtfDeleter {
    void operator()(MYSOFA_HRTF* hrtf) const { mysofa_free(hrtf); }
};

std::string LoadError(int code)
{
    if (code == MYSOFA_NO_MEMORY)
        return "not enough memory to read it";
    if (code > 0 && code < MYSOFA_INVALID_FORMAT)
        return std::strerror(code);
    if (code == MYSOFA_UNSUPPORTED_FORMAT)
        return "it uses HDF5 features that libmysofa cannot read";
    if (code == MYSOFA_READ_ERROR)
        return "it ends before its data does";
    return "it is not a SOFA file (netCDF-4/HDF5 with the SOFA attributes and dimensions)";
}

bool AllFinite(const float* values, unsigned count)
{
    for (unsigned i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

}  // namespace

bool ReadSofaMeasurement(const std::string& path, Measurement* measurement, MeasurementProblem* problem)
{
    *measurement = Measurement();
    measurement->path = path;
    measurement->name = std::filesystem::path(path).filename().string();

    // libmysofa reports a file it cannot open with errno; opening it here first says so plainly.
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe)
        return problem->Refuse(path, std::string("it cannot be opened: ") + std::strerror(errno));
    std::fclose(probe);
    int err = MYSOFA_OK;
    std::unique_ptr<MYSOFA_HRTF, HrtfDeleter> hrtf(mysofa_load(path.c_str(), &err));
    if (!hrtf || err != MYSOFA_OK)
        return problem->Refuse(path, "it cannot be read as a SOFA file: " + LoadError(err));

    MYSOFA_HRTF& h = *hrtf;
    const unsigned m = h.M, n = h.N, r = h.R;
    if (r != 4)
        return problem->Refuse(path,
                               "it has " + std::to_string(r) + " receivers; a measurement has 4 (FLU, FRD, BLD, BRU)");
    if (m == 0 || n == 0 || n > static_cast<unsigned>(kMaxResponseTaps))
        return problem->Refuse(path, "it holds " + std::to_string(m) + " measurements of " + std::to_string(n) +
                                         " taps; a measurement needs responses of 1 to " +
                                         std::to_string(kMaxResponseTaps) + " taps");
    if (!h.DataIR.values || h.DataIR.elements != static_cast<unsigned long long>(m) * r * n)
        return problem->Refuse(
            path, "Data.IR does not hold " + std::to_string(m) + " x 4 x " + std::to_string(n) + " values");
    if (!AllFinite(h.DataIR.values, h.DataIR.elements))
        return problem->Refuse(path, "Data.IR holds a value that is not a finite number (NaN or infinite)");
    if (!h.SourcePosition.values || h.SourcePosition.elements != 3 * m ||
        !AllFinite(h.SourcePosition.values, h.SourcePosition.elements))
        return problem->Refuse(path, "SourcePosition does not hold one finite position per measurement");
    if (!h.DataSamplingRate.values || h.DataSamplingRate.elements < 1 ||
        !(h.DataSamplingRate.values[0] >= 1000.0f && h.DataSamplingRate.values[0] <= 1000000.0f))
        return problem->Refuse(path, "Data.SamplingRate is missing or not a rate from 1 kHz to 1 MHz");
    const unsigned delays = h.DataDelay.values ? h.DataDelay.elements : 0;
    if (delays != 0 && delays != r && delays != m * r)
        return problem->Refuse(path,
                               "Data.Delay has " + std::to_string(delays) + " values, not 4 or 4 per measurement");
    for (unsigned i = 0; i < delays; ++i)
        if (!(h.DataDelay.values[i] >= 0.0f && h.DataDelay.values[i] <= static_cast<float>(kMaxResponseTaps)))
            return problem->Refuse(path, "Data.Delay holds a delay that is negative or not a number");

    mysofa_tocartesian(&h);
    measurement->rate = h.DataSamplingRate.values[0];
    measurement->length = static_cast<int>(n);
    try {
        measurement->directions.resize(m);
        for (unsigned i = 0; i < m; ++i) {
            MeasuredDirection& d = measurement->directions[i];
            const float* p = h.SourcePosition.values + 3 * i;
            const double length = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
            if (!(length > 1e-9))
                return problem->Refuse(path, "measurement " + std::to_string(i + 1) + " has its source at the centre");
            d.direction = {p[0] / length, p[1] / length, p[2] / length};
            d.azimuth = std::atan2(d.direction[1], d.direction[0]) * 180.0 / kPi;
            d.elevation = std::asin(std::max(-1.0, std::min(1.0, d.direction[2]))) * 180.0 / kPi;
            d.source = path + ", measurement " + std::to_string(i + 1);
            for (unsigned k = 0; k < 4; ++k) {
                const float* taps = h.DataIR.values + (static_cast<std::size_t>(i) * r + k) * n;
                d.responses[k].assign(taps, taps + n);
                if (delays > 0)
                    d.delays[k] = h.DataDelay.values[delays == r ? k : i * r + k];
            }
        }
    } catch (const std::bad_alloc&) {
        return problem->Refuse(path, "not enough memory to hold its responses");
    }
    return true;
}

}  // namespace vq
