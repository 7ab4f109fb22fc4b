// The event connections a layout class makes in its constructor, kept so that its
// destructor can undo exactly those, in the order they were made.
#pragma once

#include <wx/event.h>

#include <vector>

class EventConnections {
public:
    explicit EventConnections(wxEvtHandler* sink) : m_sink(sink) {}
    ~EventConnections() { DisconnectAll(); }
    EventConnections(const EventConnections&) = delete;
    EventConnections& operator=(const EventConnections&) = delete;

    // Connects `type` from `source` (for menu items: the frame and the item's id) to a
    // handler of the sink.
    void Connect(wxEvtHandler* source, int id, wxEventType type, wxObjectEventFunction handler);
    void DisconnectAll();
    std::size_t Count() const { return m_connections.size(); }

private:
    struct Connection {
        wxEvtHandler* source;
        int id;
        wxEventType type;
        wxObjectEventFunction handler;
    };
    wxEvtHandler* m_sink;
    std::vector<Connection> m_connections;
};
