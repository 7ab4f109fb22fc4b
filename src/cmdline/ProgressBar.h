// The progress of a long stage on standard error, as every program shows it: a bar with the
// percentage and the time left when standard error is a terminal, and nothing otherwise
// (the stage's line is the caller's to print where it wants one).
#pragma once

#include <chrono>
#include <string>

namespace vq {

class ProgressBar {
public:
    // Draws only on a terminal, and never when `quiet`.
    explicit ProgressBar(bool quiet = false);

    // Whether it draws.
    bool Shown() const { return m_shown; }

    // A stage of `message` begins at 0.
    void Begin(const std::string& message);
    // `permille` of the stage done; redrawn at most ten times a second.
    void Update(int permille);
    // The stage ends: at 100 % when `completed`, then on a line of its own.
    void End(bool completed = true);

private:
    void Draw(int permille);

    bool m_shown;
    std::string m_message;
    int m_lastDrawn = -1;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace vq
