#include "filters/MeasurementGrid.h"

#include "filters/ArrayModel.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

double Angle(const Vec3& a, const Vec3& b)
{
    return std::acos(std::clamp(Dot(a, b), -1.0, 1.0));
}

std::vector<Vec3> Distinct(const std::vector<Vec3>& directions)
{
    const double same = kSameDirectionDegrees * kPi / 180.0;
    std::vector<Vec3> distinct;
    for (const Vec3& d : directions)
        if (std::none_of(distinct.begin(), distinct.end(), [&](const Vec3& e) { return Angle(d, e) <= same; }))
            distinct.push_back(d);
    return distinct;
}

// The direction along which the directions spread least: the eigenvector of the smallest
// eigenvalue of their scatter matrix, by power iteration on trace - scatter.
Vec3 LeastSpreadAxis(const std::vector<Vec3>& directions)
{
    double scatter[3][3] = {};
    for (const Vec3& d : directions)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                scatter[r][c] += d[r] * d[c];
    const double trace = scatter[0][0] + scatter[1][1] + scatter[2][2];
    Vec3 v = {0.3, 0.5, 0.8};
    for (int iteration = 0; iteration < 200; ++iteration) {
        Vec3 next{};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                next[r] += ((r == c ? trace : 0.0) - scatter[r][c]) * v[c];
        const double length = std::sqrt(Dot(next, next));
        if (!(length > 0.0))
            break;
        for (double& x : next)
            x /= length;
        v = next;
    }
    return v;
}

}  // namespace

GridCoverage AnalyseGrid(const std::vector<Vec3>& directions)
{
    GridCoverage grid;
    const std::vector<Vec3> distinct = Distinct(directions);
    grid.distinct = static_cast<int>(distinct.size());
    if (distinct.size() < 2)
        return grid;

    double sum = 0.0;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        double nearest = kPi;
        for (std::size_t j = 0; j < distinct.size(); ++j)
            if (j != i)
                nearest = std::min(nearest, Angle(distinct[i], distinct[j]));
        sum += nearest;
    }
    grid.spacing = sum / static_cast<double>(distinct.size());

    const Vec3 normal = LeastSpreadAxis(distinct);
    const double tolerance = std::sin(kPlaneToleranceDegrees * kPi / 180.0);
    grid.planar = std::all_of(distinct.begin(), distinct.end(),
                              [&](const Vec3& d) { return std::fabs(Dot(d, normal)) <= tolerance; });
    if (grid.planar)
        grid.normal = normal;
    return grid;
}

double GridAliasingFrequency(const GridCoverage& grid, double radius)
{
    if (!(grid.spacing > 0.0))
        return 0.0;
    const double order = kPi / grid.spacing - 2.0;
    return std::max(0.0, ArrayModel::kSpeedOfSound * order / (2.0 * kPi * radius));
}

}  // namespace vq
