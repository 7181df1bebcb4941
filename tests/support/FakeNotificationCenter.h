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
    std::optional<QString> showError;
    // While a gate is set and not finished, the matching call waits on it.
    std::shared_ptr<BrimCompletion> settingsGate, showGate;

    int settingsCalls = 0;
    QList<BrimNotificationRequest> shown; // every request asked for, in order, refused ones too
    QStringList removedDelivered;

    static std::shared_ptr<BrimCompletion> gate() { return std::make_shared<BrimCompletion>(); }
    // Opens a gate and lets every waiter run on (they resume through the event loop).
    static void open(const std::shared_ptr<BrimCompletion> &gate)
    {
        gate->finish();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
    // "Tea: Scheduled for …, Timer finished: …": what was shown, in order.
    std::string titles() const
    {
        QStringList titles;
        for (const BrimNotificationRequest &r : shown)
            titles << r.title;
        return titles.join(QStringLiteral(", ")).toStdString();
    }

    QCoro::Task<BrimTimerNotificationSettings> settings() override
    {
        ++settingsCalls;
        if (auto g = settingsGate)
            co_await g->wait();
        co_return current;
    }
    QCoro::Task<Result<void, QString>> show(BrimNotificationRequest request) override
    {
        shown.append(std::move(request));
        if (auto g = showGate)
            co_await g->wait();
        if (showError)
            co_return Failure{*showError};
        co_return Result<void, QString>{};
    }
    void removeDelivered(const QStringList &identifiers) override { removedDelivered += identifiers; }
};
