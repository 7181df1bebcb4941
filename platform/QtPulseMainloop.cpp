#include "platform/QtPulseMainloop.h"

#include "platform/PlatformLogging.h"

#include <QSocketNotifier>
#include <QTimer>

#include <pulse/mainloop-api.h>
#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <functional>

struct QtPulseMainloop::Event {
    explicit Event(QtPulseMainloop *owner) : loop(owner) {}
    virtual ~Event() = default;
    // Stops every notifier; the event is released later.
    virtual void disable() = 0;
    virtual void notifyDestroyed() = 0;

    QtPulseMainloop *loop;
    bool dead = false;
};

namespace {
using Event = QtPulseMainloop::Event;

struct IoEvent final : Event {
    IoEvent(QtPulseMainloop *owner, int descriptor, pa_io_event_cb_t callback, void *data)
        : Event(owner)
        , fd(descriptor)
        , cb(callback)
        , userdata(data)
        , reader(descriptor, QSocketNotifier::Read)
        , writer(descriptor, QSocketNotifier::Write)
    {
        QObject::connect(&reader, &QSocketNotifier::activated, owner, [this] { dispatch(PA_IO_EVENT_INPUT); });
        QObject::connect(&writer, &QSocketNotifier::activated, owner, [this] { dispatch(PA_IO_EVENT_OUTPUT); });
    }
    void enable(pa_io_event_flags_t events)
    {
        // Hang-ups and errors wake a read watch anyway; libpulse learns of them when it reads.
        reader.setEnabled(!dead && (events & (PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR)));
        writer.setEnabled(!dead && (events & PA_IO_EVENT_OUTPUT));
    }
    void dispatch(pa_io_event_flags_t events)
    {
        if (!dead)
            cb(loop->api(), reinterpret_cast<pa_io_event *>(this), fd, events, userdata);
    }
    void disable() override { enable(PA_IO_EVENT_NULL); }
    void notifyDestroyed() override
    {
        if (destroy)
            destroy(loop->api(), reinterpret_cast<pa_io_event *>(this), userdata);
    }

    int fd;
    pa_io_event_cb_t cb;
    void *userdata;
    pa_io_event_destroy_cb_t destroy = nullptr;
    QSocketNotifier reader;
    QSocketNotifier writer;
};

struct TimeEvent final : Event {
    TimeEvent(QtPulseMainloop *owner, pa_time_event_cb_t callback, void *data)
        : Event(owner)
        , cb(callback)
        , userdata(data)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, owner, [this] {
            if (!dead)
                cb(loop->api(), reinterpret_cast<pa_time_event *>(this), &when, userdata);
        });
    }
    // libpulse hands foreign loops wall-clock deadlines; none disables the timer.
    void restart(const struct timeval *deadline)
    {
        timer.stop();
        if (!deadline || dead)
            return;
        when = *deadline;
        struct timeval now {};
        gettimeofday(&now, nullptr);
        const long long micros = (static_cast<long long>(when.tv_sec) - now.tv_sec) * 1000000LL
            + (static_cast<long long>(when.tv_usec) - now.tv_usec);
        timer.start(static_cast<int>(std::clamp((micros + 999) / 1000, 0LL, static_cast<long long>(INT_MAX))));
    }
    void disable() override { timer.stop(); }
    void notifyDestroyed() override
    {
        if (destroy)
            destroy(loop->api(), reinterpret_cast<pa_time_event *>(this), userdata);
    }

    pa_time_event_cb_t cb;
    void *userdata;
    pa_time_event_destroy_cb_t destroy = nullptr;
    struct timeval when {};
    QTimer timer;
};

// Runs once per pass of the event loop for as long as it is enabled.
struct DeferEvent final : Event {
    DeferEvent(QtPulseMainloop *owner, pa_defer_event_cb_t callback, void *data)
        : Event(owner)
        , cb(callback)
        , userdata(data)
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, owner, [this] {
            if (!dead)
                cb(loop->api(), reinterpret_cast<pa_defer_event *>(this), userdata);
        });
        timer.start();
    }
    void enable(bool on)
    {
        if (on && !dead)
            timer.start();
        else
            timer.stop();
    }
    void disable() override { timer.stop(); }
    void notifyDestroyed() override
    {
        if (destroy)
            destroy(loop->api(), reinterpret_cast<pa_defer_event *>(this), userdata);
    }

    pa_defer_event_cb_t cb;
    void *userdata;
    pa_defer_event_destroy_cb_t destroy = nullptr;
    QTimer timer;
};

