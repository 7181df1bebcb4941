#include "platform/CanberraSystemBeep.h"

#include <QApplication>

#include <canberra.h>

CanberraSystemBeep::CanberraSystemBeep(Fallback fallback)
    : m_fallback(std::move(fallback))
{
    if (!m_fallback)
        m_fallback = [] { QApplication::beep(); };
    // The sound server is connected lazily, at the first beep.
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Ostrel Brimkit",
                            CA_PROP_APPLICATION_ID, "app.ostrel.brimkit", nullptr);
}

CanberraSystemBeep::~CanberraSystemBeep()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void CanberraSystemBeep::beep()
{
    if (m_context
        && ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                           "Alert sound", nullptr)
            == CA_SUCCESS)
        return;
    m_fallback();
}
