#include "services/BetaSupportCommands.h"
#include "services/BetaSupportInformation.h"
#include "telemetry/TelemetryPreferences.h"

#include "BuildInfo.h"
#include "RecordingTellixClient.h"

#include <QMenu>
#include <QUuid>

namespace {
const QString marker = QStringLiteral("ostrel.session.active.v1.app.ostrel.brimkit");
const QString pending = QStringLiteral("ostrel.update.pending.v1.app.ostrel.brimkit");
const QString installationKey = OstrelSignals::installationKey();

bool isCanonicalIdentifier(const std::optional<QString> &text)
{
    return text && !QUuid::fromString(*text).isNull() && *text == text->toUpper() && text->size() == 36;
}

using Events = std::vector<OstrelEvent>;
} // namespace

TEST(OstrelSignals, StartReportsOpeningAndWhatThePreviousRunLeftBehind)
{
    struct Case { const char *name; bool crashedBefore; std::optional<QString> pendingUpdate; Events expected; bool quitBefore = false;
                  const char *storedID = nullptr; };
    const char *valid = "0F1E2D3C-4B5A-4968-8776-655443322110";
    const Case cases[] = {
        {"first launch", false, std::nullopt, {OstrelEvent::appOpened}},
        {"after a normal quit", false, std::nullopt, {OstrelEvent::appOpened}, true},
        {"after a crash", true, std::nullopt, {OstrelEvent::appOpened, OstrelEvent::appUncleanExit}},
        {"after an update to this build", false, QStringLiteral("27"), {OstrelEvent::appOpened, OstrelEvent::updateInstalled}},
        {"update that did not happen", false, QStringLiteral("28"), {OstrelEvent::appOpened}},
        {"crash and update", true, QStringLiteral("27"),
         {OstrelEvent::appOpened, OstrelEvent::appUncleanExit, OstrelEvent::updateInstalled}},
        {"invalid stored identifier", false, std::nullopt, {OstrelEvent::appOpened}, false, "not-an-identifier"},
        {"valid stored identifier", false, std::nullopt, {OstrelEvent::appOpened}, false, valid},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto store = std::make_shared<MemoryUserDefaults>();
        if (c.crashedBefore)
            store->setBool(marker, true);
        if (c.pendingUpdate)
            store->setString(pending, *c.pendingUpdate);
        if (c.storedID)
            store->setString(installationKey, QLatin1String(c.storedID));
        if (c.quitBefore) {
            SignalsHarness first(store);
            first.facade.start();
            first.settle();
            first.facade.finishSession();
        }
        SignalsHarness h(store);
        h.facade.start();
        h.facade.start(); // once per process
        h.settle();
        EXPECT_EQ(h.client->events, c.expected);
        EXPECT_TRUE(isCanonicalIdentifier(store->stringValue(installationKey)));
        EXPECT_EQ(h.client->installation(), store->stringValue(installationKey));
        // A valid stored identifier is kept exactly as stored; an invalid one is replaced.
        EXPECT_TRUE(c.storedID != valid || store->stringValue(installationKey) == QLatin1String(valid));
        EXPECT_TRUE(h.client->locationConsent());
        EXPECT_EQ(store->boolValue(marker), true);
        EXPECT_FALSE(store->object(pending));
    }
}

TEST(OstrelSignals, SwitchingOffAndOnGivesANewIdentifierAndReopens)
{
    SignalsHarness h;
    h.facade.start();
    h.settle();
    const std::optional<QString> first = h.store->stringValue(installationKey);

    h.facade.setEnabled(false);
    h.settle();
    EXPECT_FALSE(h.client->consent());
    EXPECT_EQ(h.client->pendingCount(), 0);
    EXPECT_FALSE(h.store->object(installationKey));
    EXPECT_FALSE(h.store->object(marker));
    EXPECT_EQ(h.store->boolValue(TelemetryPreferences::usageKey()), false);
    h.facade.track(OstrelEvent::brimTimerStarted); // dropped while off
    h.settle();

    h.facade.setEnabled(true);
    h.settle();
    const std::optional<QString> second = h.store->stringValue(installationKey);
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
    SignalsHarness h(store);
    h.facade.start();
    h.facade.setEnabled(true);
    h.facade.setEnabled(false);
    h.settle();
    EXPECT_FALSE(h.client->consent());
    EXPECT_TRUE(h.client->events.empty());
    ASSERT_EQ(h.client->consents.size(), 1u) << "the overtaken switch-on still reached the client";
    EXPECT_FALSE(h.client->consents.front().consent);

    // And the other way round: a queued track is overtaken by switching off.
    SignalsHarness g;
    g.facade.start();
    g.facade.track(OstrelEvent::brimAlarmCreated);
    g.facade.setEnabled(false);
    g.settle();
    EXPECT_TRUE(g.client->events.empty());
    EXPECT_FALSE(g.client->consent());
}

TEST(OstrelSignals, LocationChoiceReachesTheClientInOrder)
{
    SignalsHarness h;
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

TEST(OstrelSignals, NothingIsRecordedWhenOffOrNotConfigured)
{
    struct Case { const char *name; bool usageStored; bool configured; };
    for (const Case &c : {Case{"statistics off", false, true}, Case{"not configured", true, false}}) {
        SCOPED_TRACE(c.name);
        auto store = std::make_shared<MemoryUserDefaults>();
        store->setBool(TelemetryPreferences::usageKey(), c.usageStored);
        store->setBool(marker, true);
        SignalsHarness h(store, c.configured);
        EXPECT_EQ(h.facade.configured(), c.configured);
        EXPECT_FALSE(store->object(marker)) << "stale marker kept";
        h.facade.start();
        h.facade.track(OstrelEvent::brimTimerStarted);
        h.settle();
        EXPECT_TRUE(h.client->consents.empty());
        EXPECT_TRUE(h.client->events.empty());
        EXPECT_FALSE(store->object(marker));
        EXPECT_FALSE(store->object(installationKey));
    }
}

TEST(OstrelSignals, DetailsNameLinuxAndTheBuildsArchitecture)
{
    SignalsHarness h;
    const QStringList lines = h.facade.reviewedMetadata().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("App: app.ostrel.brimkit"));
    EXPECT_EQ(lines[1], QStringLiteral("Release: 1.4.0+27"));
    EXPECT_TRUE(lines[2].startsWith(QLatin1String("Linux: ")));
    EXPECT_EQ(lines[3], QStringLiteral("Architecture: ") + QLatin1String(BuildInfo::architecture));
    EXPECT_TRUE(lines[4].startsWith(QLatin1String("Memory class: ")));

    AppBundle bundle;
    bundle.shortVersion = QStringLiteral("2.0");
    EXPECT_EQ(BetaSupportInformation::text(QStringLiteral("Brimkit"), bundle, QStringLiteral("6.1.0"), QStringLiteral("x86_64")),
              QStringLiteral("App: Brimkit\nVersion: 2.0\nBuild: Unavailable\nLinux: 6.1.0\nApp architecture: x86_64"));
    EXPECT_TRUE(BetaSupportInformation::text(QStringLiteral("B"), bundle)
                    .endsWith(QStringLiteral("App architecture: ") + QLatin1String(BuildInfo::architecture)));
}

TEST(OstrelSignals, MenuEntriesOpenOneWindowInTheChosenMode)
{
    SignalsHarness h;
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
