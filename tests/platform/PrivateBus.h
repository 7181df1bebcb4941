#pragma once
// A throwaway message bus for one test: its own dbus-daemon, with no service
// folders, so nothing real is ever started by activation.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isUp() const { return !m_address.isEmpty(); }
    // A new connection of its own, closed when the bus goes away.
    QDBusConnection connect();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

// A scripted service: records every call under its path (and below) and
// answers with what the responder returns (nothing = never answer). It runs
// on a thread of its own so it can answer a blocking call from the main thread.
class FakeDBusService final : public QDBusVirtualObject {
public:
    using Responder = std::function<std::optional<QDBusMessage>(const QDBusMessage &call)>;

    FakeDBusService(PrivateBus &bus, const QString &serviceName, const QString &path, Responder responder);
    ~FakeDBusService() override;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    QList<QDBusMessage> calls(const QString &member) const;
    QDBusConnection connection() const { return m_connection; }

private:
    QDBusConnection m_connection;
    QString m_path;
    QString m_serviceName;
    Responder m_responder;
    mutable QMutex m_mutex;
    QList<QDBusMessage> m_calls;
    QThread m_thread;
};
