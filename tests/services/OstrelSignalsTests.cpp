#include "services/BetaSupportCommands.h"
#include "services/BetaSupportInformation.h"
#include "services/OstrelSignals.h"
#include "telemetry/TelemetryPreferences.h"

#include "BuildInfo.h"
#include "RecordingTellixClient.h"

#include <QMenu>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

namespace {
const QString marker = QStringLiteral("ostrel.session.active.v1.app.ostrel.brimkit");
const QString pending = QStringLiteral("ostrel.update.pending.v1.app.ostrel.brimkit");

AppBundle configuredBundle()
{
    AppBundle bundle;
    bundle.identifier = QStringLiteral("app.ostrel.brimkit");
    bundle.shortVersion = QStringLiteral("1.4.0");
    bundle.buildNumber = QStringLiteral("27");
    bundle.displayName = QStringLiteral("Ostrel Brimkit");
    bundle.tellixEndpoint = QStringLiteral("https://tellix.example/ingest");
    bundle.tellixKey = QStringLiteral("key");
    return bundle;
}

AppBundle unconfiguredBundle()
{
    AppBundle bundle = configuredBundle();
    bundle.tellixEndpoint.reset();
    bundle.tellixKey.reset();
    return bundle;
}

bool isCanonicalIdentifier(const std::optional<QString> &text)
{
    return text && !QUuid::fromString(*text).isNull() && *text == text->toUpper() && text->size() == 36;
}

struct Harness {
    explicit Harness(std::shared_ptr<MemoryUserDefaults> store = std::make_shared<MemoryUserDefaults>(),
                     AppBundle bundle = configuredBundle())
        : store(std::move(store))
        , client(std::make_shared<RecordingTellixClient>())
        , facade(std::move(bundle), this->store, client)
    {
    }

    // Lets the operation chain run dry.
    void settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !facade.hasPendingOperations(); }, 5000));
        QCoreApplication::processEvents();
    }

    std::shared_ptr<MemoryUserDefaults> store;
    std::shared_ptr<RecordingTellixClient> client;
    OstrelSignals facade;
};

using Events = std::vector<OstrelEvent>;
} // namespace

TEST(OstrelSignals, StartReportsOpeningAndWhatThePreviousRunLeftBehind)
{
    const struct {
        const char *name;
        bool crashedBefore;
        std::optional<QString> pendingUpdate;
        Events expected;
    } cases[] = {
        {"first launch", false, std::nullopt, {OstrelEvent::appOpened}},
        {"after a crash", true, std::nullopt, {OstrelEvent::appOpened, OstrelEvent::appUncleanExit}},
        {"after an update to this build", false, QStringLiteral("27"), {OstrelEvent::appOpened, OstrelEvent::updateInstalled}},
        {"update that did not happen", false, QStringLiteral("28"), {OstrelEvent::appOpened}},
        {"crash and update", true, QStringLiteral("27"),
         {OstrelEvent::appOpened, OstrelEvent::appUncleanExit, OstrelEvent::updateInstalled}},
    };
    for (const auto &c : cases) {
        auto store = std::make_shared<MemoryUserDefaults>();
        if (c.crashedBefore)
            store->setBool(marker, true);
        if (c.pendingUpdate)
            store->setString(pending, *c.pendingUpdate);
        Harness h(store);
        h.facade.start();
        h.facade.start(); // once per process
        h.settle();
        EXPECT_EQ(h.client->events, c.expected) << c.name;
        EXPECT_TRUE(isCanonicalIdentifier(store->stringValue(OstrelSignals::installationKey()))) << c.name;
        EXPECT_EQ(h.client->installation(), store->stringValue(OstrelSignals::installationKey())) << c.name;
        EXPECT_TRUE(h.client->locationConsent()) << c.name;
        EXPECT_EQ(store->boolValue(marker), true) << c.name;
        EXPECT_FALSE(store->object(pending)) << c.name;
    }
}

TEST(OstrelSignals, ANormalQuitLeavesNoUncleanExitForTheNextLaunch)
{
    auto store = std::make_shared<MemoryUserDefaults>();
    {
        Harness first(store);
        first.facade.start();
        first.settle();
        first.facade.finishSession();
    }
    Harness second(store);
    second.facade.start();
    second.settle();
    EXPECT_EQ(second.client->events, Events{OstrelEvent::appOpened});
}

TEST(OstrelSignals, SwitchingOffAndOnGivesANewIdentifierAndReopens)
{
    Harness h;
    h.facade.start();
    h.settle();
    const std::optional<QString> first = h.store->stringValue(OstrelSignals::installationKey());

    h.facade.setEnabled(false);
    h.settle();
    EXPECT_FALSE(h.client->consent());
    EXPECT_EQ(h.client->pendingCount(), 0);
    EXPECT_FALSE(h.store->object(OstrelSignals::installationKey()));
    EXPECT_FALSE(h.store->object(marker));
    EXPECT_EQ(h.store->boolValue(TelemetryPreferences::usageKey()), false);
    h.facade.track(OstrelEvent::brimTimerStarted); // dropped while off
    h.settle();

    h.facade.setEnabled(true);
    h.settle();
    const std::optional<QString> second = h.store->stringValue(OstrelSignals::installationKey());
    EXPECT_TRUE(isCanonicalIdentifier(second));
    EXPECT_NE(first, second);
    EXPECT_EQ(h.client->installation(), second);
    EXPECT_EQ(h.client->events, (Events{OstrelEvent::appOpened, OstrelEvent::appOpened}));
    EXPECT_EQ(h.store->boolValue(marker), true);
}

