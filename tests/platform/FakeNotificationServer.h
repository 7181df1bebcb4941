#pragma once
// A private message bus and a scripted org.freedesktop.Notifications server on
// it, for testing the notification adapter without a desktop.

#include "PrivateBus.h"

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
