// The event bindings a layout class makes in its constructor, each kept as the closure that
// undoes it, so that the destructor unbinds exactly those (the latest first) before the
// controls and the handlers' object go away.
#pragma once

#include <wx/event.h>

#include <cstddef>
#include <functional>
#include <vector>

class EventBindings {
public:
    EventBindings() = default;
    ~EventBindings() { UnbindAll(); }
    EventBindings(const EventBindings&) = delete;
    EventBindings& operator=(const EventBindings&) = delete;

    // Binds `type` from `source` (for menu items: the frame and the item's id) to a member
    // function of `handler`.
    template <typename EventTag, typename Class, typename EventArg, typename Handler>
    void Bind(wxEvtHandler* source, const EventTag& type, void (Class::*method)(EventArg&), Handler* handler,
              int id = wxID_ANY)
    {
        source->Bind(type, method, handler, id);
        m_unbinds.push_back([=] { source->Unbind(type, method, handler, id); });
    }

    void UnbindAll()
    {
        while (!m_unbinds.empty()) {
            m_unbinds.back()();
            m_unbinds.pop_back();
        }
    }

    std::size_t Count() const { return m_unbinds.size(); }

private:
    std::vector<std::function<void()>> m_unbinds;
};