TEST(OstrelSignals, RapidSwitchesEndWithTheLastChoice)
{
    auto store = std::make_shared<MemoryUserDefaults>();
    store->setBool(TelemetryPreferences::usageKey(), false);
    Harness h(store);
    h.facade.start();
    h.facade.setEnabled(true);
    h.facade.setEnabled(false);
    h.settle();
    EXPECT_FALSE(h.client->consent());
    EXPECT_TRUE(h.client->events.empty());
    ASSERT_EQ(h.client->consents.size(), 1u) << "the overtaken switch-on still reached the client";
    EXPECT_FALSE(h.client->consents.front().consent);

    // And the other way round: a queued track is overtaken by switching off.
    Harness g;
    g.facade.start();
    g.facade.track(OstrelEvent::brimAlarmCreated);
    g.facade.setEnabled(false);
    g.settle();
    EXPECT_TRUE(g.client->events.empty());
    EXPECT_FALSE(g.client->consent());
}

TEST(OstrelSignals, LocationChoiceReachesTheClientInOrder)
{
    Harness h;
    h.facade.start();
    h.settle();
    h.client->consents.clear();
    h.facade.setLocationEnabled(false);
    h.settle();
    ASSERT_EQ(h.client->consents.size(), 2u);
    EXPECT_FALSE(h.client->consents[0].consent); // drops events queued under the old choice
    EXPECT_TRUE(h.client->consents[1].consent);
    EXPECT_FALSE(h.client->consents[1].location);
    EXPECT_EQ(h.store->boolValue(TelemetryPreferences::cityKey()), false);

    h.facade.track(OstrelEvent::brimTimerCompleted);
    h.settle();
    EXPECT_FALSE(h.client->locationConsent());
    EXPECT_EQ(h.client->events.back(), OstrelEvent::brimTimerCompleted);
}

TEST(OstrelSignals, InvalidStoredIdentifierIsReplaced)
{
    auto store = std::make_shared<MemoryUserDefaults>();
    store->setString(OstrelSignals::installationKey(), QStringLiteral("not-an-identifier"));
    Harness h(store);
    h.facade.start();
    h.settle();
    EXPECT_TRUE(isCanonicalIdentifier(store->stringValue(OstrelSignals::installationKey())));

    const QString valid = QStringLiteral("0F1E2D3C-4B5A-4968-8776-655443322110");
    store->setString(OstrelSignals::installationKey(), valid);
    h.facade.track(OstrelEvent::brimTimerStarted);
    h.settle();
    EXPECT_EQ(h.client->installation(), valid); // kept exactly as stored
}

TEST(OstrelSignals, NothingIsRecordedWhenOffOrNotConfigured)
{
    const struct {
        const char *name;
        bool usageStored;
        bool configured;
    } cases[] = {{"statistics off", false, true}, {"not configured", true, false}};
    for (const auto &c : cases) {
        auto store = std::make_shared<MemoryUserDefaults>();
        store->setBool(TelemetryPreferences::usageKey(), c.usageStored);
        store->setBool(marker, true);
        Harness h(store, c.configured ? configuredBundle() : unconfiguredBundle());
        EXPECT_EQ(h.facade.configured(), c.configured);
        EXPECT_FALSE(store->object(marker)) << c.name << ": stale marker kept";
        h.facade.start();
        h.facade.track(OstrelEvent::brimTimerStarted);
        h.settle();
        EXPECT_TRUE(h.client->consents.empty()) << c.name;
        EXPECT_TRUE(h.client->events.empty()) << c.name;
        EXPECT_FALSE(store->object(marker)) << c.name;
        EXPECT_FALSE(store->object(OstrelSignals::installationKey())) << c.name;
    }
}

TEST(OstrelSignals, DetailsNameLinuxAndTheBuildsArchitecture)
{
    Harness h;
    const QStringList lines = h.facade.reviewedMetadata().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("App: app.ostrel.brimkit"));
    EXPECT_EQ(lines[1], QStringLiteral("Release: 1.4.0+27"));
    EXPECT_TRUE(lines[2].startsWith(QLatin1String("Linux: ")));
    EXPECT_EQ(lines[3], QStringLiteral("Architecture: ") + QLatin1String(BuildInfo::architecture));
    EXPECT_TRUE(lines[4].startsWith(QLatin1String("Memory class: ")));
    EXPECT_FALSE(h.facade.reviewedMetadata().contains(QLatin1String("macOS")));

    AppBundle bundle;
    bundle.shortVersion = QStringLiteral("2.0");
    EXPECT_EQ(BetaSupportInformation::text(QStringLiteral("Brimkit"), bundle, QStringLiteral("6.1.0"), QStringLiteral("x86_64")),
              QStringLiteral("App: Brimkit\nVersion: 2.0\nBuild: Unavailable\nLinux: 6.1.0\nApp architecture: x86_64"));
    EXPECT_TRUE(BetaSupportInformation::text(QStringLiteral("B"), bundle)
                    .endsWith(QStringLiteral("App architecture: ") + QLatin1String(BuildInfo::architecture)));
}

TEST(OstrelSignals, MenuEntriesOpenOneWindowInTheChosenMode)
{
    Harness h;
    QMenu menu;
    const QList<QAction *> actions = BetaSupportCommands::addTo(&menu, h.facade);
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Send feedback…"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Report a bug…"));

    actions[1]->trigger();
    QWidget *window = h.facade.supportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(h.facade.feedbackIsBug());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Bug report"));
    EXPECT_GE(window->height(), 360);
    EXPECT_LE(window->height(), 520);

    window->close();
    actions[0]->trigger();
    EXPECT_EQ(h.facade.supportWindow(), window) << "the window is reused";
    EXPECT_FALSE(h.facade.feedbackIsBug());
    EXPECT_TRUE(window->isVisible());
}
