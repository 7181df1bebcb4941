#pragma once
// An in-memory notification centre whose answers can be held back by gates,
// so tests can interleave user actions with pending platform calls.

#include "models/BrimCompletion.h"
#include "models/BrimTimerNotificationCenter.h"

#include <QCoreApplication>
#include <memory>
#include <optional>

class FakeNotificationCenter final : public BrimTimerNotificationCenter {
public:
    using Status = BrimTimerNotificationSettings::AuthorizationStatus;
    using Alert = BrimTimerNotificationSettings::AlertSetting;

    BrimTimerNotificationSettings current{Status::authorized, Alert::enabled};
    std::optional<QString> authorizationError;
    std::optional<QString> addError;
    // While a gate is set and not finished, the matching call waits on it.
    std::shared_ptr<BrimCompletion> settingsGate, authorizationGate, addGate;

    int settingsCalls = 0;
    int authorizationRequests = 0;
    QStringList added; // every identifier asked for, in order, including refused ones
    QList<BrimNotificationRequest> pending;
    QStringList removedDelivered;
    std::function<void(const QString &)> deliveryFailed;

    static std::shared_ptr<BrimCompletion> gate() { return std::make_shared<BrimCompletion>(); }
    // Opens a gate and lets every waiter run on (they resume through the event loop).
    static void open(const std::shared_ptr<BrimCompletion> &gate)
    {
        gate->finish();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
    // What the pending requests say, sorted: "Tea, Timer finished".
    std::string bodies() const
    {
        QStringList bodies;
        for (const BrimNotificationRequest &r : pending)
            bodies << r.body;
        bodies.sort();
        return bodies.join(QStringLiteral(", ")).toStdString();
    }

    QCoro::Task<BrimTimerNotificationSettings> settings() override
    {
        ++settingsCalls;
        if (auto g = settingsGate)
            co_await g->wait();
        co_return current;
    }
    QCoro::Task<Result<bool, QString>> requestAuthorization() override
    {
        ++authorizationRequests;
        if (auto g = authorizationGate)
            co_await g->wait();
        if (authorizationError)
            co_return Failure{*authorizationError};
        current.authorizationStatus = Status::authorized;
        co_return true;
    }
    QCoro::Task<Result<void, QString>> add(BrimNotificationRequest request) override
    {
        added << request.identifier;
        if (auto g = addGate)
            co_await g->wait();
        if (addError)
            co_return Failure{*addError};
        removePending({request.identifier});
        pending.append(std::move(request));
        co_return Result<void, QString>{};
    }
    QCoro::Task<QList<BrimNotificationRequest>> pendingRequests() override
    {
        // An explicit copy: g++ 12 moves a member named alone in co_return.
        co_return QList<BrimNotificationRequest>(pending);
    }
    void removePending(const QStringList &identifiers) override
    {
        pending.removeIf([&](const BrimNotificationRequest &r) { return identifiers.contains(r.identifier); });
    }
    void removeDelivered(const QStringList &identifiers) override { removedDelivered += identifiers; }
    void setDeliveryFailureHandler(std::function<void(const QString &)> handler) override
    {
        deliveryFailed = std::move(handler);
    }
};
