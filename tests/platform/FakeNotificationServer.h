#pragma once
// A scripted org.freedesktop.Notifications server on a private bus, for
// testing the notification adapter without a desktop.

#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusVariant>

class FakeNotificationServer : public QDBusVirtualObject {
public:
    struct NotifyCall {
        QString appName;
        uint replacesId = 0;
        QString icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        int timeout = 0;
        friend bool operator==(const NotifyCall &, const NotifyCall &) = default;
    };

    explicit FakeNotificationServer(QDBusConnection connection) : m_connection(std::move(connection)) {}

    bool start() { return m_connection.registerVirtualObject(path, this) && m_connection.registerService(name); }
    void stop() { m_connection.unregisterService(name); }
    void emitClosed(uint id, uint reason = 2)
    {
        m_connection.send(QDBusMessage::createSignal(path, name, QStringLiteral("NotificationClosed")) << id << reason);
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
        const bool ours = message.interface() == name;
        if (ours && member == QLatin1String("Notify") && args.size() == 8) {
            notified.append({args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                             args[4].toString(), args[5].toStringList(), qdbus_cast<QVariantMap>(args[6]), args[7].toInt()});
            holdNotify ? held.append(message) : answerNotify(message);
        } else if (ours && member == QLatin1String("CloseNotification")) {
            closed.append(args.value(0).toUInt());
            m_connection.send(message.createReply());
        } else if (ours && member == QLatin1String("GetCapabilities")) {
            ++capabilityQueries;
            m_connection.send(message.createReply(capabilities));
        } else if (member == QLatin1String("Get") && args.size() == 2) {
            const QString property = args[0].toString() + QLatin1Char('.') + args[1].toString();
            const std::optional<bool> value = property == name + QLatin1String(".Inhibited") ? inhibited
                : property == QLatin1String("org.dunstproject.cmd0.paused")                 ? paused
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
    inline static const QString path = QStringLiteral("/org/freedesktop/Notifications");
    inline static const QString name = QStringLiteral("org.freedesktop.Notifications"); // also the interface
    void answerNotify(const QDBusMessage &m) { m_connection.send(m.createReply(QVariant::fromValue(nextId++))); }

    QDBusConnection m_connection;
};
