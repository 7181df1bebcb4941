#pragma once
// Tells the model when it must step its clock at once:
// - clock changed: a CLOCK_REALTIME timerfd armed with TFD_TIMER_CANCEL_ON_SET,
//   which the kernel cancels whenever the wall clock is set;
// - time zone changed: the local-time file and its folder are watched, since
//   tools swap the symlink rather than write the file; TZ cannot change
//   under a running process, so it is not watched;
// - woke: logind's PrepareForSleep(false) on the system bus;
// - application activated: the application state turning active.
// Everything is delivered on the thread that owns this object (the main thread).

#include "models/BrimSystemEvents.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QMetaObject>
#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QSocketNotifier;

class LinuxSystemEvents final : public QObject, public BrimSystemEvents {
    Q_OBJECT
public:
    static QString defaultLocaltimePath() { return QStringLiteral("/etc/localtime"); }

    explicit LinuxSystemEvents(QDBusConnection systemBus,
                               QString localtimePath = defaultLocaltimePath(),
                               QObject *parent = nullptr);
    ~LinuxSystemEvents() override;

    void observe(Handler handler) override;
    void stopObserving() override;

    // Whether each source is live; false where the system lacks it (no system
    // bus, no timerfd, no local-time file folder).
    bool isWatchingClock() const { return m_clockNotifier != nullptr; }
    bool isWatchingTimeZone() const { return m_zoneWatcher != nullptr; }
    bool isWatchingSleep() const { return m_sleepConnected; }

private Q_SLOTS:
    void prepareForSleep(bool starting);

private:
    void startClockWatch();
    bool armClockTimer();
    void clockTimerReadable();
    void startZoneWatch();
    void zonePathsChanged();
    QByteArray zoneSignature() const;
    void deliver(BrimSystemEvent event);

    QDBusConnection m_systemBus;
    QString m_localtimePath;
    Handler m_handler;
    bool m_observing = false;

    int m_clockFd = -1;
    QSocketNotifier *m_clockNotifier = nullptr;
    QFileSystemWatcher *m_zoneWatcher = nullptr;
    QByteArray m_zoneSignature;
    bool m_sleepConnected = false;
    QMetaObject::Connection m_stateConnection;
};
