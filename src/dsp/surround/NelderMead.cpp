#include "surround/NelderMead.h"

#include <algorithm>

namespace vq {

namespace {

struct Vertex {
    std::vector<double> point;
    double cost;
};

}  // namespace

std::vector<double> MinimiseNelderMead(const CostFunction& cost, const std::vector<double>& start, double step,
                                       double tolerance, int maxIterations)
{
    const std::size_t n = start.size();
    std::vector<Vertex> simplex;
    simplex.push_back({start, cost(start)});
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> p = start;
        p[i] += step;
        simplex.push_back({p, cost(p)});
    }
    // The point centroid + t * (worst - centroid): t = -1 reflects, -2 expands, +-0.5 contracts.
    std::vector<double> centroid(n);
    auto along = [&](double t) {
        std::vector<double> p(n);
        for (std::size_t j = 0; j < n; ++j)
            p[j] = centroid[j] + t * (simplex[n].point[j] - centroid[j]);
        return Vertex{p, cost(p)};
    };

    for (int iteration = 0; iteration < maxIterations; ++iteration) {
        std::sort(simplex.begin(), simplex.end(), [](const Vertex& a, const Vertex& b) { return a.cost < b.cost; });
        const Vertex& best = simplex.front();
        Vertex& worst = simplex.back();
        if (worst.cost - best.cost < tolerance)
            break;
        std::fill(centroid.begin(), centroid.end(), 0.0);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                centroid[j] += simplex[i].point[j] / double(n);

        const Vertex reflected = along(-1.0);
        if (reflected.cost < best.cost) {
            const Vertex expanded = along(-2.0);
            worst = expanded.cost < reflected.cost ? expanded : reflected;
        } else if (reflected.cost < simplex[n - 1].cost) {
            worst = reflected;
        } else {
            // Contract towards the better of the worst point and its reflection.
            const Vertex contracted = along(reflected.cost < worst.cost ? -0.5 : 0.5);
            if (contracted.cost < std::min(reflected.cost, worst.cost)) {
                worst = contracted;
            } else {
                // Nothing better on that line: shrink everything towards the best point.
                for (std::size_t i = 1; i <= n; ++i) {
                    for (std::size_t j = 0; j < n; ++j)
                        simplex[i].point[j] = best.point[j] + 0.5 * (simplex[i].point[j] - best.point[j]);
                    simplex[i].cost = cost(simplex[i].point);
                }
            }
        }
    }
    const auto best = std::min_element(simplex.begin(), simplex.end(),
                                       [](const Vertex& a, const Vertex& b) { return a.cost < b.cost; });
    return best->point;
}

}  // namespace vq
