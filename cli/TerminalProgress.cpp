#include "TerminalProgress.h"

#include "Interrupt.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

TerminalProgress::TerminalProgress(bool quiet) : m_quiet(quiet), m_terminal(isatty(STDERR_FILENO) == 1) {}

void TerminalProgress::SetTake(int number, int count)
{
    m_takePrefix = count > 1 ? wxString::Format("take %d/%d: ", number, count) : wxString();
}

void TerminalProgress::Begin(const wxString&, const wxString& message)
{
    m_message = m_takePrefix + message;
    m_start = m_lastDraw = std::chrono::steady_clock::now();
    m_lastDrawn = -1;
    if (m_quiet)
        return;
    if (m_terminal)
        Draw(0);
    else
        std::fprintf(stderr, "%s\n", static_cast<const char*>(m_message.utf8_str()));
}

bool TerminalProgress::Update(int permille)
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_quiet && m_terminal && permille != m_lastDrawn && now - m_lastDraw >= kRedrawInterval) {
        m_lastDraw = now;
        Draw(permille);
    }
    return !InterruptRequested();
}

void TerminalProgress::End()
{
    if (m_quiet || !m_terminal)
        return;
    if (!InterruptRequested())
        Draw(1000);
    std::fputc('\n', stderr);
}

void TerminalProgress::Draw(int permille)
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
    std::fprintf(stderr, "\r%s [%s] %3d%%%-14s", static_cast<const char*>(m_message.utf8_str()), bar.c_str(),
                 permille / 10, left.c_str());
    std::fflush(stderr);
}

bool TerminalProgress::CancelRequested() const
{
    return InterruptRequested();
}
