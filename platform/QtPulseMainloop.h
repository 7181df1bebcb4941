#pragma once
// libpulse's main-loop interface served by Qt's event loop: descriptors are
// watched with QSocketNotifier, timers and deferred calls run on QTimer. A
// PulseAudio context created over api() never blocks and never needs a thread
// of its own. Events are released on the next pass of the loop, as libpulse's
// own loops do, so a callback may free the event that called it.
// Destroy every context using the loop before the loop.

#include <QObject>

#include <memory>
#include <vector>

struct pa_mainloop_api;

class QtPulseMainloop final : public QObject {
public:
    explicit QtPulseMainloop(QObject *parent = nullptr);
    ~QtPulseMainloop() override;
    QtPulseMainloop(const QtPulseMainloop &) = delete;
    QtPulseMainloop &operator=(const QtPulseMainloop &) = delete;

    pa_mainloop_api *api() { return m_api.get(); }

    // One watched descriptor, timer or deferred call (defined in the source).
    struct Event;

private:
    template <typename E, typename... Args>
    E *add(Args &&...args);
    void release(Event *event);
    void reap();

    std::unique_ptr<pa_mainloop_api> m_api;
    std::vector<std::unique_ptr<Event>> m_events;
    bool m_reapQueued = false;
};
