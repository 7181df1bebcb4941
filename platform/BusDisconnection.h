#pragma once
// Tells when a bus connection is lost for good: the bus daemon is gone, and
// with it every name the app owns and every service it talks to. The
// application quits then, through its usual termination steps, since nothing
// it shows on the desktop (tray item, notifications, single instance) can
// work on without it.

#include <QDBusConnection>
#include <QObject>

class BusDisconnection : public QObject {
    Q_OBJECT

public:
    // Watches nothing when the connection is not up to begin with.
    explicit BusDisconnection(QDBusConnection bus, QObject *parent = nullptr);

Q_SIGNALS:
    // Emitted once, after the loss has been logged.
    void lost();

private Q_SLOTS:
    void onDisconnected();

private:
    QDBusConnection m_bus;
    bool m_lost = false;
};
