#include "EventConnections.h"

void EventConnections::Connect(wxEvtHandler* source, int id, wxEventType type, wxObjectEventFunction handler)
{
    source->Connect(id, type, handler, nullptr, m_sink);
    m_connections.push_back({source, id, type, handler});
}

void EventConnections::DisconnectAll()
{
    for (const Connection& c : m_connections)
        c.source->Disconnect(c.id, c.type, c.handler, nullptr, m_sink);
    m_connections.clear();
}
