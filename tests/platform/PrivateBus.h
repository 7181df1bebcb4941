#pragma once
// Test-only D-Bus plumbing: a throwaway bus and a scripted service on it.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <functional>
#include <optional>

// A dbus-daemon of our own with no service directories, so nothing on the
// machine (such as a real notification daemon) is ever started by activation,
// unless a test names a command to start as the notification service.
class PrivateBus {
public:
    explicit PrivateBus(const QString &activatableExec = {})
    {
        QString serviceDir;
        if (!activatableExec.isEmpty()) {
            QDir(m_dir.path()).mkdir(QStringLiteral("services"));
            write(QStringLiteral("services/notifications.service"),
                  QStringLiteral("[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=%1\n").arg(activatableExec));
            serviceDir = QStringLiteral("<servicedir>%1</servicedir>").arg(m_dir.filePath(QStringLiteral("services")));
        }
        write(QStringLiteral("bus.conf"),
              QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
                             "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>%2"
                             "<policy context=\"default\"><allow send_destination=\"*\"/>"
                             "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>")
                  .arg(m_dir.path(), serviceDir));
        m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + m_dir.filePath(QStringLiteral("bus.conf")),
                                                       QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        while (m_daemon.waitForStarted(5000) && !m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString &name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }
    bool ok() const { return !m_address.isEmpty(); }
    // For another process: its DBUS_SESSION_BUS_ADDRESS.
    const QString &address() const { return m_address; }
    // A path in the bus's own scratch folder, gone with the bus.
    QString tempPath(const QString &name) const { return m_dir.filePath(name); }
    QDBusConnection connect()
    {
        m_names.append(QUuid::createUuid().toString());
        return QDBusConnection::connectToBus(m_address, m_names.last());
    }

private:
    void write(const QString &name, const QString &text)
    {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

// Owns a name on the bus, records every call under its path and answers with
// what the responder returns (nothing = never answers). It runs on a thread of
// its own, so an answer it holds back never holds up the test's thread.
class FakeDBusService final : public QDBusVirtualObject {
public:
    using Responder = std::function<std::optional<QDBusMessage>(const QDBusMessage &)>;

    FakeDBusService(PrivateBus &bus, QString name, QString path, Responder responder)
        : m_bus(bus.connect()), m_name(std::move(name)), m_path(std::move(path)), m_responder(std::move(responder))
    {
        // Registration gives the object children; they move along with it.
        m_bus.registerVirtualObject(m_path, this, QDBusConnection::SubPath);
        m_bus.registerService(m_name);
        m_thread.start();
        moveToThread(&m_thread);
    }
    ~FakeDBusService() override
    {
        m_bus.unregisterService(m_name);
        m_bus.unregisterObject(m_path);
        m_thread.quit();
        m_thread.wait();
    }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_calls.append(message);
        }
        if (const std::optional<QDBusMessage> reply = m_responder(message))
            connection.send(*reply);
        return true;
    }
    // A signal (or any message) from the service's own connection.
    bool send(const QDBusMessage &message) { return m_bus.send(message); }
    // Every call's member, in the order they came.
    QStringList members() const
    {
        QMutexLocker lock(&m_mutex);
        QStringList names;
        for (const QDBusMessage &call : m_calls)
            names << call.member();
        return names;
    }
    QList<QDBusMessage> calls(const QString &member) const
    {
        QMutexLocker lock(&m_mutex);
        QList<QDBusMessage> matching;
        std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(matching),
                     [&](const QDBusMessage &call) { return call.member() == member; });
        return matching;
    }

private:
    QDBusConnection m_bus;
    QString m_name;
    QString m_path;
    Responder m_responder;
    mutable QMutex m_mutex;
    QList<QDBusMessage> m_calls;
    QThread m_thread;
};
