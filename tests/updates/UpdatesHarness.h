#pragma once
// The update controller over an updater double, with a real signals facade
// whose telemetry client records the events.

#include "services/OstrelSignals.h"
#include "tests/services/RecordingTellixClient.h"
#include "updates/AppUpdates.h"
#include "tests/support/Patience.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Setting = AppUpdater::Setting;
using Events = std::vector<OstrelEvent>;

inline const QString validFeed = QStringLiteral("https://updates.ostrel.app/brimkit/feed.xml");
inline const QString validKey = QString::fromLatin1(QByteArray(32, 'k').toBase64());
inline const QString pendingKey = QStringLiteral("ostrel.update.pending.v1.app.ostrel.brimkit");

// The updater double: records what the controller asks and plays its callbacks.
struct FakeUpdater : AppUpdater {
    AppUpdaterDelegate *delegate = nullptr;
    Observer observer;
    std::optional<AppUpdateError> startError;
    bool sendsProfile = true;
    int checks = 0;
    bool canCheck = true;

    void setSendsSystemProfile(bool on) override { sendsProfile = on; }
    void observe(Observer o) override
    {
        observer = std::move(o);
        observer(Setting::canCheckForUpdates, canCheck);
        observer(Setting::automaticallyChecksForUpdates, false);
        observer(Setting::automaticallyDownloadsUpdates, false);
    }
    Result<void, AppUpdateError> start() override
    {
        if (startError)
            return Failure{*startError};
        return {};
    }
    void checkForUpdates() override { ++checks; }
    void setAutomaticallyChecksForUpdates(bool on) override { observer(Setting::automaticallyChecksForUpdates, on); }
    void setAutomaticallyDownloadsUpdates(bool on) override { observer(Setting::automaticallyDownloadsUpdates, on); }
};

inline AppBundle bundle(std::optional<QString> feed = validFeed, std::optional<QString> key = validKey)
{
    // Telemetry configured, so tracked events reach the recording client.
    return AppBundle{QStringLiteral("app.ostrel.brimkit"), QStringLiteral("1.4.0"), QStringLiteral("27"), std::nullopt, std::nullopt,
                     QStringLiteral("https://tellix.example/ingest"), QStringLiteral("key"), std::move(feed), std::move(key), std::nullopt};
}

struct Harness {
    // Without an updater it is the live Linux build.
    explicit Harness(AppBundle b = bundle(), std::chrono::milliseconds poll = 20ms, bool withUpdater = true)
        : facade(b, store, client)
        , updates(facade, AppUpdates::Environment{b, withUpdater ? AppUpdater::Factory([this](AppUpdaterDelegate &d) { return makeFake(d); }) : nullptr, poll})
    {
    }
    std::unique_ptr<AppUpdater> makeFake(AppUpdaterDelegate &d)
    {
        auto u = std::make_unique<FakeUpdater>();
        u->delegate = &d;
        u->canCheck = canCheck;
        u->startError = startError;
        updater = u.get();
        return u;
    }
    Events events()
    {
        QTest::qWait(0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !facade.hasPendingOperations(); }, patienceMs));
        Events events = client->events;
        std::erase(events, OstrelEvent::appOpened);
        return events;
    }
    // Starts with a busy flag the test controls and holds an installation back.
    void postponeWhileBusy()
    {
        updates.start([this] { return busy; });
        busy = true;
        ASSERT_TRUE(updater->delegate->shouldPostponeRelaunch({QStringLiteral("28")}, [this] { ++installs; }));
    }

    std::shared_ptr<MemoryUserDefaults> store = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<RecordingTellixClient> client = std::make_shared<RecordingTellixClient>();
    OstrelSignals facade;
    bool canCheck = true;
    std::optional<AppUpdateError> startError;
    FakeUpdater *updater = nullptr;
    AppUpdates updates;
    bool busy = false;
    int installs = 0;
};

inline AppUpdateError updaterError(int code)
{
    return {AppUpdateError::updaterDomain(), code, QStringLiteral("described")};
}
