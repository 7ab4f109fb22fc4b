// What both engines' progress overrides share: each engine's progress goes to the record's
// progress view (the window's progress dialog, or the terminal), in thousandths of the
// pass, with the title and message of the stage. A pass that the user cancels ends like
// any other, with one ProgressEnd.
#pragma once

#include "VQProgressView.h"

#include <algorithm>
#include <cstdint>
#include <utility>

// Progress in thousandths: min(done, total) * 1000 / total; 1000 when there is nothing to do.
inline int ProgressPermille(std::int64_t done, std::int64_t total)
{
    if (total <= 0)
        return 1000;
    return static_cast<int>(std::clamp<std::int64_t>(done, 0, total) * 1000 / total);
}

template <typename Engine>
class VQProgressAdaptor : public Engine {
public:
    // view: where progress goes; null shows none. defaultMessage: the stage's message when
    // the engine gives none.
    template <typename... EngineArguments>
    VQProgressAdaptor(VQProgressView* view, const wxString& defaultMessage, EngineArguments&&... arguments)
        : Engine(std::forward<EngineArguments>(arguments)...), m_view(view), m_defaultMessage(defaultMessage)
    {
    }

    void ProgressStart(const char* title, const char* message) override
    {
        if (!m_view)
            return;
        m_view->Begin(title ? wxString(title) : wxString("VessarQuilix"),
                      message ? wxString(message) : m_defaultMessage);
        m_open = true;
    }
    bool ProgressUpdate(std::int64_t done, std::int64_t total) override
    {
        return !m_open || m_view->Update(ProgressPermille(done, total));
    }
    void ProgressEnd() override
    {
        if (m_open)
            m_view->End();
        m_open = false;
    }

private:
    VQProgressView* m_view;
    wxString m_defaultMessage;
    bool m_open = false;
};
