#include "TerminalProgress.h"

#include "Interrupt.h"

#include <cstdio>

TerminalProgress::TerminalProgress(bool quiet) : m_quiet(quiet), m_bar(quiet) {}

void TerminalProgress::SetTake(int number, int count)
{
    m_takePrefix = count > 1 ? wxString::Format("take %d/%d: ", number, count) : wxString();
}

void TerminalProgress::Begin(const wxString&, const wxString& message)
{
    const wxString line = m_takePrefix + message;
    m_bar.Begin(std::string(line.utf8_str()));
    // Without a terminal, a line per stage.
    if (!m_quiet && !m_bar.Shown())
        std::fprintf(stderr, "%s\n", static_cast<const char*>(line.utf8_str()));
}

bool TerminalProgress::Update(int permille)
{
    m_bar.Update(permille);
    return !InterruptRequested();
}

void TerminalProgress::End()
{
    m_bar.End(!InterruptRequested());
}

bool TerminalProgress::CancelRequested() const
{
    return InterruptRequested();
}
