#pragma once
// Notifications over org.freedesktop.Notifications, shown the moment the
// models ask. The alert sound rides on the server's sound hint where it has
// one; otherwise it is played here through the injected player.

#include "models/BrimSystemBeep.h"
#include "models/BrimTimerNotificationCenter.h"
#include "platform/DirectBusConnection.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutex>
#include <QDBusPendingCall>
#include <QHash>
#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

class QDBusServiceWatcher;

class SystemBrimTimerNotifications : public QObject, public BrimTimerNotificationCenter {
    Q_OBJECT

public:
    SystemBrimTimerNotifications(QDBusConnection bus, std::shared_ptr<BrimSystemBeep> sound, QObject *parent = nullptr);

    QCoro::Task<BrimTimerNotificationSettings> settings() override;
    QCoro::Task<Result<void, QString>> show(BrimNotificationRequest request) override;
    std::function<void()> sender(const BrimNotificationRequest &request) override;
    void removeDelivered(const QStringList &identifiers) override;

    // How long any call to the bus may take before it counts as unanswered.
    void setReplyTimeout(std::chrono::milliseconds timeout);
    // The address of the bus given, for a connection of our own that sends
    // the notifications made ready with sender(). Without it (or when that
    // connection cannot be opened) they leave through QtDBus. Set from the
    // environment when the bus given is Qt's session bus.
    void setBusAddress(const QString &address);

private Q_SLOTS:
    void onNotificationClosed(uint id, uint reason);

private:
    struct InFlight {
        bool withdrawn = false;
    };

    // A Notify made ready to be sent from any thread, once: through our own
    // connection where there is one, so that its bytes are on the socket
    // before send() returns, otherwise through QtDBus.
    struct Outgoing {
        Outgoing(QDBusConnection bus, QDBusMessage message, int timeoutMs,
                 std::shared_ptr<DirectBusConnection::Line> line)
            : bus(std::move(bus)), message(std::move(message)), timeoutMs(timeoutMs)
            , line(std::move(line)), prepared(this->line ? this->line->prepare(this->message) : nullptr) {}
        QDBusConnection bus;
        QDBusMessage message;
        int timeoutMs;
        std::shared_ptr<DirectBusConnection::Line> line;
        // Made ready in advance: once the moment comes, only the write is left.
        std::unique_ptr<DirectBusConnection::Line::Prepared> prepared;
        QMutex mutex;
        bool sent = false;
        // After send(): the answer on our connection, or else the call.
        std::shared_ptr<DirectBusConnection::Answer> answer;
        std::optional<QDBusPendingCall> call;
        void send();
    };

    QDBusMessage notifyMessage(const BrimNotificationRequest &request) const;
    QCoro::Task<QStringList> capabilities();
    QCoro::Task<Result<uint, QString>> sent(std::shared_ptr<Outgoing> outgoing);
    DirectBusConnection *direct();
    void askCapabilities(bool startServer);
    void closeOnServer(uint id);
    void forgetServer();

    QDBusConnection m_bus;
    int m_timeoutMs = 5000;
    std::shared_ptr<BrimSystemBeep> m_sound;
    QString m_busAddress;
    bool m_directTried = false;
    DirectBusConnection *m_direct = nullptr;
    // Our identifiers and the server's ids of what it shows for them.
    QHash<QString, QList<uint>> m_shownIds;
    QMultiHash<QString, std::shared_ptr<InFlight>> m_inFlight;
    QHash<QString, std::weak_ptr<Outgoing>> m_ready;
    std::optional<QStringList> m_capabilities;
    std::optional<QDBusPendingCall> m_capabilitiesCall;
    bool m_capabilitiesCallStarts = false;
    int m_capabilitiesAsked = 0;
    QDBusServiceWatcher *m_serverWatcher = nullptr;
};
