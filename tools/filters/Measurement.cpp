#include "filters/Measurement.h"

#include "common/GroupDelay.h"
#include "filters/MeasurementGrid.h"

#include <cmath>
#include <filesystem>

namespace vq {

bool ReadMeasurement(const std::string& path, Measurement* measurement, MeasurementProblem* problem,
                     std::vector<std::string>* warnings)
{
    std::error_code error;
    const bool folder = std::filesystem::is_directory(path, error);
    if (!(folder ? ReadMeasurementFolder(path, measurement, problem) : ReadSofaMeasurement(path, measurement, problem)))
        return false;

    std::vector<Vec3> directions;
    std::vector<double> sum;
    for (const MeasuredDirection& d : measurement->directions) {
        directions.push_back(d.direction);
        sum.assign(static_cast<std::size_t>(measurement->length), 0.0);
        for (const auto& response : d.responses)
            for (std::size_t n = 0; n < response.size(); ++n)
                sum[n] += response[n];
        if (std::isnan(MeanGroupDelay(sum.data(), sum.size(), measurement->rate, kArrivalLowHz, kArrivalHighHz)))
            return problem->Refuse(d.source,
                                   "its capsules' summed response is silent between 100 Hz and 1 kHz, so "
                                   "the sound's arrival at the centre cannot be found");
    }
    const GridCoverage grid = AnalyseGrid(directions);
    if (grid.distinct < kMinimumDirections)
        return problem->Refuse(path, "it measures " + std::to_string(grid.distinct) +
                                         " distinct directions; at least " + std::to_string(kMinimumDirections) +
                                         ", spread over the sphere, are needed to determine the matrix");
    if (grid.distinct < kRecommendedDirections)
        warnings->push_back(path + ": only " + std::to_string(grid.distinct) + " directions; " +
                            std::to_string(kRecommendedDirections) +
                            " or more give a design that holds between them (see the leave-one-out column)");
    if (grid.planar)
        warnings->push_back(path +
                            ": all directions lie in one plane: there is no information across it, so that "
                            "component (Z for a horizontal measurement) keeps the nominal design");
    return true;
}

}  // namespace vq
