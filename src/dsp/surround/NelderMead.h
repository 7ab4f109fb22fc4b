// A derivative-free minimiser (Nelder and Mead's downhill simplex) for the small, smooth
// cost functions of decoder design.
#pragma once

#include <functional>
#include <vector>

namespace vq {

using CostFunction = std::function<double(const std::vector<double>&)>;

// Minimises `cost` from `start`: the first simplex adds `step` to one coordinate at a time.
// Stops when the simplex's costs differ by less than `tolerance` or after `maxIterations`
// steps, and returns the best point found. Deterministic.
std::vector<double> MinimiseNelderMead(const CostFunction& cost, const std::vector<double>& start, double step,
                                       double tolerance, int maxIterations);

}  // namespace vq
