#pragma once
// A private message bus and a scripted org.freedesktop.Notifications server on
// it, for testing the notification adapter without a desktop.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <optional>

// A dbus-daemon of our own with no service directories, so nothing on the
// machine (such as a real notification daemon) is ever started by activation,
// unless a test adds a service file on purpose.
class PrivateBus {
public:
    explicit PrivateBus(const QString &activatableExec = {})
    {
        QString serviceDir;
        if (!activatableExec.isEmpty()) {
            const QString dir = m_dir.filePath(QStringLiteral("services"));
            QDir().mkpath(dir);
            QFile service(dir + QStringLiteral("/notifications.service"));
            if (service.open(QIODevice::WriteOnly))
                service.write(QStringLiteral("[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=%1\n")
                                  .arg(activatableExec)
                                  .toUtf8());
            serviceDir = QStringLiteral("<servicedir>%1</servicedir>").arg(dir);
        }
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                                      " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
                                      "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                      "<auth>EXTERNAL</auth>%2"
                                      "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                      "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>")
                           .arg(m_dir.path(), serviceDir)
                           .toUtf8());
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted(5000)) {
            while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
            }
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus()
    {
        for (const QString &name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }
    bool ok() const { return !m_address.isEmpty(); }
    QString tempPath(const QString &name) const { return m_dir.filePath(name); }
    QDBusConnection connect()
    {
        const QString name = QUuid::createUuid().toString();
        m_names.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

class FakeNotificationServer : public QDBusVirtualObject {
public:
    struct NotifyCall {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout = 0;
    };

    explicit FakeNotificationServer(QDBusConnection connection) : m_connection(std::move(connection)) {}

    bool start()
    {
        return m_connection.registerVirtualObject(path(), this)
            && m_connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    void stop() { m_connection.unregisterService(QStringLiteral("org.freedesktop.Notifications")); }

    void emitClosed(uint id, uint reason = 2)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path(), iface(), QStringLiteral("NotificationClosed"));
        signal << id << reason;
        m_connection.send(signal);
    }
    void releaseHeld()
    {
        for (const QDBusMessage &m : std::as_const(held))
            answerNotify(m);
        held.clear();
    }

    // Script
    QStringList capabilities{QStringLiteral("body")};
    std::optional<bool> inhibited; // KDE-style property, absent when unset
    std::optional<bool> paused;    // dunst's property, absent when unset
    bool silent = false;           // never answers anything
    bool holdNotify = false;       // answers Notify only on releaseHeld()
    uint nextId = 41;

    // Observations
    QList<NotifyCall> notified;
    QList<uint> closed;
    int capabilityQueries = 0;
    QList<QDBusMessage> held;

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        if (silent)
            return true;
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (message.interface() == iface() && member == QLatin1String("Notify") && args.size() == 8) {
            notified.append({args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                             args[4].toString(), args[5].toStringList(), qdbus_cast<QVariantMap>(args[6]), args[7].toInt()});
            if (holdNotify)
                held.append(message);
            else
                answerNotify(message);
        } else if (message.interface() == iface() && member == QLatin1String("CloseNotification")) {
            closed.append(args.value(0).toUInt());
            m_connection.send(message.createReply());
        } else if (message.interface() == iface() && member == QLatin1String("GetCapabilities")) {
            ++capabilityQueries;
            m_connection.send(message.createReply(capabilities));
        } else if (member == QLatin1String("Get") && args.size() == 2) {
            const std::optional<bool> value = args[0].toString() == iface() && args[1].toString() == QLatin1String("Inhibited")
                ? inhibited
                : args[0].toString() == QLatin1String("org.dunstproject.cmd0") && args[1].toString() == QLatin1String("paused")
                ? paused
                : std::nullopt;
            m_connection.send(value ? message.createReply(QVariant::fromValue(QDBusVariant(*value)))
                                    : message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                                               QStringLiteral("no such property")));
        } else {
            m_connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("unknown")));
        }
        return true;
    }
    QString introspect(const QString &) const override { return {}; }

private:
    static QString path() { return QStringLiteral("/org/freedesktop/Notifications"); }
    static QString iface() { return QStringLiteral("org.freedesktop.Notifications"); }
    void answerNotify(const QDBusMessage &m) { m_connection.send(m.createReply(QVariant::fromValue(nextId++))); }

    QDBusConnection m_connection;
};
