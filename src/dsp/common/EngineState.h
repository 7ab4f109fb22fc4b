// Where an engine is in its one lifecycle (set up, run once, autorange at most once), so
// that every operation called out of order is refused with kBadState instead of acting.
#pragma once

#include "common/EngineStatus.h"

namespace vq {

// The level Autorange brings the largest sample of a result to.
constexpr double kAutorangePeak = 0.5;

class EngineState {
public:
    // kStatusOk while the engine may still be set up (inputs, names), else kBadState.
    int Setting() const { return m_step == Step::Setting ? kStatusOk : kBadState; }
    // The one Run: kStatusOk the first time, kBadState after.
    int StartRun()
    {
        if (m_step != Step::Setting)
            return kBadState;
        m_step = Step::Ran;
        return kStatusOk;
    }
    // The one Autorange, after a Run that finished: kStatusOk, else kBadState.
    int StartAutorange(bool finished)
    {
        if (m_step != Step::Ran || !finished)
            return kBadState;
        m_step = Step::Autoranged;
        return kStatusOk;
    }

private:
    enum class Step { Setting, Ran, Autoranged };
    Step m_step = Step::Setting;
};

}  // namespace vq