template <typename E, typename P>
E *from(P *event)
{
    return reinterpret_cast<E *>(event);
}

QtPulseMainloop *owner(pa_mainloop_api *api)
{
    return static_cast<QtPulseMainloop *>(api->userdata);
}
} // namespace

QtPulseMainloop::QtPulseMainloop(QObject *parent)
    : QObject(parent)
    , m_api(std::make_unique<pa_mainloop_api>())
{
    m_api->userdata = this;
    m_api->io_new = [](pa_mainloop_api *api, int fd, pa_io_event_flags_t events, pa_io_event_cb_t cb,
                      void *userdata) {
        IoEvent *event = owner(api)->add<IoEvent>(fd, cb, userdata);
        event->enable(events);
        return reinterpret_cast<pa_io_event *>(event);
    };
    m_api->io_enable = [](pa_io_event *e, pa_io_event_flags_t events) { from<IoEvent>(e)->enable(events); };
    m_api->io_free = [](pa_io_event *e) { from<IoEvent>(e)->loop->release(from<IoEvent>(e)); };
    m_api->io_set_destroy = [](pa_io_event *e, pa_io_event_destroy_cb_t cb) { from<IoEvent>(e)->destroy = cb; };

    m_api->time_new = [](pa_mainloop_api *api, const struct timeval *tv, pa_time_event_cb_t cb, void *userdata) {
        TimeEvent *event = owner(api)->add<TimeEvent>(cb, userdata);
        event->restart(tv);
        return reinterpret_cast<pa_time_event *>(event);
    };
    m_api->time_restart = [](pa_time_event *e, const struct timeval *tv) { from<TimeEvent>(e)->restart(tv); };
    m_api->time_free = [](pa_time_event *e) { from<TimeEvent>(e)->loop->release(from<TimeEvent>(e)); };
    m_api->time_set_destroy = [](pa_time_event *e, pa_time_event_destroy_cb_t cb) { from<TimeEvent>(e)->destroy = cb; };

    m_api->defer_new = [](pa_mainloop_api *api, pa_defer_event_cb_t cb, void *userdata) {
        return reinterpret_cast<pa_defer_event *>(owner(api)->add<DeferEvent>(cb, userdata));
    };
    m_api->defer_enable = [](pa_defer_event *e, int on) { from<DeferEvent>(e)->enable(on != 0); };
    m_api->defer_free = [](pa_defer_event *e) { from<DeferEvent>(e)->loop->release(from<DeferEvent>(e)); };
    m_api->defer_set_destroy = [](pa_defer_event *e, pa_defer_event_destroy_cb_t cb) {
        from<DeferEvent>(e)->destroy = cb;
    };

    // The loop belongs to the application; libpulse has no business ending it.
    m_api->quit = [](pa_mainloop_api *, int retval) {
        qCWarning(lcPlatform) << "PulseAudio asked its main loop to quit with" << retval << "; ignored";
    };
}

QtPulseMainloop::~QtPulseMainloop()
{
    for (const std::unique_ptr<Event> &event : m_events) {
        event->dead = true;
        event->disable();
    }
    for (const std::unique_ptr<Event> &event : m_events)
        event->notifyDestroyed();
}

template <typename E, typename... Args>
E *QtPulseMainloop::add(Args &&...args)
{
    auto event = std::make_unique<E>(this, std::forward<Args>(args)...);
    E *raw = event.get();
    m_events.push_back(std::move(event));
    return raw;
}

void QtPulseMainloop::release(Event *event)
{
    event->dead = true;
    event->disable();
    if (m_reapQueued)
        return;
    m_reapQueued = true;
    QTimer::singleShot(0, this, &QtPulseMainloop::reap);
}

void QtPulseMainloop::reap()
{
    m_reapQueued = false;
    // Taken out first: a destroy callback may free further events.
    std::vector<std::unique_ptr<Event>> dead;
    for (std::unique_ptr<Event> &event : m_events)
        if (event->dead)
            dead.push_back(std::move(event));
    std::erase(m_events, nullptr);
    for (const std::unique_ptr<Event> &event : dead)
        event->notifyDestroyed();
}
