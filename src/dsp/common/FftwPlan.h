// An owning FFTW plan that is made and destroyed under the planner's lock (FFTW's planner
// is not thread-safe), for code that needs a plan of its own outside the engines.
#pragma once

#include "common/FftWisdom.h"

#include <fftw3.h>

#include <mutex>

namespace vq {

// How long a measuring planner may spend on one transform. A run without kept wisdom pays it
// for each of its transforms, so a first conversion on a new machine starts within a few
// tenths of a second of a later one; the plans found are kept as wisdom for the next runs.
constexpr double kPlanTimeLimitSeconds = 0.1;

class FftwPlan {
public:
    FftwPlan() = default;
    ~FftwPlan() { Reset(); }
    FftwPlan(const FftwPlan&) = delete;
    FftwPlan& operator=(const FftwPlan&) = delete;

    // Plans of length n; a measuring planner spends at most `seconds` (FFTW_NO_TIMELIMIT: no
    // bound). An empty plan when FFTW cannot make one.
    static FftwPlan RealToComplex(int n, double* in, fftw_complex* out, unsigned flags,
                                  double seconds = FFTW_NO_TIMELIMIT)
    {
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        fftw_set_timelimit(seconds);
        return FftwPlan(fftw_plan_dft_r2c_1d(n, in, out, flags));
    }
    static FftwPlan ComplexToReal(int n, fftw_complex* in, double* out, unsigned flags,
                                  double seconds = FFTW_NO_TIMELIMIT)
    {
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        fftw_set_timelimit(seconds);
        return FftwPlan(fftw_plan_dft_c2r_1d(n, in, out, flags));
    }

    FftwPlan(FftwPlan&& other) noexcept : m_plan(other.m_plan) { other.m_plan = nullptr; }
    FftwPlan& operator=(FftwPlan&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_plan = other.m_plan;
            other.m_plan = nullptr;
        }
        return *this;
    }

    fftw_plan Get() const { return m_plan; }
    explicit operator bool() const { return m_plan != nullptr; }

private:
    explicit FftwPlan(fftw_plan plan) : m_plan(plan) {}
    void Reset()
    {
        if (!m_plan)
            return;
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        fftw_destroy_plan(m_plan);
        m_plan = nullptr;
    }

    fftw_plan m_plan = nullptr;
};

}  // namespace vq
