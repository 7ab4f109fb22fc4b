#include "ProgressBar.h"

#include <unistd.h>

#include <cstdio>

namespace vq {

namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

ProgressBar::ProgressBar(bool quiet) : m_shown(!quiet && isatty(STDERR_FILENO) == 1) {}

void ProgressBar::Begin(const std::string& message)
{
    m_message = message;
    m_start = m_lastDraw = std::chrono::steady_clock::now();
    m_lastDrawn = -1;
    if (m_shown)
        Draw(0);
}

void ProgressBar::Update(int permille)
{
    const auto now = std::chrono::steady_clock::now();
    if (m_shown && permille != m_lastDrawn && now - m_lastDraw >= kRedrawInterval) {
        m_lastDraw = now;
        Draw(permille);
    }
}

void ProgressBar::End(bool completed)
{
    if (!m_shown)
        return;
    if (completed)
        Draw(1000);
    std::fputc('\n', stderr);
}

void ProgressBar::Draw(int permille)
{
    m_lastDrawn = permille;
    const int filled = permille * kBarWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::string left;
    if (permille > 0 && permille < 1000) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const int seconds = static_cast<int>(elapsed * (1000 - permille) / permille + 0.5);
        char text[32];
        std::snprintf(text, sizeof text, "  %d:%02d left", seconds / 60, seconds % 60);
        left = text;
    }
    std::fprintf(stderr, "\r%s [%s] %3d%%%-14s", m_message.c_str(), bar.c_str(), permille / 10, left.c_str());
    std::fflush(stderr);
}

}  // namespace vq
